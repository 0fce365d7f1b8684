#include "ide/options_dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

using platform::vbNo;
using platform::vbYes;

struct FakeOptionsView : OptionsView {
  void StartLabelEdit(const std::string& key) override { log.push_back("label " + key); }
  void PopupMenu(const std::string& menu) override { log.push_back("menu " + menu); }
  void ShowDialog() override { log.push_back("show"); }
  void CloseDialog() override { log.push_back("close"); }
  void Center() override { log.push_back("center"); }
  void Refresh() override {}
  void SetFocus(const std::string& control) override { log.push_back("focus " + control); }
  void ShowCopyOptions(frmCopyOptions& form) override {
    log.push_back("copy options");
    form.optDiscard_Click(2);
    form.cmdOK_Click();
  }
  void ShellOpen(const std::string& target) override { log.push_back("open " + target); }
  std::vector<std::string> log;
};

struct OptionsRig {
  // The registry's values before the dialog opens: "NAME=VALUE" under the options key.
  explicit OptionsRig(const std::vector<std::string>& values = {}) {
    for (const std::string& value : values) {
      const std::size_t equals = value.find('=');
      rig.Option(value.substr(0, equals), value.substr(equals + 1));
    }
  }
  std::string Stored(const std::string& name) {
    return rig.tools.fnsGetRegistryValue(std::string(kOptionsKey), name);
  }
  // A control as "value", "/text" where the text is not its caption, " off" when disabled and
  // " hidden" when not visible.
  std::string Shown(const std::string& name) {
    const DialogControl& control = form.Control(name);
    std::string shown = std::to_string(control.value);
    if (control.text != FindOptionsControl(name)->caption) shown += "/" + control.text;
    return shown + (control.enabled ? "" : " off") + (control.visible ? "" : " hidden");
  }
  // One step a line: "chk NAME VALUE", "txt NAME TEXT" (the rest of the line), "lost NAME",
  // "opts INDEX", "event INDEX", "delim INDEX", "apply".
  void Act(const std::string& step) {
    std::istringstream words(step);
    std::string verb, name, rest;
    words >> verb >> name;
    std::getline(words, rest);
    if (!rest.empty()) rest.erase(0, 1);
    if (verb == "chk") form.chk_Click(name, std::stoi(rest));
    else if (verb == "txt") form.txt_Change(name, rest);
    else if (verb == "lost" && name == "txtTemplatePath") form.txtTemplatePath_LostFocus();
    else if (verb == "lost" && name == "txtBlockStart") form.txtBlockStart_LostFocus();
    else if (verb == "lost" && name == "txtBlockEnd") form.txtBlockEnd_LostFocus();
    else if (verb == "lost" && name == "txtBackup") form.txtBackup_LostFocus();
    else if (verb == "opts") form.cboInsertOpts_Click(std::stoi(name));
    else if (verb == "event") form.cboEventType_Click(std::stoi(name));
    else if (verb == "delim") form.cboDelimiter_Click(std::stoi(name));
    else if (verb == "apply") form.cmdApply_Click();
    else FAIL() << "unknown step " << step;
  }

  testing::AddInRig rig;
  FakeOptionsView view;
  platform::MemoryClipboard clipboard;
  frmOptions form{rig.add_in, &view, clipboard};
};

