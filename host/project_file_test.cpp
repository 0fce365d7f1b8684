#include "host/project_file.h"

#include <gtest/gtest.h>

#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

TEST(ProjectFile, ReadsTheLinesGildexNeedsAndKeepsTheRest) {
  const std::string bytes =
      "Type=Exe\r\nReference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\stdole2.tlb#OLE Automation\r\n"
      "Form=frmMain.frm\r\nModule=modMain; Modules\\modMain.bas\r\nclass=cCell;cCell.cls\r\n"
      "UserControl=Controls\\XP.ctl\r\nPropertyPage=ppg.pag\r\nUserDocument=doc.dob\r\n"
      "Designer=DataEnvironment1.Dsr\r\nRelatedDoc=ReadMe.txt\r\nResFile32=\"MineSweeper.RES\"\r\n"
      "Startup=\"frmMain\"\r\nExeName32=\"Orders.exe\"\r\nPath32=\"..\\bin\"\r\nName=\"Orders\"\r\n\r\n"
      "[MS Transaction Server]\r\nAutoRefresh=1\r\nForm=NotAMember.frm\r\n";
  ProjectFile file = ParseProjectFile(bytes);
  EXPECT_EQ(WriteProjectFile(file), bytes);
  EXPECT_EQ((std::vector<std::string>{file.type, file.name, file.exe_name, file.path32, file.startup}),
            (std::vector<std::string>{"Exe", "Orders", "Orders.exe", "..\\bin", "frmMain"}));

  // One member of each kind, in the order of MemberKind, from line 3 on: name and path as written.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"", "frmMain.frm"}, {"modMain", "Modules\\modMain.bas"}, {"cCell", "cCell.cls"}, {"", "Controls\\XP.ctl"},
      {"", "ppg.pag"},     {"", "doc.dob"}, {"", "DataEnvironment1.Dsr"}, {"", "ReadMe.txt"}, {"", "MineSweeper.RES"}};
  ASSERT_EQ(file.members.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].second);
    EXPECT_EQ(file.members[i].kind, static_cast<MemberKind>(i));
    EXPECT_EQ(std::pair(file.members[i].name, file.members[i].path_text), expected[i]);
    EXPECT_EQ(file.members[i].line, static_cast<long>(i) + 3);
  }
}

TEST(ProjectFile, GivesBackAnyBytesUnchanged) {
  for (std::string bytes : {std::string(), std::string("Type=Exe"), std::string("Type=Exe\nForm=a.frm\r\n\r"),
                            std::string("\0\xff=\x01\r\r\n", 7), std::string("[x]\nType=Exe\n")}) {
    EXPECT_EQ(WriteProjectFile(ParseProjectFile(bytes)), bytes);
  }
  EXPECT_FALSE(ParseProjectFile("[x]\nType=Exe\n").has_type_line);
}

TEST(GroupFile, ListsItsProjectsInOrder) {
  const std::string bytes = "VBGROUP 5.0\r\nStartupProject=Project1.vbp\r\nProject=..\\lib\\Chess.vbp\r\n";
  GroupFile group = ParseGroupFile(bytes);
  EXPECT_TRUE(group.has_header);
  EXPECT_EQ(WriteGroupFile(group), bytes);
  ASSERT_EQ(group.projects.size(), 2u);
  EXPECT_EQ(group.projects[0].path_text, "Project1.vbp");
  EXPECT_TRUE(group.projects[0].startup);
  EXPECT_EQ(group.projects[1].path_text, "..\\lib\\Chess.vbp");
  EXPECT_EQ(group.projects[1].line, 3);
  EXPECT_FALSE(ParseGroupFile("Type=Exe\r\n").has_header);
}

TEST(MemberPath, IsFoundIgnoringCaseOrBesideTheProject) {
  TempDir dir;
  fs::create_directories(dir / "proj/Modules");
  fs::create_directories(dir / "other");
  WriteBytes(dir / "proj/FORM1.FRM", "x");
  WriteBytes(dir / "proj/Modules/modMain.bas", "x");
  WriteBytes(dir / "proj/claSeq.cls", "x");
  WriteBytes(dir / "other/Shared.bas", "x");
  const fs::path base = dir / "proj";

  struct Case { std::string written; PathMatch match; fs::path found; };  // found: in the temp dir
  const std::vector<Case> cases = {
      {"Modules\\modMain.bas", PathMatch::Exact, "proj/Modules/modMain.bas"},
      {"Form1.frm", PathMatch::OtherCase, "proj/FORM1.FRM"},
      {"MODULES\\MODMAIN.BAS", PathMatch::OtherCase, "proj/Modules/modMain.bas"},
      {".\\Modules/modMain.bas", PathMatch::Exact, "proj/Modules/modMain.bas"},
      {"..\\other\\Shared.bas", PathMatch::Exact, "other/Shared.bas"},
      {"..\\..\\..\\..\\My Documents\\Development\\claSeq.cls", PathMatch::Beside, "proj/claSeq.cls"},
      {"C:\\Projects\\claseq.cls", PathMatch::Beside, "proj/claSeq.cls"},
      {"..\\SYSTEM~1\\Form1.frm", PathMatch::Beside, "proj/FORM1.FRM"},
      {"Missing.bas", PathMatch::Missing, ""},
      {"Modules", PathMatch::Missing, ""},  // a folder is not a member file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    ResolvedPath resolved = ResolveMemberPath(base, c.written);
    EXPECT_EQ(resolved.match, c.match);
    if (c.match != PathMatch::Missing) {
      EXPECT_EQ(resolved.path, (dir.Path() / c.found).lexically_normal());
    }
  }
}

TEST(BuildFileName, JoinsPath32AndExeName32WithTheProjectFolder) {
  // The file's name in the folder /p, or as absolute Windows text.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Type=Exe\nName=\"Orders\"\nExeName32=\"Orders.exe\"\n", "/p/Orders.exe"},
      {"Type=Exe\nName=\"Orders\"\nExeName32=\"Orders.exe\"\nPath32=\"..\\bin\"\n", "/bin/Orders.exe"},
      {"Type=Exe\nName=\"Orders\"\n", "/p/Orders.exe"},
      {"Type=OleDll\nName=\"Chess\"\n", "/p/Chess.dll"},
      {"Type=Control\nName=\"Tray\"\n", "/p/Tray.ocx"},
      {"Type=Exe\nExeName32=\"C:\\Out\\a.exe\"\n", "C:\\Out\\a.exe"},
      {"Type=Exe\n", ""},
  };
  for (const auto& [vbp, expected] : cases) EXPECT_EQ(BuildFileName(ParseProjectFile(vbp), "/p"), expected) << vbp;
}

}  // namespace
}  // namespace gildex::host
