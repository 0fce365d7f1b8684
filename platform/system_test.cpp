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
  SystemEnvironment env;
  ScopedEnv logname("LOGNAME", "bob");
  {
    ScopedEnv user("USER", "alice");
    EXPECT_EQ(env.UserName(), "alice");
  }
  ScopedEnv user("USER", std::nullopt);
  EXPECT_EQ(env.UserName(), "bob");
  ScopedEnv no_logname("LOGNAME", std::nullopt);
  EXPECT_FALSE(env.UserName().empty());
}

TEST(System, ProgramFolderIsGildexHomeMadeAbsoluteElseTheDataFolderOfThisBuildTree) {
  {
    ScopedEnv home("GILDEX_HOME", "relative/data");
    EXPECT_EQ(ProgramFolder(), fs::current_path() / "relative/data/");
    ScopedEnv absolute("GILDEX_HOME", "/opt/gildex/");
    EXPECT_EQ(ProgramFolder(), "/opt/gildex/");
  }
  // These tests run from the build tree of this source.
  ScopedEnv home("GILDEX_HOME", std::nullopt);
  const fs::path folder = ProgramFolder();
  EXPECT_TRUE(fs::equivalent(folder, fs::path(GILDEX_SOURCE_DIR) / "data")) << folder;
  EXPECT_EQ(folder.string().back(), '/');
}

TEST(System, FindsTheSourceDataFolderAboveAnExecutable) {
  testing::TempDir dir;
  fs::create_directories(dir / "src/data");
  fs::create_directories(dir / "build/app");
  const std::string cache = "# This is the CMakeCache file.\nCMAKE_HOME_DIRECTORY:INTERNAL=" + (dir / "src").string() +
                            "\nCMAKE_PROJECT_NAME:STATIC=gildex\n";
  testing::WriteBytes(dir / "build/CMakeCache.txt", cache);
  EXPECT_EQ(DataFolderOfBuildTree(dir / "build/app/gildex"), dir / "src/data");
  EXPECT_EQ(DataFolderOfBuildTree(dir / "elsewhere/gildex"), std::nullopt);

  testing::WriteBytes(dir / "build/CMakeCache.txt", "CMAKE_HOME_DIRECTORY:INTERNAL=" + (dir / "src").string() +
                                                         "\nCMAKE_PROJECT_NAME:STATIC=another\n");
  EXPECT_EQ(DataFolderOfBuildTree(dir / "build/app/gildex"), std::nullopt);
}

TEST(System, WindowsFolderFollowsTheEnvironment) {
  {
    ScopedEnv windir("GILDEX_WINDIR", "/srv/win");
    EXPECT_EQ(WindowsFolder(), "/srv/win/");
  }
  ScopedEnv windir("GILDEX_WINDIR", std::nullopt);
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(WindowsFolder(), "/tmp/cfg/gildex/windows/");
  }
  ScopedEnv relative("XDG_CONFIG_HOME", "not/absolute");  // ignored, as the XDG rules say
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(WindowsFolder(), "/home/someone/.config/gildex/windows/");
  EXPECT_EQ(UserConfigFolder(), "/home/someone/.config");
  ScopedEnv data("XDG_DATA_HOME", std::nullopt);
  EXPECT_EQ(UserDataFolder(), "/home/someone/.local/share");
}

TEST(System, NativePathsAndTheInstalledDataFolder) {
  EXPECT_EQ(NativePath("Templates\\Controls\\a.ctt"), "Templates/Controls/a.ctt");
  EXPECT_EQ(NativePath("/already/native"), "/already/native");
  EXPECT_EQ(InstalledDataFolder("/opt/gildex-0.1/bin/gildex"), "/opt/gildex-0.1/share/gildex/");
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
    fs::create_directories(Data() / "Help");
    testing::WriteBytes(Data() / "Help/Gildex.html", "<html></html>\n");
    testing::WriteBytes(Data() / "pfx.dat", "CommandButton=cmd\r\nTextBox=txt\r\n");
  }
  fs::path Data() const { return dir_ / "share/gildex"; }
  fs::path User() const { return dir_ / "home/.local/share/gildex"; }

 private:
  testing::TempDir dir_;
};

// Every file under `folder` with its bytes, by path relative to it; "->" marks a link. The
// list of what seeding offered is left out.
std::map<std::string, std::string> FilesUnder(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).generic_string();
    if (name == ".gildex-seeded")
      continue;
    else if (entry.is_symlink())
      files[name] = "-> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_regular_file())
      files[name] = testing::ReadBytes(entry.path());
    else
      files[name + "/"] = "";
  }
  return files;
}

