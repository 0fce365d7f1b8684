#include "platform/ini.h"

#include <gtest/gtest.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kAddinList =
    "; VB add-in list\r\n[Add-Ins32]\r\nVBSDIAddIn.Connect=0\r\n  Other.Connect = 1  \r\nQuoted=\"  spaced  \"\r\n"
    "Single='x'\r\nHalf=\"open\r\nEmpty=\r\nnot a key line\r\n\r\n[ Tools ]\r\nEditor=notepad.exe\r\n";

TEST(Ini, ReadsValuesAsTheProfileCallsDo) {
  TempDir dir;
  const auto file = dir / "vbaddin.ini";
  WriteBytes(file, kAddinList + "[S]\nLong=" + std::string(200, 'v') + "\n");
  struct Case {
    std::string section, key, def, want;
    int size = 255;
  };
  const std::vector<Case> cases = {
      {"Add-Ins32", "VBSDIAddIn.Connect", "", "0"},
      {"add-ins32", "vbsdiaddin.connect", "", "0"},  // names ignore letter case
      {"Add-Ins32", "Other.Connect", "", "1"},       // blanks around key and value dropped
      {"Add-Ins32", "Quoted", "", "  spaced  "},     // one pair of quotes dropped, blanks inside kept
      {"Add-Ins32", "Single", "", "x"},
      {"Add-Ins32", "Half", "", "\"open"},
      {"Add-Ins32", "Empty", "dflt", ""},  // present but empty: not the default
      {"Add-Ins32", "Gildex.Connect", "", ""},
      {"Add-Ins32", "Gildex.Connect", "none  ", "none"},  // the default loses trailing blanks
      {"Tools", "EDITOR", "", "notepad.exe"},             // blanks inside the brackets dropped
      {"Missing", "Editor", "dflt", "dflt"},
      {"Add-Ins32", "Editor", "dflt", "dflt"},  // a key of another section
      {"Add-Ins32", "; VB add-in list", "dflt", "dflt"},
      // The result is cut to the buffer size less one.
      {"S", "Long", "", std::string(127, 'v'), 128},
      {"S", "Long", "", std::string(200, 'v'), 255},
      {"S", "Long", "", "", 1},
      {"S", "Long", "", "", 0},
      {"S", "Missing", "abcdef", "abc", 4},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetPrivateProfileString(c.section, c.key, c.def, c.size, file), c.want)
        << c.section << "/" << c.key << " " << c.size;
  EXPECT_EQ(GetPrivateProfileString("Add-Ins32", "x", "dflt", 255, dir / "missing.ini"), "dflt");
}

TEST(Ini, WritesOnlyWhatChangesAndKeepsTheRestByteForByte) {
  struct Case {
    std::string name, before, section, key, value, after;
  };
  const std::vector<Case> cases = {
      {"value replaced in place, spelling and blanks kept", "; c\r\n[Add-Ins32]\r\nGILDEX.connect = 1\r\nz=2\r\n",
       "add-ins32", "Gildex.Connect", "0", "; c\r\n[Add-Ins32]\r\nGILDEX.connect = 0\r\nz=2\r\n"},
      {"key appended before the section's trailing blank lines",
       "[A]\r\nx=1\r\n; note\r\n\r\n\r\n[B]\r\ny=2\r\n", "A", "New", "v",
       "[A]\r\nx=1\r\n; note\r\nNew=v\r\n\r\n\r\n[B]\r\ny=2\r\n"},
      {"key appended to the last section without a final line end", "[A]\nx=1", "a", "y", "2", "[A]\nx=1\ny=2\n"},
      {"section appended after a blank line", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"new lines use the dominant line end", "[A]\r\nx=1\n; lf\n; lf\n", "A", "y", "2",
       "[A]\r\nx=1\n; lf\n; lf\ny=2\n"},
      {"unknown lines and comments stay", "junk line\n[A]\n;x=old\nnot a key\n", "A", "x", "new",
       "junk line\n[A]\n;x=old\nnot a key\nx=new\n"},
      {"empty section gets its first key", "[A]\n\n[B]\n", "A", "k", "v", "[A]\nk=v\n\n[B]\n"},
      {"Windows-1252 bytes stay as they are", "[A]\nx=caf\xe9\n", "A", "y", "\x80", "[A]\nx=caf\xe9\ny=\x80\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const auto file = dir / "test.ini";
    WriteBytes(file, c.before);
    ASSERT_TRUE(WritePrivateProfileString(c.section, c.key, c.value, file));
    EXPECT_EQ(ReadBytes(file), c.after);
    EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "", 255, file), c.value);
  }
}

TEST(Ini, RefusesWhatAFileCannotHoldAndLeavesTheFileAlone) {
  TempDir dir;
  const auto file = dir / "test.ini";
  WriteBytes(file, "[A]\nx=1\n");
  EXPECT_FALSE(WritePrivateProfileString("A", "x", "two\r\nlines", file));
  EXPECT_FALSE(WritePrivateProfileString("A", "k=y", "1", file));
  EXPECT_FALSE(WritePrivateProfileString("A]B", "x", "1", file));
  EXPECT_FALSE(WritePrivateProfileString("", "x", "1", file));
  EXPECT_FALSE(WritePrivateProfileString("A", " ", "1", file));
  EXPECT_EQ(ReadBytes(file), "[A]\nx=1\n");
  EXPECT_FALSE(WritePrivateProfileString("A", "x", "1", file / "sub.ini"));  // under a plain file
}

TEST(Ini, WritingThroughALinkChangesTheLinkedFileAndANewFileGetsItsFolder) {
  TempDir dir;
  ASSERT_TRUE(WritePrivateProfileString("Add-Ins32", "Gildex.Connect", "0", dir / "windows/vbaddin.ini"));
  EXPECT_EQ(ReadBytes(dir / "windows/vbaddin.ini"), "[Add-Ins32]\r\nGildex.Connect=0\r\n");

  WriteBytes(dir / "real.ini", "[A]\nx=1\n");
  std::filesystem::create_symlink("real.ini", dir / "link.ini");
  ASSERT_TRUE(WritePrivateProfileString("A", "x", "2", dir / "link.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(ReadBytes(dir / "real.ini"), "[A]\nx=2\n");
}

}  // namespace
}  // namespace gildex::platform
