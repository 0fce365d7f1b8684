#pragma once
// Settings that live with the code: a `.gildex` file in the project's folder or a folder
// above it, up to the repository's root (the folder holding `.git`), as `.clang-format` is
// found. Its lines are `NAME = VALUE` with the names `gildex options set` takes (property or
// registry name, any letter case), `#` comments and blank lines; a relative TemplatePath is
// taken from the file's folder, so a repository ships its own templates.
//
// The values stand in for the user's registry while the project is open (common/
// registry_tools.h): the settings a run gives (--set, --template) come over them, they come
// over the registry, and they are never saved into it.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/problem.h"
#include "common/registry_tools.h"
#include "engine/settings.h"
#include "session/platform_context.h"

namespace gildex::session {

inline constexpr const char* kRepositorySettingsFile = ".gildex";

// The nearest `.gildex` from `start` (a project file, or a folder) up to the repository's root,
// or to the file system's root when no folder on the way holds `.git`; nothing when none.
std::optional<std::filesystem::path> FindRepositorySettings(const std::filesystem::path& start);

// The file's settings as values over the registry; a line that names no setting, holds a value
// the setting refuses or has no "=" is a problem "FILE:LINE: ..." and nothing is taken.
Problem ReadRepositorySettings(const std::filesystem::path& file, std::vector<OverlaidValue>& values);

// Finds and reads the file for `start` and puts its values in use over `context`'s registry
// (none found: the registry alone). Engines already made load their settings again when
// the values changed; `changed` (when given) says whether they did. On a problem the
// values in use stay as they were.
Problem UseRepositorySettings(PlatformContext& context, const std::filesystem::path& start, bool* changed = nullptr);

// Puts the code page of `start`'s settings (the registry's, under its .gildex) in use, for a
// host that shows a project's text without opening it in a session; a bad settings file
// leaves the one in use.
void UseCodePageOf(const std::filesystem::path& start);

// Where a setting's value comes from, for `options list --origin` and the options dialog.
struct SettingOrigin {
  ValueSource source = ValueSource::Absent;  // Absent: the default
  std::string file;                          // the settings file, for an overlaid value
  long line = 0;
};
SettingOrigin OriginOf(const RegistryTools& tools, const SettingInfo& info);

}  // namespace gildex::session
