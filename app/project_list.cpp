#include "app/project_list.h"

#include <fmt/core.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <ostream>

#include "app/interrupt.h"
#include "app/printer.h"
#include "app/scope_command.h"
#include "platform/cp1252.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ProjectFilesUnder(const fs::path& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error))
    if (cp1252::EqualsNoCase(it->path().extension().string(), ".vbp") && it->is_regular_file(error))
      found.push_back(it->path().string());
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

std::vector<std::string> ExpandProjects(const std::vector<std::string>& arguments, std::string& problem) {
  std::vector<std::string> projects;
  for (const std::string& argument : arguments) {
    std::error_code error;
    if (!fs::is_directory(argument, error)) {
      projects.push_back(argument);
      continue;
    }
    const std::vector<std::string> under = ProjectFilesUnder(argument);
    if (under.empty()) {
      problem = "there is no project file (.vbp) in " + argument + " or its subfolders";
      return {};
    }
    projects.insert(projects.end(), under.begin(), under.end());
  }
  return projects;
}

int ForEachProject(const std::vector<std::string>& arguments, std::ostream& err, bool quiet,
                   std::string_view reported, const std::function<int(const std::string& project, bool many)>& one) {
  std::string problem;
  const std::vector<std::string> projects = ExpandProjects(arguments, problem);
  if (!problem.empty()) {
    Say(err, problem);
    return kBadInput;
  }
  // Ctrl-C between two projects cancels as it does within one.
  InterruptGuard interrupt;
  const bool many = projects.size() > 1;
  std::array<long, 4> counts{};  // projects by exit status
  std::string failed;
  int worst = kDone;
  for (const std::string& project : projects) {
    const int code = Interrupted() ? static_cast<int>(kCancelled) : one(project, many);
    ++counts[static_cast<std::size_t>(code)];
    if (code == kBadInput) failed += (failed.empty() ? "" : ", ") + project;
    worst = std::max(worst, code);
    if (code == kCancelled) break;
  }
  if (!many || quiet) return worst;
  std::string line = fmt::format("{} projects: {} done", projects.size(), counts[kDone]);
  if (counts[kReported] > 0) line += fmt::format(", {} {}", counts[kReported], reported);
  if (counts[kBadInput] > 0) line += fmt::format(", {} failed ({})", counts[kBadInput], failed);
  const long left = static_cast<long>(projects.size()) - counts[kDone] - counts[kReported] - counts[kBadInput];
  if (left > 0) line += fmt::format(", {} cancelled or not started", left);
  Say(err, line + ".");
  return worst;
}

}  // namespace gildex::app
