#include "platform/system.h"

#include <fcntl.h>
#include <fmt/core.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace gildex::platform {
namespace fs = std::filesystem;
namespace {

std::optional<std::string> Env(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

const passwd* PasswordEntry() { return ::getpwuid(::getuid()); }

fs::path HomeFolder() {
  if (auto home = Env("HOME")) return *home;
  if (const passwd* pw = PasswordEntry(); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
  return fs::current_path();
}

// The XDG rules ignore a relative setting.
fs::path XdgFolder(const char* variable, const fs::path& fallback) {
  if (auto set = Env(variable); set && fs::path(*set).is_absolute()) return *set;
  return HomeFolder() / fallback;
}

fs::path AsFolder(const fs::path& p) {
  fs::path folder = fs::absolute(p).lexically_normal();
  if (!folder.has_filename()) return folder;
  return folder / "";
}

// The source folder named by CMakeCache.txt in `build`, when it is Gildex's.
std::optional<fs::path> SourceOfBuildTree(const fs::path& build) {
  std::ifstream cache(build / "CMakeCache.txt");
  if (!cache) return std::nullopt;
  std::string line, source;
  bool ours = false;
  while (std::getline(cache, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    constexpr std::string_view kHome = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    if (line.starts_with(kHome)) source = line.substr(kHome.size());
    if (line == "CMAKE_PROJECT_NAME:STATIC=gildex") ours = true;
  }
  if (!ours || source.empty()) return std::nullopt;
  return fs::path(source);
}

// What an installed Gildex ships into a user's program folder.
constexpr std::array<std::string_view, 3> kShippedItems = {"Templates", "Scripts", "pfx.dat"};

// Renames `from` to `to` unless `to` exists, without a moment in which a file of the user's
// could be replaced; false when `to` was there (another Gildex seeded it first).
bool MoveIntoPlaceUnlessPresent(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS)
    throw fs::filesystem_error("cannot rename", from, to, std::error_code(errno, std::generic_category()));
  // A file system without the no-replace rename: check, then rename.
  if (fs::exists(fs::symlink_status(to))) return false;
  fs::rename(from, to);
  return true;
}

// An installed Gildex must still start when the user's folder cannot be filled; the
// templates commands then show what is missing.
void SeedOrWarn(const fs::path& installed, const fs::path& user) {
  try {
    SeedProgramFolder(installed, user);
  } catch (const fs::filesystem_error& e) {
    fmt::print(stderr, "gildex: warning: cannot copy the shipped data into {}: {}\n", user.string(), e.what());
  }
}

}  // namespace

// A program run from a build tree uses the data folder of its source tree, so tests and
// developers need no installation.
std::optional<fs::path> DataFolderOfBuildTree(const fs::path& executable) {
  std::error_code ec;
  for (fs::path folder = executable.parent_path(); !folder.empty(); folder = folder.parent_path()) {
    if (const auto source = SourceOfBuildTree(folder)) {
      const fs::path data = *source / "data";
      if (fs::is_directory(data, ec)) return data;
    }
    if (folder == folder.root_path()) break;
  }
  return std::nullopt;
}

std::optional<std::string> SystemEnvironment::Get(const std::string& name) const {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

std::string SystemEnvironment::UserName() const {
  if (auto user = Env("USER")) return *user;
  if (auto user = Env("LOGNAME")) return *user;
  if (const passwd* pw = PasswordEntry(); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
  return "USER";
}

std::optional<std::string> FakeEnvironment::Get(const std::string& name) const {
  const auto found = vars_.find(name);
  if (found == vars_.end()) return std::nullopt;
  return found->second;
}

fs::path UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }
fs::path UserDataFolder() { return XdgFolder("XDG_DATA_HOME", fs::path(".local") / "share"); }

fs::path ProgramFolder() {
  if (auto home = Env("GILDEX_HOME")) return AsFolder(*home);
  const fs::path user = AsFolder(UserDataFolder() / "gildex");
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return user;
  if (auto data = DataFolderOfBuildTree(exe)) return AsFolder(*data);
  SeedOrWarn(InstalledDataFolder(exe), user);
  return user;
}

fs::path InstalledDataFolder(const fs::path& executable) {
  return AsFolder(executable.parent_path().parent_path() / "share" / "gildex");
}

std::vector<std::string> SeedProgramFolder(const fs::path& installed, const fs::path& user) {
  std::vector<std::string> copied;
  for (const std::string_view name : kShippedItems) {
    const fs::path source = installed / name;
    const fs::path target = user / name;
    if (!fs::exists(source) || fs::exists(fs::symlink_status(target))) continue;
    fs::create_directories(user);
    // Copied under a hidden name first, so that a failed copy never leaves a half-filled
    // Templates/ that would look like the user's own and never be seeded again.
    const fs::path staging = user / fmt::format(".{}.seeding-{}", name, ::getpid());
    try {
      fs::remove_all(staging);
      fs::copy(source, staging, fs::copy_options::recursive);
      if (MoveIntoPlaceUnlessPresent(staging, target))
        copied.emplace_back(name);
      else
        fs::remove_all(staging);
    } catch (...) {
      std::error_code ignored;
      fs::remove_all(staging, ignored);
      throw;
    }
  }
  return copied;
}

fs::path WindowsFolder() {
  if (auto windir = Env("GILDEX_WINDIR")) return AsFolder(*windir);
  return AsFolder(UserConfigFolder() / "gildex" / "windows");
}

fs::path NativePath(const std::string& windows_or_native) {
  std::string path = windows_or_native;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace gildex::platform