// Display shows each setting in its control, and the steps a user takes before Apply store
// the controls as their settings.
TEST(OptionsDialog, DisplayShowsEverySettingAndApplyStoresTheControls) {
  struct Row {
    std::vector<std::string> registry, steps;
    std::map<std::string, std::string> shown = {};   // control -> OptionsRig::Shown, after the steps
    std::map<std::string, std::string> stored = {};  // registry value name -> text after the steps
    std::string asked = "", pending = "";       // the last message box; PendingInsertInto
  };
  const Row rows[] = {
      // A fresh registry: numbering on (its setting is inverted), one space after the number,
      // the default logging line, the markers' defaults; the rules switch off what their boxes do not allow.
      {{}, {},
       {{"chkLineNumbers", "1"}, {"txtIncrement", "0/1"}, {"chkNumberBlanks", "0"}, {"cboDelimiter", "2"},
        {"rtfLogger", "0/\tCall oLogger.WriteEntry(\"%PrevLine% executed OK\") off"}, {"txtBlockStart", "0/' ---- Code Body Starts ---- "},
        {"txtBackup", "0 off"}, {"chkReplaceBodyHandlers", "0 off"}, {"txtAutoSave", "0/0 off"}, {"chkConfirmSave", "0 off"},
        {"cboInsertOpts", "0"}, {"cboEventType", "0 hidden"}, {"cmdAdvanced", "0 off"}, {"cmdApply", "0 off"}, {"tabOptions", "0"},
        {"lblVersion", "0/Version 0.1"}, {"chkDisableSplash", "0"}, {"cmdCopyCustom", "0 off"}}},
      {{"Numbering=True", "Line Delimiter=\t", "Insert Into=_Click", "Ignore Existing=True", "Replace Body Handlers=True",
        "Backup Files=True", "Backup Extension=OLD", "Full Logging=True", "Full Logging Code=Log %PrevLine%", "AutoSave=True",
        "Save Interval=5", "Disable Splash=True", "Editor Path=/usr/bin/vi", "Minimum Lines=4"}, {},
       {{"chkLineNumbers", "0"}, {"txtStartLine", "0/0 off"}, {"lblIncrement(1)", "0 off"}, {"chkNumberBlanks", "0 off"},
        {"cboDelimiter", "1"}, {"cboInsertOpts", "4"}, {"cboEventType", "1/_Click"}, {"lblEventType", "0"},
        {"chkReplaceBodyHandlers", "1"}, {"txtBackup", "0/OLD"}, {"rtfLogger", "0/Log %PrevLine%"}, {"txtAutoSave", "0/5"},
        {"txtSmallFN", "0/4 off"}, {"chkDisableSplash", "1"}, {"txtEditorPath", "0//usr/bin/vi"}},
       {}, "", "_Click"},
      // Any delimiter but a tab or a space shows as the colon, and comes back as one.
      {{"Line Delimiter=-", "Insert Into=--"}, {}, {{"cboDelimiter", "0"}, {"cboInsertOpts", "6"}, {"cmdAdvanced", "0"}},
       {}, "", "--"},
      {{"Line Delimiter=-"}, {"apply"}, {}, {{"Line Delimiter", ":"}}},
      {{"Insert Into=*SCRIPT"}, {}, {{"cboInsertOpts", "5"}, {"cboEventType", "0 hidden"}}, {}, "", "*SCRIPT"},
      // "Replace Body Handlers" follows its box only while "Ignore Existing" is on.
      {{"Replace Body Handlers=True"}, {"chk chkReplaceBodyHandlers 1", "apply"}, {}, {{"Replace Body Handlers", "False"}}},
      {{}, {"chk chkIgnoreExisting 1", "chk chkReplaceBodyHandlers 1", "apply"}, {},
       {{"Replace Body Handlers", "True"}, {"Ignore Existing", "True"}}},
      // "Specified Events." with no event stored takes the first one as it is listed; an event
      // picked afterwards is stored in capitals.
      {{}, {"opts 4", "apply"}, {}, {{"Insert Into", "_Activate"}}},
      {{}, {"opts 4", "event 1", "apply"}, {}, {{"Insert Into", "_CLICK"}}},
      {{"Insert Into=_Click"}, {"opts 1", "apply"}, {}, {{"Insert Into", "SUB"}}},
      {{}, {"delim 1", "apply"}, {}, {{"Line Delimiter", "\t"}}},
      // The line-numbers box stores the inverted setting; number fields take Basic's Val.
      {{"Minimum Lines=4"}, {"chk chkLineNumbers 0", "txt txtIncrement 12abc", "txt txtSmallFN ", "txt txtStartLine -3", "apply"}, {},
       {{"Numbering", "True"}, {"Line Incrementor", "12"}, {"Minimum Lines", "0"}, {"Start Line", "-3"}}},
      {{"Number Blank Lines=True"}, {"chk chkNumberComments 1", "chk chkNumberBlanks 0", "apply"}, {},
       {{"Number Comment Lines", "True"}, {"Number Blank Lines", "False"}}},
      // A number that does not fit stores nothing at all.
      {{"Start Line=7"}, {"txt txtStartLine 1", "txt txtIncrement 99999", "apply"}, {}, {{"Line Incrementor", ""}, {"Start Line", "7"}},
       "\"Line Incrementor\" takes a whole number from -32768 to 32767; \"99999\" is not one. Nothing was applied."},
      // Values the dialog keeps in the registry itself.
      {{}, {"chk chkDisableSplash 1", "txt txtEditorPath /usr/bin/vi", "apply"}, {},
       {{"Disable Splash", "True"}, {"Editor Path", "/usr/bin/vi"}}},
      // Markers always become comments; the backup extension loses what a file name cannot hold.
      {{}, {"txt txtBlockStart   Starts here ", "lost txtBlockStart", "txt txtBlockEnd 'Ends", "lost txtBlockEnd",
            "chk chkBackup 1", "txt txtBackup b:a*k", "lost txtBackup", "apply"}, {},
       {{"CodeBody Start", "'Starts here"}, {"CodeBody End", "'Ends"}, {"Backup Extension", "bak"}, {"Backup Files", "True"}}},
      // The templates path gets its final separator, of the kind it already uses.
      {{}, {"txt txtTemplatePath   C:\\Gildex\\Templates ", "lost txtTemplatePath"}, {{"txtTemplatePath", "0/C:\\Gildex\\Templates\\"}}},
      {{}, {"txt txtTemplatePath /tmp/t", "lost txtTemplatePath"}, {{"txtTemplatePath", "0//tmp/t/"}}},
      {{}, {"txt txtTemplatePath /tmp/t/", "lost txtTemplatePath"}, {{"txtTemplatePath", "0//tmp/t/"}}},
      {{}, {"txt txtTemplatePath    ", "lost txtTemplatePath"}, {{"txtTemplatePath", "0"}}},
      {{}, {"chk chkAutoSave 1", "txt txtAutoSave 10", "txt txtVSSComment Fixing", "apply"}, {},
       {{"AutoSave", "True"}, {"Save Interval", "10"}, {"VSS Comment", "Fixing"}}},
  };
  for (const Row& row : rows) {
    OptionsRig rig(row.registry);
    rig.form.Display(false);
    EXPECT_EQ(rig.view.log, (std::vector<std::string>{"center", "show"}));
    EXPECT_TRUE(rig.form.Shown());
    EXPECT_EQ(rig.form.Control("cboInsertOpts").items.size(), std::size(kInsertOptions)) << "Selected Routines added once";
    for (const std::string& step : row.steps) rig.Act(step);
    const std::string trace = ::testing::PrintToString(row.registry) + " " + ::testing::PrintToString(row.steps);
    for (const auto& [control, shown] : row.shown) EXPECT_EQ(rig.Shown(control), shown) << control << " with " << trace;
    EXPECT_EQ(row.steps.empty() ? rig.form.PendingInsertInto() : row.pending, row.pending) << trace;
    for (const auto& [name, value] : row.stored) EXPECT_EQ(rig.Stored(name), value) << name << " after " << trace;
    EXPECT_EQ(rig.rig.dialogs.Asked().empty() ? "" : rig.rig.dialogs.Asked().back().prompt, row.asked) << trace;
    const bool applied = !row.steps.empty() && row.steps.back() == "apply";
    EXPECT_EQ(applied ? rig.form.ApplyEnabled() : !row.asked.empty(), !row.asked.empty()) << "an Apply that stored disables it";
  }
}

