// The control prefix table kept in the program folder's pfx.dat.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"

namespace gildex {
namespace {

using testing::EngineRig;
using Lines = std::vector<std::string>;

PrefixTable Rows(const Lines& lines) {
  PrefixTable rows;
  for (const std::string& line : lines) rows.push_back(ParsePrefixRow(line));
  return rows;
}

// Loading reads every line up to a repeated control type; saving replaces an existing file
// with CR LF lines and never creates one.
TEST(PrefixTable, LoadsUpToARepeatedControlTypeAndSavesOnlyAFileThatExists) {
  const struct {
    std::optional<std::string> file;  // nothing: no file; "/": a folder of that name
    bool complete;
    Lines table;
    Lines saved_table;
    std::optional<std::string> after_save;
  } cases[] = {
      {"TextBox=txt\r\nLabel=lbl\r\n", true, {"TextBox=txt", "Label=lbl"}, {"A=a", "B=b"}, "A=a\r\nB=b\r\n"},
      {"TextBox=txt\nLabel=lbl", true, {"TextBox=txt", "Label=lbl"}, {}, ""},
      {"", true, {}, {"A=a"}, "A=a\r\n"},
      // A line without "=" is a control type without a prefix; a prefix ends at a second "=".
      {"Timer\r\nShape=shp=x\r\n", true, {"Timer", "Shape=shp=x"}, {"A=a"}, "A=a\r\n"},
      // Keyed by control type, in any letter case: a repeat ends the load there.
      {"TextBox=txt\r\nLabel=lbl\r\ntextbox=tb\r\nImage=img\r\n", false, {"TextBox=txt", "Label=lbl"}, {"A=a"}, "A=a\r\n"},
      {std::nullopt, false, {}, {"A=a"}, std::nullopt},
      {"/", false, {}, {"A=a"}, "/"},
  };
  for (const auto& c : cases) {
    EngineRig rig;
    const std::filesystem::path file = rig.ProgramFolder() / "pfx.dat";
    if (c.file == "/") std::filesystem::create_directory(file);
    else if (c.file) platform::testing::WriteBytes(file, *c.file);
    rig.gildex.Prefixes({{"Old", "o"}});
    EXPECT_EQ(rig.gildex.LoadPrefixes(), c.complete) << c.file.value_or("(none)");
    EXPECT_EQ(rig.gildex.Prefixes(), Rows(c.table)) << c.file.value_or("(none)");
    rig.gildex.Prefixes(Rows(c.saved_table));
    EXPECT_EQ(rig.gildex.SavePrefixes(), c.after_save.has_value() && c.after_save != "/");
    std::optional<std::string> after;
    if (std::filesystem::is_directory(file)) after = "/";
    else if (std::filesystem::exists(file)) after = platform::testing::ReadBytes(file);
    EXPECT_EQ(after, c.after_save) << c.file.value_or("(none)");
    EXPECT_EQ(rig.gildex.Prefixes(), Rows(c.saved_table));
    EXPECT_TRUE(rig.dialogs.Asked().empty());
  }
  EngineRig rig;
  platform::testing::WriteBytes(rig.ProgramFolder() / "pfx.dat", "ListBox=lst\r\n");
  rig.gildex.LoadSettings();
  EXPECT_EQ(rig.gildex.Prefixes(), Rows({"ListBox=lst"})) << "loading the settings loads the table";
  // Another run changed the file since: only our changes go into it as it is now.
  // A row left as it was keeps its line as the file has it.
  platform::testing::WriteBytes(rig.ProgramFolder() / "pfx.dat",
                                "ListBox=lst\r\nLabel = lbl\r\nImage=img\r\nShape=shp=x\r\n");
  rig.gildex.Prefixes(Rows({"TextBox=txt", "ListBox=lb"}));
  EXPECT_TRUE(rig.gildex.SavePrefixes());
  EXPECT_EQ(platform::testing::ReadBytes(rig.ProgramFolder() / "pfx.dat"),
            "Label = lbl\r\nImage=img\r\nShape=shp=x\r\nTextBox=txt\r\nListBox=lb\r\n");
  EXPECT_EQ(rig.gildex.Prefixes(), Rows({"Label=lbl", "Image=img", "Shape=shp", "TextBox=txt", "ListBox=lb"}));
}

}  // namespace
}  // namespace gildex
