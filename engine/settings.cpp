// The settings table: accessor rules, the registry layout and its load and save order, and
// the text form the options command reads and writes.
#include <cstdint>
#include <filesystem>
#include <limits>
#include <system_error>

#include "common/nembus_common.h"
#include "engine/settings.h"
#include "engine/setting_binding.h"
#include "platform/code_page.h"
#include "platform/cp1252.h"
#include "platform/system.h"

namespace gildex {

namespace {

bool EndsWithSeparator(std::string_view path) { return !path.empty() && IsPathSeparator(path.back()); }

}  // namespace

Settings::Settings(ErrorReport& report, const std::filesystem::path& program_folder,
                   std::function<std::string()> default_backup_folder)
    : report_(report),
      program_folder_(program_folder),
      default_backup_folder_(std::move(default_backup_folder)) {}

std::string Settings::ProgramFolderPath() const {
  std::string folder = program_folder_.string();
  if (folder.empty() || !IsPathSeparator(folder.back())) folder += kPathSeparator;
  return folder;
}

std::string Settings::BackupDirectory() const {
  if (backup_directory_.empty()) {
    if (default_backup_folder_) backup_directory_ = default_backup_folder_();
    if (backup_directory_.empty()) backup_directory_ = ProgramFolderPath();
  }
  if (!EndsWithSeparator(backup_directory_)) backup_directory_ += kPathSeparator;
  return backup_directory_;
}

void Settings::BackupDirectory(std::string value) {
  if (!value.empty()) {
    const std::filesystem::path folder = platform::NativePath(value);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
      std::filesystem::create_directories(folder, error);
      if (error) throw VbError(76, "Path not found (" + folder.string() + ": " + error.message() + ")");
    }
  }
  backup_directory_ = std::move(value);
}

void Settings::BackupExt(std::string value) {
  report_.Trap("CGildex.BackupExt", [&] { backup_ext_ = value.empty() ? "BAK" : std::move(value); });
}

std::int16_t Settings::LineIncrement() const { return line_increment_ >= 1 ? line_increment_ : std::int16_t{1}; }

void Settings::LineIncrement(std::int16_t value) {
  report_.Trap("CGildex.LineIncrement", [&] { line_increment_ = value >= 1 ? value : std::int16_t{1}; });
}

std::string Settings::CodeBodyEnd() const {
  return code_body_end_.empty() ? std::string(kDefaultCodeBodyEnd) : code_body_end_;
}

void Settings::CodeBodyEnd(std::string value) {
  report_.Trap("CGildex.CodeBodyEnd", [&] {
    code_body_end_ = TrimSpaces(value).empty() ? std::string(kDefaultCodeBodyEnd) : std::move(value);
  });
}

std::string Settings::CodeBodyStart() const {
  return code_body_start_.empty() ? std::string(kDefaultCodeBodyStart) : code_body_start_;
}

void Settings::CodeBodyStart(std::string value) {
  report_.Trap("CGildex.CodeBodyStart", [&] {
    code_body_start_ = TrimSpaces(value).empty() ? std::string(kDefaultCodeBodyStart) : std::move(value);
  });
}

void Settings::MinLines(std::int32_t value) {
  report_.Trap("CGildex.MinLines", [&] {
    if (value >= 0) min_lines_ = value;
  });
}

std::string Settings::TemplatePath() const {
  return report_.Trap("CGildex.TemplatePath", template_path_, [&] {
    return TrimSpaces(template_path_).empty() ? ProgramFolderPath() + "Templates" + kPathSeparator : template_path_;
  });
}

void Settings::TemplatePath(std::string value) {
  report_.Trap("CGildex.TemplatePath", [&] {
    // A blank path stays blank so that it keeps reading as the default folder; on Windows
    // the lone "\" it used to become meant the root of the current drive.
    if (!TrimSpaces(value).empty() && !EndsWithSeparator(value)) value += kPathSeparator;
    template_path_ = std::move(value);
  });
}

void Settings::CodePage(std::int32_t value) {
  code_page_ = cp1252::CodePageSupported(value) ? value : cp1252::kDefaultCodePage;
  cp1252::UseCodePage(code_page_);
}

void Settings::AutoSave(bool value) {
  auto_save_ = value;
  if (on_auto_save_change_) on_auto_save_change_();
}

void Settings::Load(RegistryTools& registry) {
  for (const SettingBinding& binding : Bindings()) {
    const bool boolean = binding.info.type == SettingType::Boolean;
    binding.load(*this, registry.fnsGetRegistryValue(std::string(binding.info.key),
                                                     std::string(binding.info.registry_name),
                                                     boolean ? "BOOL" : "String"));
  }
  if (line_delimiter_.empty()) line_delimiter_ = " ";
  RememberStored();
}

void Settings::RememberStored() {
  stored_settings_.clear();
  for (const SettingBinding& binding : Bindings()) stored_settings_.push_back(binding.save(*this));
}

// Only what this process changed is written: a default it filled in, or a value it read
// before another process saved its own change, must not overwrite that change.
void Settings::Save(RegistryTools& registry) {
  const std::vector<SettingBinding>& bindings = Bindings();
  if (stored_settings_.size() != bindings.size()) stored_settings_.assign(bindings.size(), std::string(1, '\0'));
  registry.WriteTogether([&] {
    for (std::size_t i = 0; i < bindings.size(); ++i) {
      std::string value = bindings[i].save(*this);
      if (value == stored_settings_[i]) continue;
      registry.subSetRegistryValue(std::string(bindings[i].info.key), std::string(bindings[i].info.registry_name),
                                   value);
      stored_settings_[i] = std::move(value);
    }
  });
}

const std::vector<SettingBinding>& Settings::Bindings() {
  static const std::vector<SettingBinding> table = MakeBindings();
  return table;
}

const std::vector<SettingInfo>& Settings::StoredSettings() {
  static const std::vector<SettingInfo> infos = [] {
    std::vector<SettingInfo> result;
    for (const SettingBinding& binding : Bindings()) result.push_back(binding.info);
    return result;
  }();
  return infos;
}

const SettingBinding* Settings::FindBinding(std::string_view name) {
  for (const SettingBinding& binding : Bindings())
    if (cp1252::EqualsNoCase(name, binding.info.property) || cp1252::EqualsNoCase(name, binding.info.registry_name))
      return &binding;
  return nullptr;
}

const SettingInfo* Settings::FindSetting(std::string_view name) {
  const SettingBinding* binding = FindBinding(name);
  return binding != nullptr ? &binding->info : nullptr;
}

std::optional<std::string> Settings::GetSettingText(std::string_view name) {
  const SettingBinding* binding = FindBinding(name);
  if (binding == nullptr) return std::nullopt;
  return binding->get(*this);
}

std::string Settings::SettingTextProblem(std::string_view name, std::string_view text) {
  const SettingBinding* binding = FindBinding(name);
  if (binding == nullptr) return "There is no setting named \"" + std::string(name) + "\".";
  return binding->check(text);
}

std::string Settings::SetSettingText(std::string_view name, std::string_view text) {
  const SettingBinding* binding = FindBinding(name);
  if (binding == nullptr) return "There is no setting named \"" + std::string(name) + "\".";
  try {
    return binding->set(*this, text);
  } catch (const std::exception& error) {
    return std::string(binding->info.property) + " was not changed: " + error.what();
  }
}

}  // namespace gildex
