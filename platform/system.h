#pragma once
// System facts the add-in asks Windows for: who is logged on, environment variables, the
// program folder and the Windows folder (where the host keeps its add-in list).
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gildex::platform {

class Environment {
 public:
  virtual ~Environment() = default;
  virtual std::optional<std::string> Get(const std::string& name) const = 0;
  virtual std::string UserName() const = 0;
};

// getenv / the login name ($USER, $LOGNAME, else the password entry).
class SystemEnvironment : public Environment {
 public:
  std::optional<std::string> Get(const std::string& name) const override;
  std::string UserName() const override;
};

class FakeEnvironment : public Environment {
 public:
  std::optional<std::string> Get(const std::string& name) const override;
  std::string UserName() const override { return user_; }
  void Set(const std::string& name, const std::string& value) { vars_[name] = value; }
  void Unset(const std::string& name) { vars_.erase(name); }
  void SetUserName(std::string user) { user_ = std::move(user); }

 private:
  std::map<std::string, std::string> vars_;
  std::string user_ = "tester";
};

// The program folder: $GILDEX_HOME when set; in a build tree the source tree's data/
// folder; for an installed Gildex the user's own folder
// ${XDG_DATA_HOME:-$HOME/.local/share}/gildex/, which is first given what it lacks of the
// installed data (SeedProgramFolder; a failure there is a warning on standard error).
// Always an absolute path.
std::filesystem::path ProgramFolder();
// Where an installed `executable` (P/bin/gildex) finds the data shipped with it:
// P/share/gildex/.
std::filesystem::path InstalledDataFolder(const std::filesystem::path& executable);
// Gives the user's program folder `user` what it lacks of the shipped data in `installed`
// (the files under Templates/, Scripts/ and Help/, and pfx.dat), file by file: a shipped file is
// copied when the user has nothing of that name and no earlier seeding offered it (the
// offered files are listed in `user`/.gildex-seeded), so a newer installation's new
// template reaches an existing folder, while nothing of the user's is ever replaced and a
// file the user deleted does not come back. Returns the files copied ("Templates/Raise.hdr").
// A copy that fails throws std::filesystem::filesystem_error and leaves no half-copied
// file behind; the files copied before it stay.
std::vector<std::string> SeedProgramFolder(const std::filesystem::path& installed, const std::filesystem::path& user);
// The data/ folder of the Gildex source tree whose build tree holds `executable` (found by
// the CMakeCache.txt of a folder above it), or nothing when it lies in no such tree.
std::optional<std::filesystem::path> DataFolderOfBuildTree(const std::filesystem::path& executable);
// The Windows folder stand-in where the host's "vbaddin.ini" lives: $GILDEX_WINDIR, else
// ${XDG_CONFIG_HOME:-$HOME/.config}/gildex/windows/.
std::filesystem::path WindowsFolder();

// The user's folders of the XDG base-directory rules, without our own sub-folder:
// ${XDG_CONFIG_HOME:-$HOME/.config} and ${XDG_DATA_HOME:-$HOME/.local/share}.
std::filesystem::path UserConfigFolder();
std::filesystem::path UserDataFolder();

// Paths read from settings may use either separator ("Templates\"); this gives a path of
// the platform with '/' separators.
std::filesystem::path NativePath(const std::string& windows_or_native);

}  // namespace gildex::platform
