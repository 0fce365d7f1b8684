#include "host/project_file.h"

#include <algorithm>
#include <system_error>

#include "platform/cp1252.h"

namespace gildex::host {
namespace fs = std::filesystem;

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Unquote(std::string_view s) {
  s = TrimBlanks(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return std::string(s);
}

struct KeyValue {
  std::string_view key, value;
};

std::optional<KeyValue> SplitKeyValue(std::string_view line) {
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyValue{TrimBlanks(line.substr(0, eq)), line.substr(eq + 1)};
}

bool IsSectionHeader(std::string_view line) {
  line = TrimBlanks(line);
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

struct MemberKey {
  std::string_view key;
  MemberKind kind;
  bool named;   // "Name; path"
  bool quoted;  // "path"
};

constexpr MemberKey kMemberKeys[] = {
    {"Form", MemberKind::Form, false, false},
    {"Module", MemberKind::Module, true, false},
    {"Class", MemberKind::Class, true, false},
    {"UserControl", MemberKind::UserControl, false, false},
    {"PropertyPage", MemberKind::PropertyPage, false, false},
    {"UserDocument", MemberKind::UserDocument, false, false},
    {"Designer", MemberKind::Designer, false, false},
    {"RelatedDoc", MemberKind::RelatedDoc, false, false},
    {"ResFile32", MemberKind::ResFile, false, true},
};

std::optional<ProjectMember> ReadMember(std::string_view key, std::string_view value, long line) {
  for (const auto& member_key : kMemberKeys) {
    if (!cp1252::EqualsNoCase(key, member_key.key)) continue;
    ProjectMember member;
    member.kind = member_key.kind;
    member.key = std::string(key);
    member.line = line;
    if (member_key.named) {
      auto semicolon = value.find(';');
      if (semicolon != std::string_view::npos) {
        member.name = std::string(TrimBlanks(value.substr(0, semicolon)));
        value = value.substr(semicolon + 1);
      }
    }
    member.path_text = member_key.quoted ? Unquote(value) : std::string(TrimBlanks(value));
    if (member.path_text.empty()) return std::nullopt;
    return member;
  }
  return std::nullopt;
}

std::vector<std::string> SplitWindowsPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

bool IsWindowsAbsolute(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// The entry of `folder` named `name` ignoring letter case; an exact match wins.
std::optional<std::string> FindEntry(const fs::path& folder, const std::string& name) {
  std::error_code error;
  if (fs::exists(folder / name, error)) return name;
  std::vector<std::string> matches;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string entry = it->path().filename().string();
    if (cp1252::EqualsNoCase(entry, name)) matches.push_back(entry);
  }
  if (matches.empty()) return std::nullopt;
  std::sort(matches.begin(), matches.end());
  return matches.front();
}

}  // namespace

ProjectFile ParseProjectFile(std::string_view bytes) {
  ProjectFile file;
  file.lines = SplitLines(bytes);
  bool in_other_section = false;
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    const std::string& text = file.lines[i].text;
    if (IsSectionHeader(text)) in_other_section = true;
    if (in_other_section) continue;
    auto kv = SplitKeyValue(text);
    if (!kv) continue;
    long line = static_cast<long>(i) + 1;
    if (auto member = ReadMember(kv->key, kv->value, line)) {
      file.members.push_back(std::move(*member));
    } else if (cp1252::EqualsNoCase(kv->key, "Type")) {
      file.type = Unquote(kv->value);
      file.has_type_line = true;
    } else if (cp1252::EqualsNoCase(kv->key, "Name")) {
      file.name = Unquote(kv->value);
    } else if (cp1252::EqualsNoCase(kv->key, "ExeName32")) {
      file.exe_name = Unquote(kv->value);
    } else if (cp1252::EqualsNoCase(kv->key, "Path32")) {
      file.path32 = Unquote(kv->value);
    } else if (cp1252::EqualsNoCase(kv->key, "Startup")) {
      file.startup = Unquote(kv->value);
    }
  }
  return file;
}

std::string WriteProjectFile(const ProjectFile& file) { return JoinLines(file.lines); }

GroupFile ParseGroupFile(std::string_view bytes) {
  GroupFile file;
  file.lines = SplitLines(bytes);
  if (!file.lines.empty()) file.has_header = cp1252::StartsWithNoCase(TrimBlanks(file.lines[0].text), "VBGROUP ");
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    auto kv = SplitKeyValue(file.lines[i].text);
    if (!kv) continue;
    bool startup = cp1252::EqualsNoCase(kv->key, "StartupProject");
    if (!startup && !cp1252::EqualsNoCase(kv->key, "Project")) continue;
    std::string path = Unquote(kv->value);
    if (!path.empty()) file.projects.push_back({path, static_cast<long>(i) + 1, startup});
  }
  return file;
}

std::string WriteGroupFile(const GroupFile& file) { return JoinLines(file.lines); }

std::optional<fs::path> FindIgnoringCase(const fs::path& base, std::string_view windows_path, bool* case_differs) {
  if (case_differs) *case_differs = false;
  if (IsWindowsAbsolute(windows_path)) return std::nullopt;
  fs::path found = base;
  for (const std::string& part : SplitWindowsPath(windows_path)) {
    if (part == ".") continue;
    if (part == "..") {
      found /= "..";
      continue;
    }
    auto entry = FindEntry(found.empty() ? fs::path(".") : found, part);
    if (!entry) return std::nullopt;
    if (*entry != part && case_differs) *case_differs = true;
    found /= *entry;
  }
  std::error_code error;
  if (!fs::is_regular_file(found, error)) return std::nullopt;
  return found.lexically_normal();
}

ResolvedPath ResolveMemberPath(const fs::path& base, std::string_view windows_path) {
  bool case_differs = false;
  if (auto found = FindIgnoringCase(base, windows_path, &case_differs))
    return {*found, case_differs ? PathMatch::OtherCase : PathMatch::Exact};
  std::string name = WindowsFileName(windows_path);
  if (!name.empty()) {
    if (auto entry = FindEntry(base.empty() ? fs::path(".") : base, name)) {
      std::error_code error;
      fs::path beside = (base / *entry).lexically_normal();
      if (fs::is_regular_file(beside, error)) return {beside, PathMatch::Beside};
    }
  }
  return {};
}

std::string WindowsFileName(std::string_view windows_path) {
  auto parts = SplitWindowsPath(windows_path);
  if (parts.empty()) return {};
  std::string name = parts.back();
  // A drive-relative "C:name" leaves the drive on the last part.
  if (parts.size() == 1 && name.size() > 2 && name[1] == ':') name = name.substr(2);
  return name;
}

std::string BuildFileName(const ProjectFile& file, const fs::path& folder) {
  std::string exe = file.exe_name;
  if (exe.empty()) {
    if (file.name.empty()) return {};
    std::string extension = ".exe";
    if (cp1252::EqualsNoCase(file.type, "OleDll")) extension = ".dll";
    if (cp1252::EqualsNoCase(file.type, "Control")) extension = ".ocx";
    exe = file.name + extension;
  }
  if (IsWindowsAbsolute(exe)) return exe;
  std::string relative = file.path32.empty() ? exe : file.path32 + "\\" + exe;
  if (IsWindowsAbsolute(relative)) return relative;
  fs::path path = folder;
  for (const std::string& part : SplitWindowsPath(relative)) path /= part;
  return fs::absolute(path).lexically_normal().string();
}

}  // namespace gildex::host
