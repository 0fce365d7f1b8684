#include "platform/system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;

TEST(System, UserNameTriesUserThenLognameThenThePasswordEntry) {
  ScopedEnv set("GILDEX_TEST_VALUE", "caf\xe9");
  ScopedEnv unset("GILDEX_TEST_MISSING", std::nullopt);
  SystemEnvironment env;
  EXPECT_EQ(env.Get("GILDEX_TEST_VALUE"), "caf\xe9");
  EXPECT_EQ(env.Get("GILDEX_TEST_MISSING"), std::nullopt);
  {
    ScopedEnv user("USER", "alice"), logname("LOGNAME", "bob");
    EXPECT_EQ(env.UserName(), "alice");
  }
  {
    ScopedEnv user("USER", std::nullopt), logname("LOGNAME", "bob");
    EXPECT_EQ(env.UserName(), "bob");
  }
  ScopedEnv user("USER", std::nullopt), logname("LOGNAME", std::nullopt);
  EXPECT_FALSE(env.UserName().empty());
}

TEST(System, FoldersFollowTheEnvironment) {
  {
    ScopedEnv home("GILDEX_HOME", "relative/data");
    EXPECT_EQ(ProgramFolder(), fs::current_path() / "relative/data/");
  }
  {
    // These tests run from the build tree of this source: its data folder.
    ScopedEnv home("GILDEX_HOME", std::nullopt);
    const fs::path folder = ProgramFolder();
    EXPECT_TRUE(fs::equivalent(folder, fs::path(GILDEX_SOURCE_DIR) / "data")) << folder;
    EXPECT_EQ(folder.string().back(), '/');
  }
  {
    ScopedEnv windir("GILDEX_WINDIR", "/srv/win");
    EXPECT_EQ(WindowsFolder(), "/srv/win/");
  }
  ScopedEnv windir("GILDEX_WINDIR", std::nullopt), config("XDG_CONFIG_HOME", std::nullopt),
      data("XDG_DATA_HOME", std::nullopt), home("HOME", "/home/someone");
  EXPECT_EQ(WindowsFolder(), "/home/someone/.config/gildex/windows/");
  EXPECT_EQ(UserDataFolder(), "/home/someone/.local/share");
  EXPECT_EQ(InstalledDataFolder("/opt/gildex-0.1/bin/gildex"), "/opt/gildex-0.1/share/gildex/");
  EXPECT_EQ(NativePath("Templates\\Controls\\a.ctt"), "Templates/Controls/a.ctt");
  EXPECT_EQ(NativePath("/already/native"), "/already/native");
}

TEST(System, FindsTheSourceDataFolderAboveAnExecutable) {
  testing::TempDir dir;
  fs::create_directories(dir / "src/data");
  fs::create_directories(dir / "build/app");
  const std::string home = "CMAKE_HOME_DIRECTORY:INTERNAL=" + (dir / "src").string() + "\n";
  testing::WriteBytes(dir / "build/CMakeCache.txt", "# CMakeCache\n" + home + "CMAKE_PROJECT_NAME:STATIC=gildex\n");
  EXPECT_EQ(DataFolderOfBuildTree(dir / "build/app/gildex"), dir / "src/data");
  EXPECT_EQ(DataFolderOfBuildTree(dir / "elsewhere/gildex"), std::nullopt);
  testing::WriteBytes(dir / "build/CMakeCache.txt", home + "CMAKE_PROJECT_NAME:STATIC=another\n");
  EXPECT_EQ(DataFolderOfBuildTree(dir / "build/app/gildex"), std::nullopt);
}

// A fake installation: what Gildex ships, under share/gildex/ of a temporary prefix.
class Installation {
 public:
  Installation() {
    fs::create_directories(Data() / "Templates");
    fs::create_directories(Data() / "Scripts/Samples");
    testing::WriteBytes(Data() / "Templates/Standard.hdr", "On Error GoTo ErrHandler\r\n");
    testing::WriteBytes(Data() / "Templates/Standard.ftr", "ErrHandler:\r\n    Resume Next\r\n");
    testing::WriteBytes(Data() / "Scripts/Upper.vbs", "Function Process(ProcCode)\r\n' Gr\xf6\xdf" "e\r\nEnd Function\r\n");
    testing::WriteBytes(Data() / "Scripts/Samples/Skip.vbs", "Function Process(ProcCode)\nEnd Function\n");
    testing::WriteBytes(Data() / "pfx.dat", "CommandButton=cmd\r\nTextBox=txt\r\n");
  }
  fs::path Data() const { return dir_ / "share/gildex"; }
  fs::path User() const { return dir_ / "home/.local/share/gildex"; }

