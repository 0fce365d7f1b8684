// Control templates on disk (.ctt bytes read, written and read back), the template window's
// model in edit and select mode, and the property copier options window over the settings.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "platform/dialogs.h"
#include "platform/test_files.h"
#include "tools/control_template.h"
#include "tools/copy_options.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using Entries = std::vector<ControlTemplateEntry>;
using Strings = std::vector<std::string>;

TEST(ControlTemplateFile, ReadsEntriesOrRefusesADamagedFile) {
  struct Case {
    std::string bytes;  // "-": no file
    Entries entries;
    std::string problem;  // a part of the error; empty: reads as `entries`
  };
  const std::vector<Case> cases = {
      {"-", {}, ""},
      {"", {}, ""},
      {"Caption=OK\r\nTag = a=b\r\n", {{"Caption", "OK"}, {"Tag", "a"}}, ""},
      {"BackColor=1\r\nBackColor=2\r\nbackcolor=3\r\n", {{"BackColor", "1"}, {"backcolor", "3"}}, ""},
      {"Locked\r\n  Caption  =  \"Caf\xE9 \" \r\n=x\r\n", {{"Locked", ""}, {"Caption", "\"Caf\xE9 \""}, {"=x", ""}}, ""},
      {"Width=10", {{"Width", "10"}}, ""},  // a last line without its line end, as an editor leaves it
      {"Width=10\nHeight=5\r\nTag=\n", {{"Width", "10"}, {"Height", "5"}, {"Tag", ""}}, ""},  // a Linux editor's
      {"Width=10\rHeight=5\r\n", {}, "is damaged (line 1 holds a stray line break"},
      {"Width=10\n\rHeight=5\n", {}, "is damaged (line 2 holds a stray line break"},
      {std::string("Width=1\0\r\n", 10), {}, "is damaged (line 1"},
  };
  for (const Case& c : cases) {
    platform::testing::TempDir dir;
    const fs::path file = dir / "Boxes.ctt";
    if (c.bytes != "-") WriteBytes(file, c.bytes);
    try {
      EXPECT_EQ(ReadControlTemplate(file), c.entries) << c.bytes;
      EXPECT_EQ(c.problem, "") << c.bytes;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(c.problem, "") << c.bytes << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
    }
  }
}

TEST(ControlTemplateFile, WritesWhatReadsBackOrNothing) {
  struct Case {
    std::string name;  // as typed
    Entries entries;
    std::string file, bytes;  // bytes empty: refused, the old file kept
  };
  const std::vector<Case> cases = {
      {"Buttons", {{"Caption", "\"OK\""}, {"Width", "1200"}, {"Tag", ""}}, "Buttons.ctt",
       "Caption=\"OK\"\r\nWidth=1200\r\nTag=\r\n"},
      {"Buttons.CTT", {{"Caption", "Caf\xE9"}}, "Buttons.CTT", "Caption=Caf\xE9\r\n"},
      {"Empty", {}, "Empty.ctt", ""},
      {"Bad", {{"Tag=x", "1"}}, "Bad.ctt", ""},
      {"Bad", {{"Tag", "a\r\nb"}}, "Bad.ctt", ""},
      {"Bad", {{" ", "1"}}, "Bad.ctt", ""},
  };
  for (const Case& c : cases) {
    platform::testing::TempDir dir;
    fs::create_directories(dir / "Controls");
    const fs::path file = ControlTemplateFile(dir / "Controls", c.name);
    EXPECT_EQ(file.filename(), c.file);
    const bool refused = c.bytes.empty() && !c.entries.empty();
    if (refused) WriteBytes(file, "Old=1\r\n");
    try {
      WriteControlTemplate(file, c.entries);
      EXPECT_FALSE(refused) << c.name;
      EXPECT_EQ(ReadBytes(file), c.bytes) << c.name;
      EXPECT_EQ(ReadControlTemplate(file), c.entries) << c.name;
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(refused) << c.name << ": " << e.what();
      EXPECT_EQ(ReadBytes(file), "Old=1\r\n") << c.name;
    }
  }
}

// The window as the user works it: `act` runs while it is shown; values typed come from
// `values` in order (nullopt: Cancel).
struct ScriptedWindow : ControlTemplateView {
  void ShowModal(frmControlTemplate& form) override { act(form); }
  std::optional<std::string> AskValue(const std::string& prompt, const std::string&, const std::string& current) override {
    asked.push_back(prompt + " [" + current + "]");
    std::optional<std::string> value = values.empty() ? std::nullopt : values.front();
    if (!values.empty()) values.erase(values.begin());
    return value;
  }
  std::function<void(frmControlTemplate&)> act;
  std::vector<std::optional<std::string>> values;
  Strings asked;
};

