#include "templates/template_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
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

TEST(ReadTemplateBlock, TakesTheBlockAfterAnOptionalPreamble) {
  const std::string m = "DO NOT CHANGE THE NEXT 4 LINES\r\n";
  const struct {
    std::string what;
    std::optional<std::string> file;  // T.hdr; nothing: no file; "/": a folder of that name
    bool read;
    std::string block, preamble;      // preamble: title|line 2|line 3
    std::string file_name = "T.hdr";
  } cases[] = {
      {"final line break", "On Error GoTo X\r\nx = 1\r\n", true, "On Error GoTo X\r\nx = 1", "||"},
      {"two final breaks keep one empty line", "a\r\n\r\n", true, "a\r\n", "||"},
      {"line feeds", "a\nb\n", true, "a\r\nb", "||"}, {"carriage returns", "a\rb\r", true, "a\r\nb", "||"},
      {"empty file", "", true, "", "||"},
      {"preamble", m + "My title\r\nsecond\r\nthird\r\nOn Error GoTo X\r\n", true, "On Error GoTo X", "My title|second|third"},
      {"marker in lower case with blanks", "  do not change the next 4 lines \r\nT\r\n2\r\n3\r\nbody\r\n", true, "body", "T|2|3"},
      {"marker with a tab is not the marker", "\t" + m + "T\r\n", true, "\t" + m + "T", "||"},
      {"marker not on the first line", "x\r\n" + m + "T\r\n", true, "x\r\n" + m + "T", "||"},
      {"only the preamble", m + "T\r\n2\r\n3", true, "", "T|2|3"},
      {"file ends inside the preamble", m + "T\r\n2\r\n", false, "", "T|2|"},
      {"Windows-1252 bytes kept", "' Gr\xFC\xDF\x65 \x80\r\n", true, "' Gr\xFC\xDF\x65 \x80", "||"},
      {"a file written in another letter case", "On Error GoTo X\r\n", true, "On Error GoTo X", "||", "t.HDR"},
      {"no file", std::nullopt, false, "", "||"}, {"a folder of that name", "/", false, "", "||"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    if (c.file == "/") std::filesystem::create_directory(dir / c.file_name);
    else if (c.file) WriteBytes(dir / c.file_name, *c.file);
    clsTemplate record;
    record.HeaderText("old");
    EXPECT_EQ(ReadTemplateBlock((dir / "T").string(), ".hdr", record), c.read) << c.what;
    EXPECT_EQ(record.HeaderText(), c.block) << c.what;
    EXPECT_EQ(record.FooterText(), "") << c.what;
    EXPECT_EQ(record.Title() + "|" + record.PreambleLine2() + "|" + record.PreambleLine3(), c.preamble) << c.what;
  }
  // A footer's preamble fills only the fields still empty.
  TempDir dir;
  WriteBytes(dir / "T.ftr", m + "Footer title\r\nf2\r\nf3\r\nT_ErrorHandler:\r\n");
  clsTemplate record;
  record.Title("Kept");
  record.PreambleLine3("kept 3");
  record.HeaderText("header stays");
  EXPECT_TRUE(ReadTemplateBlock((dir / "T").string(), ".ftr", record));
  EXPECT_EQ(std::vector<std::string>({record.Title(), record.PreambleLine2(), record.PreambleLine3(),
                                      record.HeaderText(), record.FooterText()}),
            std::vector<std::string>({"Kept", "f2", "kept 3", "header stays", "T_ErrorHandler:"}));
}

TEST(LoadTemplate, MakesTheTemplateTheEnginesHeaderAndFooter) {
  EngineRig rig;
  TemplateFolder folder(rig);
  folder.Write("Standard", "DO NOT CHANGE THE NEXT 4 LINES\r\nFile title\r\n\r\n\r\nOn Error GoTo X\r\n", "X:\r\n    Resume Next\r\n");
  folder.Write("Bare", "On Error Resume Next\r\n", std::nullopt);
  rig.gildex.DefaultTemplate("Standard");
  const struct {
    std::string name, title, header, footer;
  } cases[] = {
      {"  ", "Standard", "On Error GoTo X", "X:\r\n    Resume Next"},  // blank: the default template
      {" Bare ", "Bare", "On Error Resume Next", ""},
      {"Gone", "Gone", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LoadTemplate(rig.gildex, c.name).Title(), c.title) << c.name;
    EXPECT_EQ(rig.gildex.HeaderCode(), c.header) << c.name;
    EXPECT_EQ(rig.gildex.FooterCode(), c.footer) << c.name;
  }
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

// Removal finds a header by its first line's "On Error" and body handlers by the
// "<procedure>_ErrorHandler" label: every shipped template keeps to both, in CR LF text.
TEST(ShippedFiles, TemplatesFitInsertionAndRemovalAndThePrefixTableLoads) {
  EngineRig rig;
  rig.gildex.TemplatePath(testing::ShippedTemplates().string());
  const std::vector<std::string> names = TemplateNames(rig.gildex.TemplatePath());
  EXPECT_GE(names.size(), 3u);
  EXPECT_NE(std::find(names.begin(), names.end(), "Standard"), names.end());
  for (const std::string& name : names) {
    const std::string header = ReadBytes(testing::ShippedTemplates() / (name + ".hdr"));
    const std::string footer = ReadBytes(testing::ShippedTemplates() / (name + ".ftr"));
    for (const std::string& file : {header, footer})
      EXPECT_EQ(ReplaceAll(file, "\r\n", "").find_first_of("\r\n"), std::string::npos) << name << ": a bare line end";
    EXPECT_TRUE(cp1252::StartsWithNoCase(header, "DO NOT CHANGE THE NEXT 4 LINES\r\n" + name + "\r\n")) << name;
    const clsTemplate record = LoadTemplate(rig.gildex, name);
    EXPECT_TRUE(record.HeaderText().starts_with("On Error GoTo %ProcName%_ErrorHandler")) << name;
    EXPECT_NE(record.FooterText().find("\r\n%ProcName%_ErrorHandler:\r\n"), std::string::npos) << name;
  }

  const std::filesystem::path shipped = std::filesystem::path(GILDEX_SOURCE_DIR) / "data/pfx.dat";
  std::filesystem::copy_file(shipped, rig.ProgramFolder() / "pfx.dat");
  ASSERT_TRUE(rig.gildex.LoadPrefixes()) << "no control type twice";
  std::string lines;
  for (const PrefixRow& row : rig.gildex.Prefixes()) lines += PrefixRowText(row) + "\r\n";
  EXPECT_EQ(ReadBytes(shipped), lines) << "every line loaded, each ended by CR LF";
  EXPECT_NE(lines.find("CommandButton=cmd\r\n"), std::string::npos);
}

}  // namespace
}  // namespace gildex