// What a repository's settings file gives is shown, named, not for changing and never saved.
TEST(OptionsDialog, ValuesOfTheSettingsFileAreShownButNotSaved) {
  OptionsRig rig({"Minimum Lines=2"});
  const std::string key(kOptionsKey);
  rig.rig.tools.Overlay({{key, "Ignore Small Functions", "True", "/r/.gildex", 2}, {key, "Minimum Lines", "7", "/r/.gildex", 3}});
  rig.form.Display(false);
  EXPECT_EQ(rig.Shown("txtSmallFN"), "0/7 off");
  EXPECT_EQ(rig.Shown("lblSettingsFile"),
            "0/From /r/.gildex for this project, not saved here: Ignore Small Functions (line 2), Minimum Lines (line 3).");
  for (const std::string step : {"chk chkIgnoreSmall 0", "chk chkIgnoreSmall 1", "chk chkBodyText 1", "apply"}) rig.Act(step);
  EXPECT_EQ(rig.Shown("txtSmallFN"), "0/7 off");
  EXPECT_EQ(rig.rig.registry.Get(key, "Minimum Lines")->data, "2");
  EXPECT_FALSE(rig.rig.registry.Get(key, "Ignore Small Functions"));
  EXPECT_EQ(rig.rig.registry.Get(key, "BodyCode")->data, "True");
  rig.rig.tools.Overlay({});
  rig.form.Display(true);
  EXPECT_EQ(rig.Shown("txtSmallFN"), "0/2 off");
  EXPECT_EQ(rig.Shown("lblSettingsFile"), "0 hidden");
}