using Names = std::vector<std::string>;
const Names kAll = {"Templates/Standard.ftr", "Templates/Standard.hdr", "Scripts/Samples/Skip.vbs",
                    "Scripts/Upper.vbs", "Help/Gildex.html", "pfx.dat"};

Names AllBut(const std::string& prefix) {
  Names names;
  for (const std::string& name : kAll)
    if (!name.starts_with(prefix)) names.push_back(name);
  return names;
}

TEST(System, SeedsEachShippedFileOnceAndLaterOnlyNewOnes) {
  Installation installed;
  EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), kAll);
  EXPECT_EQ(FilesUnder(installed.User()), FilesUnder(installed.Data()));

  // The user changes a template and deletes a script: seeding again brings nothing back.
  testing::WriteBytes(installed.User() / "Templates/Standard.hdr", "' mine\r\n");
  fs::remove(installed.User() / "Scripts/Upper.vbs");
  auto expected = FilesUnder(installed.User());
  EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), Names{});
  EXPECT_EQ(FilesUnder(installed.User()), expected);

  // A newer installation ships one more template: only that arrives.
  testing::WriteBytes(installed.Data() / "Templates/Raise.hdr", "On Error GoTo Raise\r\n");
  expected["Templates/Raise.hdr"] = "On Error GoTo Raise\r\n";
  EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), Names{"Templates/Raise.hdr"});
  EXPECT_EQ(FilesUnder(installed.User()), expected);
}

TEST(System, SeedingNeverReplacesWhatTheUserHas) {
  struct Case {
    std::string what;
    std::function<void(const fs::path& user)> prepare;
    Names copied;
  };
  const std::vector<Case> cases = {
      {"own prefix table", [](const fs::path& user) { testing::WriteBytes(user / "pfx.dat", "ListBox=lb\r\n"); },
       AllBut("pfx.dat")},
      {"own templates folder without Standard",
       [](const fs::path& user) {
         fs::create_directories(user / "Templates");
         testing::WriteBytes(user / "Templates/Mine.hdr", "' mine\r\n");
       },
       kAll},
      {"own Standard header",
       [](const fs::path& user) {
         fs::create_directories(user / "Templates");
         testing::WriteBytes(user / "Templates/Standard.hdr", "' mine\r\n");
       },
       AllBut("Templates/Standard.hdr")},
      {"a file named Templates", [](const fs::path& user) { testing::WriteBytes(user / "Templates", "x"); },
       AllBut("Templates/")},
      {"a dangling link as pfx.dat", [](const fs::path& user) { fs::create_symlink("/nowhere/pfx.dat", user / "pfx.dat"); },
       AllBut("pfx.dat")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation installed;
    fs::create_directories(installed.User());
    c.prepare(installed.User());
    auto expected = FilesUnder(installed.User());
    const auto shipped = FilesUnder(installed.Data());
    for (const std::string& name : c.copied) {
      expected[name] = shipped.at(name);
      for (fs::path folder = fs::path(name).parent_path(); !folder.empty(); folder = folder.parent_path())
        expected[folder.generic_string() + "/"] = "";
    }
    EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), c.copied);
    EXPECT_EQ(FilesUnder(installed.User()), expected);
  }
}

TEST(System, SeedingWhatIsThereAndFailingWithoutHalfCopies) {
  Installation installed;
  fs::remove_all(installed.Data() / "Scripts");
  fs::create_symlink("/nowhere/Broken.hdr", installed.Data() / "Templates/Broken.hdr");
  EXPECT_THROW(SeedProgramFolder(installed.Data(), installed.User()), fs::filesystem_error);
  // No partial file that would pass for the user's own, and no staging copy.
  EXPECT_EQ(FilesUnder(installed.User()), (std::map<std::string, std::string>{{"Templates/", ""}}));
  fs::remove(installed.Data() / "Templates/Broken.hdr");
  EXPECT_EQ(SeedProgramFolder(installed.Data(), installed.User()), AllBut("Scripts/"));
  EXPECT_FALSE(fs::exists(installed.User() / "Scripts"));

  // Without an installation nothing is made, not even the user's folder.
  const fs::path other_user = installed.User().parent_path() / "other";
  EXPECT_EQ(SeedProgramFolder(installed.Data() / "missing", other_user), Names{});
  EXPECT_FALSE(fs::exists(other_user));
  // Seeding into a file is an error that changes nothing.
  testing::WriteBytes(other_user, "not a folder");
  EXPECT_THROW(SeedProgramFolder(installed.Data(), other_user), fs::filesystem_error);
  EXPECT_EQ(testing::ReadBytes(other_user), "not a folder");
}

}  // namespace
}  // namespace gildex::platform
