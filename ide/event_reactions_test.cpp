// Connect's reactions to the host's events, on the Orders sample loaded into the in-memory IDE.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>
#include <string>
#include <vector>

#include "host/project_loader.h"
#include "ide/connect.h"
#include "ide/ide_rig_test.h"
#include "platform/builder_tool.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using Strings = std::vector<std::string>;

constexpr const char* kRemoveCode = "Do you wish to remove all code for this control also?";
constexpr const char* kLaunchBuilder = "Would you like to launch Forgent to help you create the binary file?";

struct EventsIde : testing::SampleHost {
  EventsIde() { Start("Orders.vbp", Views()); }
  CGildex& Engine() { return rig.add_in.Engine(); }
  // frmAbout's designer open, so that its controls' events reach Connect.
  host::Designer& OpenAbout() {
    vbe.ShowDesigner(Component("frmAbout"));
    return *Component("frmAbout").GetDesigner();
  }
};

TEST(ConnectEvents, NewControlGetsItsTypesPrefixARemovedOneAsks) {
  struct Row {
    PrefixTable table;
    bool auto_prefix;
    const char* class_name;
    const char* name;
    const char* expected;
  };
  const Row rows[] = {
      {{{"TextBox", "txt"}, {"CommandButton", "cmd"}}, true, "CommandButton", "Command1", "cmdCommand1"},
      {{{"CommandButton", "cmd"}}, true, "CommandButton", "cmdGo", "cmdGo"},
      // The prefix is used in lower case, the name compared exactly.
      {{{"CommandButton", "CMD"}}, true, "CommandButton", "Command1", "cmdCommand1"},
      {{{"CommandButton", "cmd"}}, true, "CommandButton", "CMDGO", "cmdCMDGO"},
      {{{"commandbutton", "cmd"}}, true, "CommandButton", "Command1", "cmdCommand1"},
      {{{"TextBox", "txt"}}, true, "CommandButton", "Command1", "Command1"},
      {{{"CommandButton", "cmd"}}, false, "CommandButton", "Command1", "Command1"},
      // The first row of a type counts; a row without a prefix prefixes nothing.
      {{{"Label", "lbl"}, {"Label", "x"}}, true, "Label", "Label1", "lblLabel1"},
      {{{"Label", ""}}, true, "Label", "Label1", "Label1"},
  };
  EventsIde ide;
  host::Designer& designer = ide.OpenAbout();
  const std::string code = ide.Text("frmAbout");
  for (const Row& row : rows) {
    ide.Engine().AutoPrefix(false);
    host::VBControl& control = designer.AddControl(row.class_name);
    control.SetName(row.name);
    ide.Engine().Prefixes(row.table);
    ide.Engine().AutoPrefix(row.auto_prefix);
    designer.ControlAdded.Raise(control);
    EXPECT_EQ(control.Name(), row.expected) << row.table.front().control_type << " " << row.name;
    designer.RemoveControl(control);
  }
  // A control placed on the designer gets its prefix in the form file; a removed control asks
  // the question while DeleteEvents is on, and its code stays.
  ide.Engine().Prefixes({{"CommandButton", "cmd"}});
  EXPECT_EQ(designer.AddControl("CommandButton").Name(), "cmdCommand1");
  EXPECT_NE(ide.Component("frmAbout").Serialize().find("Begin VB.CommandButton cmdCommand1"), std::string::npos);
  designer.RemoveControl(designer.AddControl("Label"));
  ide.Engine().DeleteEvents(true);
  for (host::VBControl* control : designer.Controls())
    if (control->Name() == "cmdOK") designer.RemoveControl(*control);
  EXPECT_EQ(ide.Boxes(), Strings{kRemoveCode});
  EXPECT_EQ(ide.Text("frmAbout"), code);
}