TEST(OptionsDialog, ApplyTakesTheOtherPagesAlong) {
  OptionsRig rig({"Default Template=Standard"});
  rig.form.Display(false);
  // The template editor's default, the script editor, the prefix list and the copier options.
  rig.form.Editor().tvwTemplates_MouseDown(vbRightButton, "Standard");
  rig.form.Scripts().rtfScript.text = "Function Process(ProcCode)\r\nEnd Function";
  platform::testing::WriteBytes(rig.rig.services.program_folder / "pfx.dat", "");
  rig.form.Prefixes().txtControlName = "TextBox";
  rig.form.Prefixes().txtPrefix = "txt";
  rig.form.cmdPrefixItem_Click(PrefixList::kAdd);
  EXPECT_TRUE(rig.form.ApplyEnabled());
  rig.form.cmdCopyCustom_Click();
  rig.form.chk_Click("chkPropertyCopy", 1);
  rig.form.cmdApply_Click();
  EXPECT_EQ(rig.rig.add_in.Scripter().Script(), "Function Process(ProcCode)\r\nEnd Function");
  EXPECT_EQ(platform::testing::ReadBytes(rig.rig.services.program_folder / "pfx.dat"), "TextBox=txt\r\n");
  EXPECT_EQ(rig.rig.tools.fnsGetRegistryValue(std::string(kCopierKey), "Enabled"), "True");
  EXPECT_EQ(rig.rig.tools.fnsGetRegistryValue(std::string(kCopierKey), "Discard"), "2");
  EXPECT_EQ(rig.Stored("Default Template"), "Standard");
  EXPECT_EQ(rig.rig.add_in.Engine().HeaderCode(), "On Error GoTo %ProcName%_Err");
  EXPECT_FALSE(rig.form.ApplyEnabled());
}

