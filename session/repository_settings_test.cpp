#include "session/repository_settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/test_files.h"

namespace gildex::session {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

TEST(RepositorySettings, LinesAreReadOrRefusedWithTheirPlace) {
  TempDir repo;
  fs::create_directories(repo / ".git");
  fs::create_directories(repo / "src" / "app");
  const fs::path file = repo / "src" / ".gildex";
  const std::string at = file.string() + ":";
  const struct {
    std::string text;
    std::string problem;  // empty: read, with `values` as NAME=VALUE@LINE
    std::vector<std::string> values = {};
  } cases[] = {
      {"# the team's settings\r\n\r\n  minimum lines = 5\r\nIgnore Existing=true\n", "",
       {"Minimum Lines=5@3", "Ignore Existing=true@4"}},
      {"MinLines = 1\nMinLines = 2\n", "", {"Minimum Lines=2@2"}},
      {"TemplatePath = ../tpl\n", "", {"Template Path=" + (repo / "tpl").string() + "/@1"}},
      {"CodeBodyStart = \"' body \"\nCodePage = 1251\n", "", {"CodeBody Start=' body @1", "Code Page=1251@2"}},
      {"MinLines 5\n", at + "1: NAME = VALUE expected, not \"MinLines 5\""},
      {"\nNope = 1\n", at + "2: there is no setting named \"Nope\""},
      {"MinLines = many\n", at + "1: MinLines (\"Minimum Lines\") takes a whole number"},
      {"MinLines = -1\n", at + "1: MinLines (\"Minimum Lines\") takes a whole number from 0"},
      {"CodePage = 65001\n", at + "1: CodePage (\"Code Page\") takes a Windows code page"},
      {"DefaultTemplate = ../x\n", at + "1: DefaultTemplate"},
  };
  for (const auto& c : cases) {
    WriteBytes(file, c.text);
    ASSERT_EQ(FindRepositorySettings(repo / "src" / "app" / "Orders.vbp"), file);
    std::vector<OverlaidValue> values{{"kept", "kept", "", "", 0}};
    const Problem problem = ReadRepositorySettings(file, values);
    EXPECT_TRUE(problem.what.starts_with(c.problem)) << c.text << problem.what;
    if (!c.problem.empty()) {
      EXPECT_FALSE(problem.empty()) << c.text;
      EXPECT_EQ(values.size(), 1u) << "a bad file changes nothing: " << c.text;
      continue;
    }
    std::vector<std::string> read;
    for (const OverlaidValue& value : values) read.push_back(value.name + "=" + value.value + "@" + std::to_string(value.line));
    EXPECT_EQ(read, c.values) << c.text;
  }
  // The search stops at the repository's root (here a worktree's, whose .git is a file).
  WriteBytes(repo / "src" / "app" / ".git", "gitdir: elsewhere\n");
  EXPECT_EQ(FindRepositorySettings(repo / "src" / "app" / "Orders.vbp"), std::nullopt);
}

}  // namespace
}  // namespace gildex::session