TEST(ConnectEvents, RenamedControlTakesItsEventProceduresAlong) {
  const std::string before =
      "Option Explicit\r\n"
      "Private Sub Command1_Click() ' Command1 and Command1\r\n"
      "    Command1.Caption = \"Command1_\"\r\n"
      "End Sub\r\n"
      "Private Sub command1_GotFocus()\r\n"
      "End Sub\r\n"
      "Private Sub Text1_Change() ' like Text10\r\n"
      "End Sub\r\n"
      "Private Sub Text10_Change()\r\n"
      "End Sub\r\n"
      "Private Sub Command1_MouseMove(Button As Integer, Shift As Integer, X As Single, Y As Single)";
  struct Row {
    bool auto_rename;
    const char* class_name;  // placed as Command1 or Text1
    const char* new_name;
    std::vector<std::pair<std::string, std::string>> changes;
  };
  const Row rows[] = {
      // Found without regard to case, replaced with it: command1_GotFocus stays.
      {true, "CommandButton", "cmdGo",
       {{"Command1_Click() ' Command1 and Command1", "cmdGo_Click() ' cmdGo and cmdGo"}, {"Command1_MouseMove", "cmdGo_MouseMove"}}},
      // Not whole words: a found line's Text10 changes too. The search itself, "Sub Text1_",
      // cannot find the line declaring Text10_Change.
      {true, "TextBox", "txtName", {{"Text1_Change() ' like Text10", "txtName_Change() ' like txtName0"}}},
      {false, "CommandButton", "cmdGo", {}},
  };
  for (const Row& row : rows) {
    EventsIde ide;
    host::Designer& designer = ide.OpenAbout();
    host::CodeModule& code = *ide.Component("frmAbout").Code();
    code.DeleteLines(1, code.CountOfLines());
    code.InsertLines(1, before);
    ide.Engine().AutoRename(row.auto_rename);
    designer.AddControl(row.class_name).SetName(row.new_name);
    std::string after = before;
    for (const auto& [from, to] : row.changes) after.replace(after.find(from), from.size(), to);
    EXPECT_EQ(ide.Text("frmAbout"), after) << row.new_name << " auto rename " << row.auto_rename;
  }
}

TEST(ConnectEvents, EventsFollowTheActiveProjectAndTheLastActivatedForm) {
  EventsIde ide;
  auto current = [&] { return ide.connect->CurrentComponent() ? ide.connect->CurrentComponent()->Name() : "-"; };
  auto active = [&] { return ide.connect->ActiveProject() ? ide.connect->ActiveProject()->Name() : "-"; };
  ide.Engine().Prefixes({{"CommandButton", "cmd"}});
  ide.Engine().AutoPrefix(true);
  auto prefixed = [&](const std::string& form) {  // the control goes again, so that its name is free next time
    host::Designer& designer = *ide.Component(form).GetDesigner();
    host::VBControl& control = designer.AddControl("CommandButton");
    const bool done = control.Name().starts_with("cmd");
    designer.RemoveControl(control);
    return done;
  };
  EXPECT_EQ(active(), "Orders");
  ide.vbe.SelectComponent(ide.Component("modGlobals"));
  EXPECT_EQ(current(), "modGlobals");
  ide.OpenAbout();
  EXPECT_EQ(current(), "frmAbout");
  EXPECT_TRUE(prefixed("frmAbout"));
  // Another form's designer takes the control events over.
  ide.vbe.ShowDesigner(ide.Component("frmCustomer"));
  EXPECT_FALSE(prefixed("frmAbout"));
  EXPECT_TRUE(prefixed("frmCustomer"));
  // A code window opens no designer: the control events stay where they were.
  ide.vbe.ShowCode(ide.Component("frmMain"));
  EXPECT_EQ(current(), "frmMain");
  EXPECT_TRUE(prefixed("frmCustomer"));
  // A reload rebuilds the designer the events came from and closes its window.
  ide.Component("frmCustomer").Reload();
  EXPECT_EQ(current(), "frmCustomer");
  EXPECT_FALSE(prefixed("frmCustomer"));
  ide.Component("clsAddress").SetName("clsPostal");
  EXPECT_EQ(current(), "clsPostal");
  ide.vbe.Project(1).Remove(ide.Component("clsPostal"));
  EXPECT_EQ(current(), "-");

  // A second project opened becomes the one followed; closing it goes back to the host's.
  fs::copy(ide.folder, ide.rig.dir / "Second", fs::copy_options::recursive);
  std::string vbp = ReadBytes(ide.rig.dir / "Second" / "Orders.vbp");
  vbp.replace(vbp.find("Name=\"Orders\""), 13, "Name=\"Second\"");
  WriteBytes(ide.rig.dir / "Second" / "Orders.vbp", vbp);
  ASSERT_FALSE(host::Load(ide.vbe, ide.rig.dir / "Second" / "Orders.vbp").HasFatal());
  EXPECT_EQ(active(), "Second");
  ide.vbe.SelectComponent(ide.Component("frmMain", 2));
  ide.vbe.ProjectRenamed.Raise(ide.vbe.Project(1), "Old");
  EXPECT_EQ(active(), "Orders");
  ide.vbe.ProjectActivated.Raise(ide.vbe.Project(2));
  ide.vbe.RemoveProject(static_cast<host::MemoryProject&>(ide.vbe.Project(2)));
  EXPECT_EQ(active(), "Orders");
  EXPECT_EQ(current(), "-");
  ide.vbe.RemoveProject(static_cast<host::MemoryProject&>(ide.vbe.Project(1)));
  EXPECT_EQ(active(), "-");

  // After disconnection nothing is followed.
  EventsIde other;
  other.connect->OnDisconnection(0);
  other.vbe.SelectComponent(other.Component("modGlobals"));
  EXPECT_EQ(other.connect->CurrentComponent()->Name(), "frmMain");  // the first form at connection
  EXPECT_TRUE(ide.Boxes().empty());
}