TEST(OptionsDialog, ClosingBrowsingAndFieldChecks) {
  // Closing without a default template asks; No keeps the dialog and every edit in it.
  OptionsRig rig;
  rig.form.Display(false);
  rig.Act("txt txtVSSComment kept");
  rig.rig.dialogs.Answer(vbNo);
  EXPECT_FALSE(rig.form.cmdCancel_Click());
  EXPECT_EQ(rig.rig.dialogs.Asked().back().prompt,
            "You have not yet selected a default template, are you sure you wish to close options without doing so?");
  EXPECT_EQ(rig.form.Control("txtVSSComment").text, "kept");
  EXPECT_TRUE(rig.form.Shown());
  // Yes goes on to the unsaved template question.
  rig.form.Editor().Dirty(true);
  rig.rig.dialogs.Answer(vbYes);
  rig.rig.dialogs.Answer(vbNo);
  EXPECT_TRUE(rig.form.cmdCancel_Click());
  EXPECT_EQ(rig.rig.dialogs.Asked().back().prompt, "Save your changes?");
  EXPECT_FALSE(rig.form.Shown());
  EXPECT_EQ(rig.view.log.back(), "close");
  EXPECT_EQ(rig.Stored("VSS Comment"), "") << "what was not applied is dropped";

  // The template path: a chosen file's folder becomes the templates folder at once.
  const std::filesystem::path other = rig.rig.dir.Path() / "Other";
  std::filesystem::create_directories(other);
  platform::testing::WriteBytes(other / "Mine.hdr", "Mine");
  rig.rig.dialogs.AnswerOpen((other / "Mine.hdr").string());
  rig.form.cmdBrowse_Click(0);
  EXPECT_EQ(rig.form.Control("txtTemplatePath").text, other.string());
  EXPECT_EQ(rig.rig.add_in.Engine().TemplatePath(), other.string() + "/");
  EXPECT_NE(rig.form.Editor().Tree().Node("Mine"), nullptr);
  EXPECT_EQ(rig.rig.dialogs.OpensAsked().back().title, "Please select the template path..");
  // Cancelled dialogs change nothing.
  rig.form.cmdBrowse_Click(1);
  rig.form.cmdBackupDir_Click();
  EXPECT_EQ(rig.form.Control("txtEditorPath").text, "");
  EXPECT_EQ(rig.rig.dialogs.FoldersAsked(), std::vector<std::string>{"Select destination folder for backup files"});
  rig.rig.dialogs.AnswerFolder("/var/backups");
  rig.form.cmdBackupDir_Click();
  EXPECT_EQ(rig.form.Control("txtBackupDir").text, "/var/backups");

  // The About page's links open through the shell.
  rig.form.lblEMail_DblClick();
  EXPECT_EQ(rig.view.log.back(), "open mailto:support@gildex.example.org");
}

TEST(OptionsDialog, OpensThroughTheAddInsMenus) {
  testing::SampleHost host;
  FakeOptionsView view;
  platform::MemoryClipboard clipboard;
  OptionsDialog dialog(host.rig.add_in, &view, clipboard);
  ConnectViews views = host.Views();
  views.options_dialog = &dialog;
  host.Start("Orders.vbp", views);
  ASSERT_TRUE(host.connect->ClickTag("Gildex_Options"));
  ASSERT_NE(dialog.Form(), nullptr);
  EXPECT_TRUE(dialog.Form()->Shown());
  EXPECT_EQ(dialog.Form()->Editor().DefaultTemplateKey(), "Standard");
  // Apply shows the designer's "Controls" entries as the copier box says, the control
  // templates with "Copy Properties".
  const auto shown = [&] {
    std::string visible;
    for (auto& entry : host.vbe.Bars().Find(kControlsBar)->controls)
      if (entry->tag.starts_with("Gildex_")) visible += entry->visible ? "1" : "0";
    return visible;
  };
  EXPECT_EQ(shown(), "000");
  for (int ticked : {1, 0}) {
    dialog.Form()->chk_Click("chkPropertyCopy", ticked);
    dialog.Form()->cmdApply_Click();
    EXPECT_EQ(shown(), ticked ? "111" : "000");
  }
  host.connect->OnDisconnection(0);
}

}  // namespace
}  // namespace gildex
