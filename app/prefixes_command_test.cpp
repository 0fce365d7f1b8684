// `gildex prefixes` as a user runs it, one command after another on one program folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line_test.h"
#include "platform/test_files.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

TEST(PrefixesCommand, EditsPfxDatAndRefusesBadInputWritingNothing) {
  TempDir dir;
  fs::create_directories(dir / "program");
  ScopedEnv home{"GILDEX_HOME", (dir / "program").string()};
  ScopedEnv registry{"GILDEX_REGISTRY", (dir / "registry.reg").string()};
  ScopedEnv windows{"GILDEX_WINDIR", (dir / "windows").string()};
  const fs::path file = dir / "program" / "pfx.dat";
  constexpr const char* kNone = "(no file)";
  const struct {
    std::vector<std::string> args;
    int code;
    std::string said;    // found on standard output for 0, standard error otherwise
    std::string after;   // pfx.dat afterwards
    const char* before;  // pfx.dat written first
  } cases[] = {
      {{"list"}, 0, "", kNone, nullptr},
      {{"remove", "TextBox"}, 2, "no prefix for the control type \"TextBox\"", kNone, nullptr},
      {{"set", "Label", "\xE4\xB8\xAD"}, 2, "Windows-1252 cannot store", kNone, nullptr},
      // Asked explicitly, a missing table is made.
      {{"set", "CommandButton", "cmd"}, 0, "CommandButton\tcmd\n", "CommandButton=cmd\r\n", nullptr},
      {{"set", "TextBox", "txt"}, 0, "", "CommandButton=cmd\r\nTextBox=txt\r\n", nullptr},
      {{"set", "commandbutton", "btn"}, 0, "", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "", "x"}, 2, "the control type is empty", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label", ""}, 2, "the prefix is empty", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label=x", "lbl"}, 2, "the control type holds \"=\"", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label", "l=b"}, 2, "the prefix holds \"=\"", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label", "l\nb"}, 2, "the prefix holds a line break", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"remove", "Frame\r"}, 2, "the control type holds a line break", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"list"}, 0, "TextBox\ttxt\ncommandbutton\tbtn\n", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"remove", "TEXTBOX"}, 0, "", "commandbutton=btn\r\n", nullptr},
      // A save would drop the rows after a repeated control type.
      {{"set", "Frame", "fra"}, 2, "repeats an earlier control type at line 2", "A=a\r\na=b\r\nC=c\r\n",
       "A=a\r\na=b\r\nC=c\r\n"},
      {{"list"}, 0, "A\ta\n", "A=a\r\na=b\r\nC=c\r\n", nullptr},
      {{"set", "--help"}, 0, "CLASS", "A=a\r\na=b\r\nC=c\r\n", nullptr},
  };
  for (const auto& c : cases) {
    if (c.before != nullptr) WriteBytes(file, c.before);
    std::vector<std::string> args = {"prefixes"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Ran run = RunGildex(args);
    EXPECT_EQ(run.code, c.code) << c.args[0] << " " << run.err;
    const std::string said = c.code == 0 ? run.out : run.err;
    EXPECT_NE(said.find(c.said), std::string::npos) << c.args[0] << "\n" << said;
    EXPECT_TRUE(c.code == 0 || run.out.empty()) << run.out;
    EXPECT_EQ(fs::exists(file) ? ReadBytes(file) : kNone, c.after) << c.args[0];
  }
}

}  // namespace
}  // namespace gildex::app