TEST(ControlTemplateWindow, EditsSavesAndSelectsTemplates) {
  platform::testing::TempDir dir;
  platform::ScriptedDialogs dialogs;
  const std::string templates = (dir / "Templates").string() + "/";
  const fs::path controls = dir / "Templates" / "Controls";
  fs::create_directories(controls);
  WriteBytes(controls / "Labels.ctt", "Caption=\"Name:\"\r\nAutoSize=-1\r\n");
  frmControlTemplate form(dialogs, templates);
  ScriptedWindow window;
  Strings rows;
  auto snapshot = [&](frmControlTemplate& f) {
    std::string text = f.Tag() + ":";
    for (const auto& row : f.Rows()) text += " " + row.key + "|" + row.text + "=" + row.value;
    rows.push_back(text);
  };

  // Edit: two entries typed, the first removed, then saved under a name given late.
  window.values = {std::nullopt, "\"OK\"", "\"Your name:\""};
  dialogs.Answer(platform::vbYes);
  window.act = [&](frmControlTemplate& f) {
    EXPECT_EQ(f.Templates(), Strings{"Labels"});
    f.AddEntry(), f.EditRow(0, "Tag");
    f.AddEntry(), f.EditRow(1, "Caption");
    f.RemoveEntry(0);
    snapshot(f);
    EXPECT_THROW(f.AddEntry(), std::runtime_error);  // "item1" is taken again
    f.cmdApply_Click();                                // no name yet
    f.TypeName("Buttons");
    f.cmdApply_Click();
    EXPECT_FALSE(f.ApplyEnabled());
    EXPECT_EQ(f.Templates(), (Strings{"Buttons", "Labels"}));
    // Editing and then choosing another template asks to save under the first one's name.
    f.cboTemplates_Click("Labels");
    f.EditRow(0, "Caption");
    f.cboTemplates_Click("Buttons");
    snapshot(f);
    f.cmdClose_Click();
  };
  form.ShowEdit(window);
  EXPECT_EQ(rows, (Strings{": item1|Caption=\"OK\"", "Buttons: Caption|Caption=\"OK\""}));
  EXPECT_EQ(ReadBytes(controls / "Buttons.ctt"), "Caption=\"OK\"\r\n");
  EXPECT_EQ(ReadBytes(controls / "Labels.ctt"), "Caption=\"Your name:\"\r\nAutoSize=-1\r\n");
  EXPECT_EQ(testing::Prompts(dialogs), (Strings{"Are you sure you wish to remove the property 'Tag' from the template?",
                            "Please specify a name for this template", "Save your changes??"}));
  EXPECT_EQ(window.asked, (Strings{"Please enter a value for this property []", "Please enter a value for this property []",
                                   "Please enter a value for this property [\"Name:\"]"}));

  // Select: the chosen template's entries without quotes; closing chooses nothing; a damaged
  // file chosen says so and keeps the list shown.
  window.act = [](frmControlTemplate& f) {
    EXPECT_STREQ(f.ApplyCaption(), "&Select");
    f.cboTemplates_Click("Labels");
    f.AddEntry();  // the list cannot be edited here
    f.cmdApply_Click();
  };
  EXPECT_EQ(form.ShowSelect(window), (std::optional<Strings>{{"Caption=Your name:", "AutoSize=-1"}}));
  window.act = [](frmControlTemplate& f) {
    f.cboTemplates_Click("Buttons");
    f.cmdClose_Click();
  };
  EXPECT_EQ(form.ShowSelect(window), std::nullopt);
  WriteBytes(controls / "Broken.ctt", "Width=1\rHeight=2\r\n");
  window.act = [&](frmControlTemplate& f) {
    f.cboTemplates_Click("Buttons");
    EXPECT_THROW(f.cboTemplates_Click("Broken"), std::runtime_error);
    snapshot(f);
    f.cmdClose_Click();
  };
  EXPECT_EQ(form.ShowSelect(window), std::nullopt);
  EXPECT_EQ(rows.back(), "Buttons: Caption|Caption=\"OK\"");
  EXPECT_EQ(ReadBytes(controls / "Broken.ctt"), "Width=1\rHeight=2\r\n");
}

TEST(CopyOptionsWindow, ShowsAndStoresTheCopierSettings) {
  struct Case {
    int stored_discard;
    bool stored_pos, stored_size, stored_silent;
    int discard, pos, size, silent;  // what the window shows
    std::function<void(frmCopyOptions&)> act;
    std::string stored;  // Discard, Position, Dimensions, Silent afterwards; and whether Apply was enabled
  };
  const std::vector<Case> cases = {
      {2, false, true, false, 2, 0, 1, 0, [](frmCopyOptions& f) { f.optDiscard_Click(0), f.cmdOK_Click(); },
       "0 0 1 0 apply"},
      {0, true, true, true, 0, 1, 1, 1, [](frmCopyOptions& f) { f.chkCopyPos(2), f.chkSilent(0), f.cmdOK_Click(); },
       "0 0 1 0 apply"},
      {7, false, false, false, -1, 0, 0, 0, [](frmCopyOptions& f) { f.chkCopySize(1), f.cmdOK_Click(); },
       "2 0 1 0 apply"},
      {1, false, false, false, 1, 0, 0, 0, [](frmCopyOptions& f) { f.optDiscard_Click(2), f.chkSilent(1), f.cmdClose_Click(); },
       "1 0 0 0"},
  };
  for (const Case& c : cases) {
    testing::EngineRig rig;
    CGildex& engine = rig.gildex;
    engine.CopierDiscard(static_cast<std::int16_t>(c.stored_discard));
    engine.CopierPosition(c.stored_pos), engine.CopierDimensions(c.stored_size), engine.CopierSilent(c.stored_silent);
    bool applied = false;
    frmCopyOptions form(engine, [&] { applied = true; });
    EXPECT_EQ((std::vector<int>{form.Discard(), form.CopyPos(), form.CopySize(), form.Silent()}),
              (std::vector<int>{c.discard, c.pos, c.size, c.silent}));
    c.act(form);
    EXPECT_TRUE(form.Unloaded());
    const std::string stored = std::to_string(engine.CopierDiscard()) + " " + (engine.CopierPosition() ? "1" : "0") + " " +
                               (engine.CopierDimensions() ? "1" : "0") + " " + (engine.CopierSilent() ? "1" : "0") +
                               (applied ? " apply" : "");
    EXPECT_EQ(stored, c.stored);  // saved with the other settings, under the copier's key: the engine's test
  }
}

}  // namespace
}  // namespace gildex
