#include "templates/template_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "platform/cp1252.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempDir;
using platform::testing::WriteBytes;
using testing::EngineRig;
using testing::TemplateFolder;

struct BlockCase {
  std::string what;
  std::string file;
  bool read;
  std::string block;
  std::string title, line2, line3;
};

TEST(ReadTemplateBlock, TakesTheBlockAfterAnOptionalPreamble) {
  const std::vector<BlockCase> cases = {
      {"no preamble", "On Error GoTo X\r\nx = 1", true, "On Error GoTo X\r\nx = 1", "", "", ""},
      {"final line break", "On Error GoTo X\r\nx = 1\r\n", true, "On Error GoTo X\r\nx = 1", "", "", ""},
      {"two final breaks keep one empty line", "a\r\n\r\n", true, "a\r\n", "", "", ""},
      {"line feeds", "a\nb\n", true, "a\r\nb", "", "", ""},
      {"carriage returns", "a\rb\r", true, "a\r\nb", "", "", ""},
      {"empty file", "", true, "", "", "", ""},
      {"preamble", "DO NOT CHANGE THE NEXT 4 LINES\r\nMy title\r\nsecond\r\nthird\r\nOn Error GoTo X\r\n", true,
       "On Error GoTo X", "My title", "second", "third"},
      {"marker in lower case with blanks", "  do not change the next 4 lines \r\nT\r\n2\r\n3\r\nbody\r\n", true, "body",
       "T", "2", "3"},
      {"marker with a tab is not the marker", "\tDO NOT CHANGE THE NEXT 4 LINES\r\nT\r\n", true,
       "\tDO NOT CHANGE THE NEXT 4 LINES\r\nT", "", "", ""},
      {"marker not on the first line", "x\r\nDO NOT CHANGE THE NEXT 4 LINES\r\nT\r\n2\r\n3\r\n", true,
       "x\r\nDO NOT CHANGE THE NEXT 4 LINES\r\nT\r\n2\r\n3", "", "", ""},
      {"only the preamble", "DO NOT CHANGE THE NEXT 4 LINES\r\nT\r\n2\r\n3", true, "", "T", "2", "3"},
      {"file ends inside the preamble", "DO NOT CHANGE THE NEXT 4 LINES\r\nT\r\n", false, "", "T", "", ""},
      {"Windows-1252 bytes kept", "' Gr\xFC\xDF\x65 \x80\r\n", true, "' Gr\xFC\xDF\x65 \x80", "", "", ""},
  };
  for (const BlockCase& c : cases) {
    TempDir dir;
    WriteBytes(dir / "T.hdr", c.file);
    clsTemplate record;
    EXPECT_EQ(ReadTemplateBlock((dir / "T").string(), ".hdr", record), c.read) << c.what;
    EXPECT_EQ(record.HeaderText(), c.block) << c.what;
    EXPECT_EQ(record.FooterText(), "") << c.what;
    EXPECT_EQ(record.Title(), c.title) << c.what;
    EXPECT_EQ(record.PreambleLine2(), c.line2) << c.what;
    EXPECT_EQ(record.PreambleLine3(), c.line3) << c.what;
  }
}

TEST(ReadTemplateBlock, PreambleFillsOnlyEmptyFieldsAndFooterGoesToFooterText) {
  TempDir dir;
  WriteBytes(dir / "T.ftr", "DO NOT CHANGE THE NEXT 4 LINES\r\nFooter title\r\nf2\r\nf3\r\nT_ErrorHandler:\r\n");
  clsTemplate record;
  record.Title("Kept");
  record.PreambleLine3("kept 3");
  record.HeaderText("header stays");
  EXPECT_TRUE(ReadTemplateBlock((dir / "T").string(), ".ftr", record));
  EXPECT_EQ(record.Title(), "Kept");
  EXPECT_EQ(record.PreambleLine2(), "f2");
  EXPECT_EQ(record.PreambleLine3(), "kept 3");
  EXPECT_EQ(record.HeaderText(), "header stays");
  EXPECT_EQ(record.FooterText(), "T_ErrorHandler:");
}

TEST(ReadTemplateBlock, MissingOrUnreadableFileGivesAnEmptyBlock) {
  TempDir dir;
  clsTemplate record;
  record.HeaderText("old");
  EXPECT_FALSE(ReadTemplateBlock((dir / "Missing").string(), ".hdr", record));
  EXPECT_EQ(record.HeaderText(), "");

  std::filesystem::create_directory(dir / "Folder.hdr");
  record.HeaderText("old");
  EXPECT_FALSE(ReadTemplateBlock((dir / "Folder").string(), ".hdr", record));
  EXPECT_EQ(record.HeaderText(), "");
}

TEST(ReadTemplateBlock, FindsAFileWrittenInAnotherLetterCase) {
  TempDir dir;
  WriteBytes(dir / "STANDARD.HDR", "On Error GoTo X\r\n");
  clsTemplate record;
  EXPECT_TRUE(ReadTemplateBlock((dir / "Standard").string(), ".hdr", record));
  EXPECT_EQ(record.HeaderText(), "On Error GoTo X");
}

