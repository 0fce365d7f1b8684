#include "session/repository_settings.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "common/nembus_common.h"
#include "platform/code_page.h"
#include "platform/cp1252.h"
#include "platform/system.h"
#include "templates/template_rules.h"

namespace gildex::session {
namespace {

namespace fs = std::filesystem;

// The line's text as stored settings hold it (Windows-1252, as the registry file's): the
// file is UTF-8 as an editor writes it; bytes that are no UTF-8 are taken as they are.
std::optional<std::string> SettingBytes(std::string_view line) {
  std::string bytes;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t was = at;
    const std::optional<char32_t> code_point = cp1252::NextUtf8(line, at);
    if (!code_point) {
      bytes += line[at++];
      continue;
    }
    const std::optional<char> byte = cp1252::FromUnicode(*code_point, cp1252::kDefaultCodePage);
    if (!byte && at - was > 1) return std::nullopt;
    bytes += byte.value_or(line[was]);
  }
  return bytes;
}

// A value in double quotes keeps its blanks (a code-body marker ends with one).
std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

// What is wrong with the line, or empty; `value` gets the value as stored.
std::string LineProblem(const fs::path& file, std::string_view line, const SettingInfo*& info, std::string& value) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return "NAME = VALUE expected, not \"" + std::string(line) + "\"";
  const std::string name(TrimSpaces(line.substr(0, equals)));
  info = Settings::FindSetting(name);
  if (info == nullptr) return "there is no setting named \"" + name + "\"";
  value = std::string(Unquoted(TrimSpaces(line.substr(equals + 1))));
  if (std::string problem = Settings::SettingTextProblem(info->property, value); !problem.empty()) return problem;
  if (std::string problem = SettingValueProblem(*info, value); !problem.empty()) return problem;
  if (info->property == "TemplatePath" && !TrimSpaces(value).empty()) {
    const fs::path folder = fs::path(platform::NativePath(value));
    // Ending with a separator, as the setting stores a folder.
    value = ((folder.is_absolute() ? folder : file.parent_path() / folder) / "").lexically_normal().string();
  }
  return {};
}

}  // namespace

std::optional<fs::path> FindRepositorySettings(const fs::path& start) {
  std::error_code error;
  fs::path folder = fs::absolute(start, error).lexically_normal();
  if (!fs::is_directory(folder, error)) folder = folder.parent_path();
  for (;; folder = folder.parent_path()) {
    const fs::path file = folder / kRepositorySettingsFile;
    if (fs::is_regular_file(file, error)) return file;
    // `.git` is a folder in a clone and a file in a worktree: either way the root.
    if (fs::exists(folder / ".git", error) || folder == folder.parent_path()) return std::nullopt;
  }
}

Problem ReadRepositorySettings(const fs::path& file, std::vector<OverlaidValue>& values) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return file.string() + ": cannot be read";
  std::vector<OverlaidValue> read;
  std::string text;
  long number = 0;
  while (std::getline(in, text)) {
    ++number;
    if (number == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    const std::string_view line = TrimSpaces(text);
    if (line.empty() || line.front() == '#') continue;
    const SettingInfo* info = nullptr;
    std::string value;
    std::optional<std::string> bytes = SettingBytes(line);
    std::string problem = bytes ? LineProblem(file, *bytes, info, value)
                                : std::string("the line holds a character that Windows-1252 cannot store");
    if (!problem.empty()) return file.string() + ":" + std::to_string(number) + ": " + problem;
    // The last line naming a setting wins, as a later line of .editorconfig does.
    std::erase_if(read, [&](const OverlaidValue& earlier) { return earlier.name == info->registry_name; });
    read.push_back({std::string(info->key), std::string(info->registry_name), value, file.string(), number});
  }
  values = std::move(read);
  return {};
}

Problem UseRepositorySettings(PlatformContext& context, const fs::path& start, bool* changed) {
  std::vector<OverlaidValue> values;
  if (const std::optional<fs::path> file = FindRepositorySettings(start))
    if (Problem problem = ReadRepositorySettings(*file, values); !problem.empty()) return problem;
  const bool differs = values != context.tools.Overlaid();
  if (changed != nullptr) *changed = differs;
  if (!differs) return {};
  context.tools.Overlay(std::move(values));
  context.ReloadSettings();
  return {};
}

void UseCodePageOf(const fs::path& start) {
  std::ostringstream said;
  platform::UnattendedDialogs dialogs(said);
  PlatformContext context(dialogs);
  if (UseRepositorySettings(context, start).empty()) context.Engine();
}

SettingOrigin OriginOf(const RegistryTools& tools, const SettingInfo& info) {
  const std::string key(info.key), name(info.registry_name);
  SettingOrigin origin{tools.SourceOf(key, name), {}, 0};
  if (const OverlaidValue* overlaid = tools.FindOverlaid(key, name)) {
    origin.file = overlaid->file;
    origin.line = overlaid->line;
  }
  return origin;
}

}  // namespace gildex::session