 private:
  testing::TempDir dir_;
};

// Every file under `folder` with its bytes, by path relative to it; "->" marks a link.
std::map<std::string, std::string> FilesUnder(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    if (entry.is_symlink())
      files[name] = "-> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_regular_file())
      files[name] = testing::ReadBytes(entry.path());
    else
      files[name + "/"] = "";
  }
  return files;
}

using Names = std::vector<std::string>;

TEST(System, SeedingNeverReplacesOrAddsToWhatTheUserHas) {
  struct Case {
    std::string what;
    std::function<void(const Installation&)> prepare;
    Names copied;
  };
  const std::vector<Case> cases = {
      {"an empty user folder", [](const Installation&) {}, {"Templates", "Scripts", "pfx.dat"}},
      {"own prefix table", [](const Installation& i) { testing::WriteBytes(i.User() / "pfx.dat", "ListBox=lb\r\n"); },
       {"Templates", "Scripts"}},
      {"own templates folder without Standard",
       [](const Installation& i) {
         fs::create_directories(i.User() / "Templates");
         testing::WriteBytes(i.User() / "Templates/Mine.hdr", "' mine\r\n");
       },
       {"Scripts", "pfx.dat"}},
      {"empty scripts folder", [](const Installation& i) { fs::create_directories(i.User() / "Scripts"); },
       {"Templates", "pfx.dat"}},
      {"a file named Templates", [](const Installation& i) { testing::WriteBytes(i.User() / "Templates", "x"); },
       {"Scripts", "pfx.dat"}},
      {"a dangling link as pfx.dat",
       [](const Installation& i) { fs::create_symlink("/nowhere/pfx.dat", i.User() / "pfx.dat"); },
       {"Templates", "Scripts"}},
      {"an installation without scripts", [](const Installation& i) { fs::remove_all(i.Data() / "Scripts"); },
       {"Templates", "pfx.dat"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation installed;
    fs::create_directories(installed.User());
    c.prepare(installed);
    auto expected = FilesUnder(installed.User());
    for (const std::string& name : c.copied) {
      for (const auto& [file, bytes] : FilesUnder(installed.Data()))
        if (file == name || file.starts_with(name + "/")) expected[file] = bytes;
    }
    EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), c.copied);
    EXPECT_EQ(FilesUnder(installed.User()), expected);
    // Seeding again brings nothing back of what the user changed or deleted since.
    fs::remove_all(installed.User() / "Scripts/Upper.vbs");
    const auto before = FilesUnder(installed.User());
    EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), Names{});
    EXPECT_EQ(FilesUnder(installed.User()), before);
  }
  // Without an installation nothing is made, not even the user's folder.
  Installation installed;
  EXPECT_EQ(SeedProgramFolder(installed.Data() / "missing", installed.User()), Names{});
  EXPECT_FALSE(fs::exists(installed.User()));
}

TEST(System, AFailedSeedingLeavesNothingHalfCopied) {
  Installation installed;
  fs::create_symlink("/nowhere/Broken.hdr", installed.Data() / "Templates/Broken.hdr");
  EXPECT_THROW(SeedProgramFolder(installed.Data(), installed.User()), fs::filesystem_error);
  // No partial Templates/ that would pass for the user's own, and no staging copy.
  EXPECT_EQ(FilesUnder(installed.User()), (std::map<std::string, std::string>{}));

  fs::remove(installed.Data() / "Templates/Broken.hdr");
  EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), (Names{"Templates", "Scripts", "pfx.dat"}));
  EXPECT_EQ(FilesUnder(installed.User()), FilesUnder(installed.Data()));

  // Seeding into a file is an error that changes nothing.
  Installation other;
  fs::create_directories(other.User().parent_path());
  testing::WriteBytes(other.User(), "not a folder");
  EXPECT_THROW(SeedProgramFolder(other.Data(), other.User()), fs::filesystem_error);
  EXPECT_EQ(testing::ReadBytes(other.User()), "not a folder");
}

}  // namespace
}  // namespace gildex::platform
