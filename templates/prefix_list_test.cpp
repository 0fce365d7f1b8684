#include "templates/prefix_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"

namespace gildex {
namespace {

using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using Focus = PrefixList::Focus;

// The list as "Type=prefix" rows joined by blanks, the text boxes after "|".
std::string Shown(const PrefixList& list) {
  std::string shown;
  for (const PrefixList::Item& item : list.Items()) shown += item.control_type + "=" + item.prefix + " ";
  return shown + "|" + list.txtControlName + "|" + list.txtPrefix;
}

// What the user does, one step a word: "add NAME PREFIX" (either may be "-" for empty),
// "remove NAME", "click ROW", "key CODE".
void Act(PrefixList& list, const std::string& step) {
  std::istringstream words(step);
  std::string verb, a, b;
  words >> verb >> a >> b;
  auto text = [](const std::string& word) { return word == "-" ? std::string() : word; };
  if (verb == "add" || verb == "remove") {
    list.txtControlName = text(a);
    list.txtPrefix = text(b);
    list.cmdPrefixItem_Click(verb == "add" ? PrefixList::kAdd : PrefixList::kRemove);
  } else if (verb == "click") {
    list.lvwPrefix_ItemClick(std::stoul(a));
  } else if (verb == "key") {
    list.lvwPrefix_KeyDown(std::stoi(a));
  }
}

TEST(PrefixList, EditsTheTableAsTheOptionsPageDoes) {
  struct Row {
    std::optional<std::string> file;  // pfx.dat before; nothing: no file
    std::vector<std::string> steps;
    bool loaded;
    std::string shown;  // after the steps
    bool apply;
    Focus focus;
    std::optional<std::string> saved;  // pfx.dat after SavePrefix; nothing: no file
  };
  const std::string two = "TextBox=txt\r\nLabel=lbl\r\n";
  // How pfx.dat's lines read and are written back is the engine's prefix table's test.
  const Row rows[] = {
      // Adding a listed type (in any letter case) replaces its prefix and moves it to the end.
      {two, {"add textbox tb"}, true, "Label=lbl textbox=tb ||", true, Focus::None, "Label=lbl\r\ntextbox=tb\r\n"},
      // An empty prefix still removes the listed row first, then stops at the empty box.
      {two, {"add TextBox -"}, true, "Label=lbl |TextBox|", false, Focus::Prefix, "Label=lbl\r\n"},
      {two, {"add - txt"}, true, "TextBox=txt Label=lbl ||txt", false, Focus::ControlName, two},
      {two, {"remove Frame"}, true, "TextBox=txt Label=lbl ||", true, Focus::None, two},
      // A click fills the boxes; the Delete key removes the clicked row, other keys nothing.
      {two, {"click 1", "key 13"}, true, "TextBox=txt Label=lbl |Label|lbl", false, Focus::None, two},
      {two, {"click 1", "key 46"}, true, "TextBox=txt ||", true, Focus::None, "TextBox=txt\r\n"},
      {two, {"key 46"}, true, "TextBox=txt Label=lbl ||", false, Focus::None, two},
      {two, {"remove TextBox", "remove Label"}, true, "||", true, Focus::None, ""},
      // No file: no rows, and a save keeps the table in memory only.
      {std::nullopt, {"add CommandButton cmd"}, false, "CommandButton=cmd ||", true, Focus::None, std::nullopt},
  };
  for (const Row& row : rows) {
    testing::EngineRig rig;
    const std::filesystem::path file = rig.ProgramFolder() / "pfx.dat";
    if (row.file) WriteBytes(file, *row.file);
    PrefixList list(rig.gildex, rig.report);
    EXPECT_EQ(list.LoadPrefix(), row.loaded);
    for (const std::string& step : row.steps) Act(list, step);
    const std::string context = row.steps.empty() ? row.file.value_or("-") : row.steps.back();
    EXPECT_EQ(Shown(list), row.shown) << context;
    EXPECT_EQ(list.ApplyEnabled(), row.apply) << context;
    EXPECT_EQ(list.FocusedBox(), row.focus) << context;
    EXPECT_EQ(list.SavePrefix(), row.saved.has_value()) << context;
    if (row.saved) {
      EXPECT_EQ(ReadBytes(file), *row.saved) << context;
    } else {
      EXPECT_FALSE(std::filesystem::exists(file)) << context;
    }
    EXPECT_EQ(rig.gildex.Prefixes().size(), list.Items().size()) << context;
    EXPECT_TRUE(rig.dialogs.Asked().empty()) << context;
  }
}

}  // namespace
}  // namespace gildex