// A write request backs the file up and never stops the write; the compiled file's offers the
// separate build tool instead, which starts in the project's folder.
TEST(ConnectEvents, WriteRequestBacksTheFileUpOrOffersTheBuildTool) {
  struct Row {
    bool compiled, backup_files, blocked;  // a file where the backup folder should be
    bool builder_dialog;
    platform::MsgBoxResult answer;
    const char* tool;  // GILDEX_BUILDER_COMMAND; nullptr: none configured
    Strings seen;      // what was written or backed up, then the boxes up to their colons
  };
  const Row rows[] = {
      // A source file is never the compiled one.
      {false, true, false, true, platform::vbYes, nullptr, {"backup", "written"}},
      {false, true, true, true, platform::vbYes, nullptr, {"written"}},
      {false, false, false, true, platform::vbYes, nullptr, {"written"}},
      {true, false, false, true, platform::vbYes, ": > tool-started", {"tool started", kLaunchBuilder}},
      {true, false, false, true, platform::vbYes, nullptr, {kLaunchBuilder, "No build tool is configured"}},
      {true, false, false, true, platform::vbNo, nullptr, {"written", kLaunchBuilder}},
      {true, false, false, false, platform::vbYes, nullptr, {"written"}},
  };
  for (const Row& row : rows) {
    EventsIde ide;
    const fs::path file = ide.folder / "frmAbout.frm", backups = ide.rig.dir / "backups";
    const std::string old_bytes = ReadBytes(file);
    CGildex& engine = ide.Engine();
    engine.BackupFiles(row.backup_files), engine.BackupExt("old"), engine.BackupDirectory(backups.string());
    engine.ShowBuilderDialog(row.builder_dialog);
    if (row.blocked) fs::remove_all(backups), WriteBytes(backups, "");
    if (row.tool != nullptr) ide.rig.env.Set(platform::kBuilderCommandVariable, row.tool);
    ide.rig.dialogs.Answer(row.answer);
    Strings seen;
    if (row.compiled) {
      // With no build command the host checks the structure instead, and says nothing was built.
      try {
        ide.vbe.Project(1).MakeCompiledFile();
      } catch (const host::HostError&) {
        seen.push_back("written");
      }
    } else {
      ide.Component("frmAbout").Code()->InsertLines(1, "' changed");
      const host::SaveResult saved = host::SaveChanged(ide.vbe);
      if (fs::is_directory(backups) && !fs::is_empty(backups))
        seen.push_back(ReadBytes(backups / "frmAbout.frm.old") == old_bytes ? "backup" : "another backup");
      if (saved.written.size() == 1 && ReadBytes(file).find("' changed") == old_bytes.find("Option Explicit"))
        seen.push_back("written");
    }
    // Started in the project's folder, and left to run: waited for here only so that the
    // folder outlives it.
    for (int i = 0; row.tool != nullptr && i < 500 && !fs::exists(ide.folder / "tool-started"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (fs::exists(ide.folder / "tool-started")) seen.push_back("tool started");
    for (const std::string& box : ide.Boxes()) seen.push_back(box.substr(0, box.find(':')));
    EXPECT_EQ(seen, row.seen) << row.compiled << row.backup_files << row.blocked << row.builder_dialog;
  }
}

}  // namespace
}  // namespace gildex
