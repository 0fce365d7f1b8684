#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"

namespace gildex {
namespace {

using testing::EngineRig;
using Lines = std::vector<std::string>;

std::filesystem::path PrefixFile(const EngineRig& rig) { return rig.ProgramFolder() / "pfx.dat"; }

TEST(PrefixTable, MissingFileLoadsAnEmptyTable) {
  EngineRig rig;
  rig.gildex.Prefixes({"TextBox=txt"});
  EXPECT_FALSE(rig.gildex.LoadPrefixes());
  EXPECT_TRUE(rig.gildex.Prefixes().empty());
}

TEST(PrefixTable, LoadsEveryLineOfTheFile) {
  struct Case {
    std::string file;
    bool complete;
    Lines table;
  };
  const std::vector<Case> cases = {
      {"TextBox=txt\r\nLabel=lbl\r\nCommandButton=cmd\r\n", true, {"TextBox=txt", "Label=lbl", "CommandButton=cmd"}},
      {"TextBox=txt\r\nLabel=lbl", true, {"TextBox=txt", "Label=lbl"}},
      {"", true, {}},
      // A line without "=" is a control type without a prefix; a prefix keeps its own "=".
      {"Timer\r\nShape=shp=x\r\n", true, {"Timer", "Shape=shp=x"}},
      // Keyed by control type, in any letter case: a repeat ends the load there.
      {"TextBox=txt\r\nLabel=lbl\r\ntextbox=tb\r\nImage=img\r\n", false, {"TextBox=txt", "Label=lbl"}},
      {"TextBox=txt\nLabel=lbl\n", true, {"TextBox=txt", "Label=lbl"}},
  };
  for (const Case& c : cases) {
    EngineRig rig;
    platform::testing::WriteBytes(PrefixFile(rig), c.file);
    EXPECT_EQ(rig.gildex.LoadPrefixes(), c.complete) << c.file;
    EXPECT_EQ(rig.gildex.Prefixes(), c.table) << c.file;
  }
}

TEST(PrefixTable, LoadSettingsLoadsTheTableLast) {
  EngineRig rig;
  platform::testing::WriteBytes(PrefixFile(rig), "ListBox=lst\r\n");
  rig.gildex.LoadSettings();
  EXPECT_EQ(rig.gildex.Prefixes(), Lines{"ListBox=lst"});
}

TEST(PrefixTable, SaveReplacesAnExistingFileWithCrLfLines) {
  EngineRig rig;
  platform::testing::WriteBytes(PrefixFile(rig), "Old=o\r\n");
  rig.gildex.Prefixes({"TextBox=txt", "Label=lbl"});
  EXPECT_TRUE(rig.gildex.SavePrefixes());
  EXPECT_EQ(platform::testing::ReadBytes(PrefixFile(rig)), "TextBox=txt\r\nLabel=lbl\r\n");

  rig.gildex.Prefixes({});
  EXPECT_TRUE(rig.gildex.SavePrefixes());
  EXPECT_EQ(platform::testing::ReadBytes(PrefixFile(rig)), "");
}

TEST(PrefixTable, SaveWritesNothingWhenTheFileIsMissing) {
  EngineRig rig;
  rig.gildex.Prefixes({"TextBox=txt"});
  EXPECT_FALSE(rig.gildex.SavePrefixes());
  EXPECT_FALSE(std::filesystem::exists(PrefixFile(rig)));
  EXPECT_EQ(rig.gildex.Prefixes(), Lines{"TextBox=txt"});
}

TEST(PrefixTable, AFolderNamedLikeTheFileIsNoTable) {
  EngineRig rig;
  std::filesystem::create_directory(PrefixFile(rig));
  rig.gildex.Prefixes({"TextBox=txt"});
  EXPECT_FALSE(rig.gildex.LoadPrefixes());
  EXPECT_TRUE(rig.gildex.Prefixes().empty());
  rig.gildex.Prefixes({"TextBox=txt"});
  EXPECT_FALSE(rig.gildex.SavePrefixes());
  EXPECT_TRUE(std::filesystem::is_directory(PrefixFile(rig)));
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

}  // namespace
}  // namespace gildex
