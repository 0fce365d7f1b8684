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
#include <set>
#include <string_view>

#include "platform/atomic_file.h"
#include "platform/program_folder_warning.h"

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
constexpr std::array<std::string_view, 4> kShippedItems = {"Templates", "Scripts", "Help", "pfx.dat"};

constexpr std::string_view kSeededList = ".gildex-seeded";

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

// Copies the shipped `source` to `user`/`file` when the user has nothing of that name and
// every folder on the way is a folder (or missing); false when anything of the user's is in
// the way. Copied under a hidden name first, so a failed copy never leaves a half-written
// file that would look like the user's own.
bool CopyUnlessPresent(const fs::path& source, const fs::path& user, const std::string& file) {
  const fs::path target = user / file;
  fs::path folder = user;
  for (const fs::path& part : fs::path(file).parent_path()) {
    folder /= part;
    const fs::file_status status = fs::status(folder);
    if (fs::exists(status) && !fs::is_directory(status)) return false;
  }
  if (fs::exists(fs::symlink_status(target))) return false;
  fs::create_directories(target.parent_path());
  const fs::path staging = target.parent_path() / fmt::format(".{}.seeding-{}", target.filename().string(), ::getpid());
  try {
    fs::remove(staging);
    fs::copy_file(source, staging);
    if (MoveIntoPlaceUnlessPresent(staging, target)) return true;
    fs::remove(staging);
    return false;
  } catch (...) {
    std::error_code ignored;
    fs::remove(staging, ignored);
    throw;
  }
}

std::function<void(const std::string&)>& FolderWarning() {
  static std::function<void(const std::string&)> warn = [](const std::string& text) {
    fmt::print(stderr, "warning: {}\n", text);
  };
  return warn;
}

// An installed Gildex must still start when the user's folder cannot be filled; the
// templates commands then show what is missing.
void SeedOrWarn(const fs::path& installed, const fs::path& user) {
  try {
    SeedProgramFolder(installed, user);
  } catch (const fs::filesystem_error& e) {
    FolderWarning()(fmt::format("cannot copy the shipped data into {}: {}", user.string(), e.what()));
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

void OnProgramFolderWarning(std::function<void(const std::string&)> warn) { FolderWarning() = std::move(warn); }

fs::path InstalledDataFolder(const fs::path& executable) {
  return AsFolder(executable.parent_path().parent_path() / "share" / "gildex");
}

std::vector<std::string> SeedProgramFolder(const fs::path& installed, const fs::path& user) {
  // Every shipped file, by its path under the program folder.
  std::vector<std::string> shipped;
  for (const std::string_view name : kShippedItems) {
    const fs::path source = installed / name;
    std::vector<std::string> files;
    if (fs::is_directory(source)) {
      for (const auto& entry : fs::recursive_directory_iterator(source))
        if (!entry.is_directory()) files.push_back((fs::path(name) / fs::relative(entry.path(), source)).generic_string());
    } else if (fs::exists(fs::symlink_status(source))) {
      files.emplace_back(name);
    }
    std::sort(files.begin(), files.end());
    shipped.insert(shipped.end(), files.begin(), files.end());
  }
  if (shipped.empty()) return {};
  fs::create_directories(user);

  // What earlier seedings offered: a shipped file the user has deleted stays deleted, while
  // a file a newer installation adds still arrives in a folder that exists.
  const fs::path list = user / kSeededList;
  std::string offered = ReadWholeFile(list).value_or("");
  std::set<std::string> known;
  for (std::size_t start = 0, end; start < offered.size(); start = end + 1) {
    end = offered.find('\n', start);
    if (end == std::string::npos) end = offered.size();
    known.insert(offered.substr(start, end - start));
  }

  std::vector<std::string> copied;
  const auto remember = [&] {
    if (offered.size() > 0 && !offered.ends_with('\n')) offered += '\n';
    WriteFileAtomically(list, offered, 0644, true);
  };
  bool changed = false;
  try {
    for (const std::string& file : shipped) {
      if (known.count(file)) continue;
      if (CopyUnlessPresent(installed / file, user, file)) copied.push_back(file);
      offered += file + "\n";
      changed = true;
    }
  } catch (...) {
    if (changed) remember();
    throw;
  }
  if (changed) remember();
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