TEST(TemplateNames, EveryHeaderFileIsATemplateAndAFooterAloneIsNot) {
  EngineRig rig;
  TemplateFolder folder(rig);
  folder.Write("Standard", "a", "b");
  folder.Write("NoFooter", "a", std::nullopt);
  WriteBytes(folder.path / "Orphan.ftr", "b");
  WriteBytes(folder.path / "notes.txt", "x");
  std::vector<std::string> expected;
  for (std::string file : Files(folder.path, "*.hdr")) expected.push_back(file.substr(0, file.size() - 4));
  EXPECT_EQ(TemplateNames(rig.gildex.TemplatePath()), expected);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, (std::vector<std::string>{"NoFooter", "Standard"}));
  EXPECT_TRUE(TemplateNames((rig.dir.Path() / "none/").string()).empty());
}

TEST(LoadTemplate, MakesTheTemplateTheEnginesHeaderAndFooter) {
  EngineRig rig;
  TemplateFolder folder(rig);
  folder.Write("Standard", "DO NOT CHANGE THE NEXT 4 LINES\r\nFile title\r\n\r\n\r\nOn Error GoTo %ProcName%_ErrorHandler\r\n",
               "%ProcName%_ErrorHandler:\r\n    Resume Next\r\n");
  folder.Write("Bare", "On Error Resume Next\r\n", std::nullopt);

  rig.gildex.DefaultTemplate("Standard");
  const clsTemplate loaded = LoadTemplate(rig.gildex, "  ");
  EXPECT_EQ(loaded.Title(), "Standard");
  EXPECT_EQ(rig.gildex.HeaderCode(), "On Error GoTo %ProcName%_ErrorHandler");
  EXPECT_EQ(rig.gildex.FooterCode(), "%ProcName%_ErrorHandler:\r\n    Resume Next");

  LoadTemplate(rig.gildex, " Bare ");
  EXPECT_EQ(rig.gildex.HeaderCode(), "On Error Resume Next");
  EXPECT_EQ(rig.gildex.FooterCode(), "");

  LoadTemplate(rig.gildex, "Gone");
  EXPECT_EQ(rig.gildex.HeaderCode(), "");
  EXPECT_EQ(rig.gildex.FooterCode(), "");
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(LoadTemplate, BlankTemplatePathReadsTheProgramFoldersTemplates) {
  EngineRig rig;
  std::filesystem::create_directories(rig.ProgramFolder() / "Templates");
  WriteBytes(rig.ProgramFolder() / "Templates" / "Std.hdr", "On Error GoTo %ProcName%_ErrorHandler\r\n");
  rig.gildex.TemplatePath("   ");
  LoadTemplate(rig.gildex, "Std");
  EXPECT_EQ(rig.gildex.HeaderCode(), "On Error GoTo %ProcName%_ErrorHandler");
}

// Removal finds an inserted header only by an "On Error" statement on its first line, and
// restores body handlers by the "<procedure>_ErrorHandler" label: every shipped template
// must keep to both, and be CR LF text.
TEST(ShippedTemplates, FitInsertionAndRemoval) {
  EngineRig rig;
  rig.gildex.TemplatePath(testing::ShippedTemplates().string());
  const std::vector<std::string> names = TemplateNames(rig.gildex.TemplatePath());
  EXPECT_GE(names.size(), 3u);
  EXPECT_NE(std::find(names.begin(), names.end(), "Standard"), names.end());
  for (const std::string& name : names) {
    const std::string header_file = ReadBytes(testing::ShippedTemplates() / (name + ".hdr"));
    const std::string footer_file = ReadBytes(testing::ShippedTemplates() / (name + ".ftr"));
    for (const std::string* file : {&header_file, &footer_file}) {
      for (std::size_t i = 0; i < file->size(); ++i) {
        if ((*file)[i] == '\n') {
          ASSERT_TRUE(i > 0 && (*file)[i - 1] == '\r') << name << ": a line ends without CR";
        }
      }
    }
    EXPECT_TRUE(cp1252::StartsWithNoCase(header_file, "DO NOT CHANGE THE NEXT 4 LINES\r\n" + name + "\r\n")) << name;
    const clsTemplate record = LoadTemplate(rig.gildex, name);
    EXPECT_EQ(record.HeaderText().substr(0, record.HeaderText().find("\r\n")), "On Error GoTo %ProcName%_ErrorHandler")
        << name;
    EXPECT_NE(record.FooterText().find("\r\n%ProcName%_ErrorHandler:\r\n"), std::string::npos) << name;
  }
}

TEST(ShippedPrefixTable, LoadsCompletelyWithTheUsualControls) {
  EngineRig rig;
  const std::filesystem::path shipped = std::filesystem::path(GILDEX_SOURCE_DIR) / "data/pfx.dat";
  const std::string bytes = ReadBytes(shipped);
  std::filesystem::copy_file(shipped, rig.ProgramFolder() / "pfx.dat");
  ASSERT_TRUE(rig.gildex.LoadPrefixes());
  const std::vector<std::string>& table = rig.gildex.Prefixes();
  EXPECT_GE(table.size(), 30u);
  for (const char* line : {"CommandButton=cmd", "TextBox=txt", "Label=lbl", "ListView=lvw", "Timer=tmr"})
    EXPECT_NE(std::find(table.begin(), table.end(), line), table.end()) << line;
  std::size_t breaks = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) breaks += bytes.compare(i, 2, "\r\n") == 0;
  EXPECT_EQ(breaks, table.size());
}

}  // namespace
}  // namespace gildex
