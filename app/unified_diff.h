#pragma once
// The diff `--dry-run` prints: what a command would write into each file, in the form git
// writes it, so that `git apply` and `patch -p1` turn the files into what the command
// itself would have written.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::app {

// "diff --git a/PATH b/PATH", "--- a/PATH", "+++ b/PATH" and the hunks with three lines of
// context. A line is the bytes up to and including its LF: lines are compared and printed
// byte for byte (CR, Windows-1252 letters and all), and a last line without LF is followed
// by "\ No newline at end of file". Empty when the texts are equal. Cost grows with the
// size of the texts and of the changed regions, not with their product: unchanged lines
// are matched first (common ends, then lines found once on each side), and only what lies
// between them is compared line against line.
std::string UnifiedDiff(std::string_view path, std::string_view before, std::string_view after);

// The folder the paths of a diff over `files` are written relative to: `cwd` when it holds
// every file, else `project_folder` when it holds them all, else the nearest folder holding
// the project folder and every file (git apply refuses paths that climb with "..").
// Absolute paths; symbolic links are resolved.
std::filesystem::path DiffRoot(const std::vector<std::filesystem::path>& files, const std::filesystem::path& cwd,
                               const std::filesystem::path& project_folder);

// `file` relative to `root` (which holds it), folders joined with '/'.
std::string DiffPath(const std::filesystem::path& file, const std::filesystem::path& root);

}  // namespace gildex::app
