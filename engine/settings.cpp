// The settings table: accessor rules, the registry layout and its load and save order, and
// the text form the options command reads and writes.
#include <cstdint>
#include <filesystem>
#include <limits>
#include <system_error>

#include "common/nembus_common.h"
#include "engine/gildex.h"
#include "engine/setting_binding.h"
#include "platform/cp1252.h"

namespace gildex {

namespace {

bool EndsWithSeparator(std::string_view path) { return !path.empty() && IsPathSeparator(path.back()); }

}  // namespace

std::string CGildex::BackupDirectory() const {
  if (backup_directory_.empty()) {
    host::VBProject* project = vbe_ != nullptr ? vbe_->ActiveVBProject() : nullptr;
    if (project != nullptr) backup_directory_ = GetFilePath(project->FileName());
    if (backup_directory_.empty()) backup_directory_ = ProgramFolderPath();
  }
  if (!EndsWithSeparator(backup_directory_)) backup_directory_ += kPathSeparator;
  return backup_directory_;
}

void CGildex::BackupDirectory(std::string value) {
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

void CGildex::BackupExt(std::string value) {
  report_.Trap("CGildex.BackupExt", [&] { backup_ext_ = value.empty() ? "BAK" : std::move(value); });
}

std::int16_t CGildex::LineIncrement() const { return line_increment_ >= 1 ? line_increment_ : std::int16_t{1}; }

void CGildex::LineIncrement(std::int16_t value) {
  report_.Trap("CGildex.LineIncrement", [&] { line_increment_ = value >= 1 ? value : std::int16_t{1}; });
}

std::string CGildex::CodeBodyEnd() const {
  return code_body_end_.empty() ? std::string(kDefaultCodeBodyEnd) : code_body_end_;
}

void CGildex::CodeBodyEnd(std::string value) {
  report_.Trap("CGildex.CodeBodyEnd", [&] {
    code_body_end_ = TrimSpaces(value).empty() ? std::string(kDefaultCodeBodyEnd) : std::move(value);
  });
}

std::string CGildex::CodeBodyStart() const {
  return code_body_start_.empty() ? std::string(kDefaultCodeBodyStart) : code_body_start_;
}

void CGildex::CodeBodyStart(std::string value) {
  report_.Trap("CGildex.CodeBodyStart", [&] {
    code_body_start_ = TrimSpaces(value).empty() ? std::string(kDefaultCodeBodyStart) : std::move(value);
  });
}

void CGildex::MinLines(std::int32_t value) {
  report_.Trap("CGildex.MinLines", [&] {
    if (value >= 0) min_lines_ = value;
  });
}

std::string CGildex::TemplatePath() const {
  return report_.Trap("CGildex.TemplatePath", template_path_, [&] {
    return TrimSpaces(template_path_).empty() ? ProgramFolderPath() + "Templates" + kPathSeparator : template_path_;
  });
}

void CGildex::TemplatePath(std::string value) {
  report_.Trap("CGildex.TemplatePath", [&] {
    // A blank path stays blank so that it keeps reading as the default folder; on Windows
    // the lone "\" it used to become meant the root of the current drive.
    if (!TrimSpaces(value).empty() && !EndsWithSeparator(value)) value += kPathSeparator;
    template_path_ = std::move(value);
  });
}

void CGildex::AutoSave(bool value) {
  report_.Trap("CGildex.AutoSave", [&] {
    auto_save_ = value;
    StopAutoSaveTimer();
    if (value && save_interval_ > 0) {
      const std::int64_t period_ms = std::int64_t{save_interval_} * 60000;
      if (period_ms > std::numeric_limits<std::int32_t>::max()) throw VbError(6, "Overflow");
      auto_save_timer_ = services_.timers.SetTimer(period_ms, [this] { AutoSaveTick(); });
    }
  });
}

void CGildex::StopAutoSaveTimer() {
  if (auto_save_timer_ != 0) services_.timers.KillTimer(auto_save_timer_);
  auto_save_timer_ = 0;
}

void CGildex::AutoSaveTick() {
  if (auto_save_handler_) auto_save_handler_();
}

void CGildex::LoadSettings() {
  for (const SettingBinding& binding : Bindings()) {
    const bool boolean = binding.info.type == SettingType::Boolean;
    binding.load(*this, registry_.fnsGetRegistryValue(std::string(binding.info.key),
                                                      std::string(binding.info.registry_name),
                                                      boolean ? "BOOL" : "String"));
  }
  if (line_delimiter_.empty()) line_delimiter_ = " ";
  RememberStoredSettings();
  LoadPrefixes();
}

void CGildex::RememberStoredSettings() {
  stored_settings_.clear();
  for (const SettingBinding& binding : Bindings()) stored_settings_.push_back(binding.save(*this));
}

// Only what this process changed is written: a default it filled in, or a value it read
// before another process saved its own change, must not overwrite that change.
void CGildex::SaveSettings() {
  const std::vector<SettingBinding>& bindings = Bindings();
  if (stored_settings_.size() != bindings.size()) stored_settings_.assign(bindings.size(), std::string(1, '\0'));
  registry_.WriteTogether([&] {
    for (std::size_t i = 0; i < bindings.size(); ++i) {
      std::string value = bindings[i].save(*this);
      if (value == stored_settings_[i]) continue;
      registry_.subSetRegistryValue(std::string(bindings[i].info.key), std::string(bindings[i].info.registry_name),
                                    value);
      stored_settings_[i] = std::move(value);
    }
  });
}

const std::vector<SettingBinding>& CGildex::Bindings() {
  static const std::vector<SettingBinding> table = MakeBindings();
  return table;
}

const std::vector<SettingInfo>& CGildex::StoredSettings() {
  static const std::vector<SettingInfo> infos = [] {
    std::vector<SettingInfo> result;
    for (const SettingBinding& binding : Bindings()) result.push_back(binding.info);
    return result;
  }();
  return infos;
}

const SettingBinding* CGildex::FindBinding(std::string_view name) {
  for (const SettingBinding& binding : Bindings())
    if (cp1252::EqualsNoCase(name, binding.info.property) || cp1252::EqualsNoCase(name, binding.info.registry_name))
      return &binding;
  return nullptr;
}

const SettingInfo* CGildex::FindSetting(std::string_view name) {
  const SettingBinding* binding = FindBinding(name);
  return binding != nullptr ? &binding->info : nullptr;
}

std::optional<std::string> CGildex::GetSettingText(std::string_view name) {
  const SettingBinding* binding = FindBinding(name);
  if (binding == nullptr) return std::nullopt;
  return binding->get(*this);
}

std::string CGildex::SetSettingText(std::string_view name, std::string_view text) {
  const SettingBinding* binding = FindBinding(name);
  if (binding == nullptr) return "There is no setting named \"" + std::string(name) + "\".";
  try {
    return binding->set(*this, text);
  } catch (const std::exception& error) {
    return std::string(binding->info.property) + " was not changed: " + error.what();
  }
}

}  // namespace gildex
