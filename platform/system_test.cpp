#include "platform/system.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;

TEST(System, EnvironmentVariablesComeFromTheProcess) {
  ScopedEnv set("GILDEX_TEST_VALUE", "caf\xe9");
  ScopedEnv unset("GILDEX_TEST_MISSING", std::nullopt);
  SystemEnvironment env;
  EXPECT_EQ(env.Get("GILDEX_TEST_VALUE"), "caf\xe9");
  EXPECT_EQ(env.Get("GILDEX_TEST_MISSING"), std::nullopt);
}

TEST(System, UserNameTriesUserThenLognameThenThePasswordEntry) {
  SystemEnvironment env;
  {
    ScopedEnv user("USER", "alice");
    ScopedEnv logname("LOGNAME", "bob");
    EXPECT_EQ(env.UserName(), "alice");
  }
  {
    ScopedEnv user("USER", std::nullopt);
    ScopedEnv logname("LOGNAME", "bob");
    EXPECT_EQ(env.UserName(), "bob");
  }
  ScopedEnv user("USER", std::nullopt);
  ScopedEnv logname("LOGNAME", std::nullopt);
  EXPECT_FALSE(env.UserName().empty());
}

TEST(System, FakeEnvironmentAnswersFromItsOwnTable) {
  FakeEnvironment env;
  EXPECT_EQ(env.UserName(), "tester");
  EXPECT_EQ(env.Get("PATH"), std::nullopt);
  env.Set("TEMP", "/tmp/x");
  env.SetUserName("jdoe");
  EXPECT_EQ(env.Get("TEMP"), "/tmp/x");
  EXPECT_EQ(env.UserName(), "jdoe");
  env.Unset("TEMP");
  EXPECT_EQ(env.Get("TEMP"), std::nullopt);
}

TEST(System, ProgramFolderIsGildexHomeMadeAbsolute) {
  ScopedEnv home("GILDEX_HOME", "relative/data");
  EXPECT_EQ(ProgramFolder(), fs::current_path() / "relative/data/");
  ScopedEnv absolute("GILDEX_HOME", "/opt/gildex/");
  EXPECT_EQ(ProgramFolder(), "/opt/gildex/");
}

TEST(System, ProgramFolderOfABuildTreeIsTheSourceDataFolder) {
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

TEST(System, NativePathTurnsBackslashesIntoSlashes) {
  EXPECT_EQ(NativePath("Templates\\"), "Templates/");
  EXPECT_EQ(NativePath("Templates\\Controls\\a.ctt"), "Templates/Controls/a.ctt");
  EXPECT_EQ(NativePath("/already/native"), "/already/native");
}

}  // namespace
}  // namespace gildex::platform
