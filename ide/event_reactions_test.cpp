// Connect's reactions to the host's events, on the Orders sample loaded into the in-memory
// IDE. Controls come from a small stand-in until the host edits designers itself; they are
// announced through the real designer's event source, so the wiring is the real one.
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

// A control the user placed or renamed on the form designer.
struct FakeControl : host::VBControl {
  FakeControl(std::string class_name, std::string name) : class_name(std::move(class_name)), name(std::move(name)) {}
  std::string ClassName() const override { return class_name; }
  std::string ProgId() const override { return "VB." + class_name; }
  std::string Name() const override { return name; }
  void SetName(std::string_view value) override { name = value, ++renamed; }
  int Index() const override { return -1; }
  int PropertyCount() const override { return 0; }
  host::Property& PropertyAt(int) override { throw host::HostError(9, "Subscript out of range"); }
  host::Property* FindProperty(std::string_view) override { return nullptr; }
  void SetPropertyValue(std::string_view, std::string_view) override {}
  host::VBControl* Container() override { return nullptr; }
  void ZOrder(int) override { throw host::HostError(5, "Invalid procedure call or argument"); }
  void SetContainer(host::VBControl&) override { throw host::HostError(5, "Invalid procedure call or argument"); }
  std::string class_name, name;
  int renamed = 0;
};

struct EventsIde : testing::SampleHost {
  EventsIde() { Start("Orders.vbp", Views()); }
  CGildex& Engine() { return rig.add_in.Engine(); }
  // frmAbout's designer open, so that its controls' events reach Connect.
  host::Designer& OpenAbout() {
    vbe.ShowDesigner(Component("frmAbout"));
    return *Component("frmAbout").GetDesigner();
  }
  void SetCode(const std::string& component, const std::string& text) {
    host::CodeModule& code = *Component(component).Code();
    code.DeleteLines(1, code.CountOfLines());
    code.InsertLines(1, text);
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
      {{{"CommandButton", "cmd"}}, true, "CommandButton", "cmdOK", "cmdOK"},
      // The prefix is used in lower case, the name compared exactly.
      {{{"CommandButton", "CMD"}}, true, "CommandButton", "Command1", "cmdCommand1"},
      {{{"CommandButton", "cmd"}}, true, "CommandButton", "CMDOK", "cmdCMDOK"},
      {{{"commandbutton", "cmd"}}, true, "CommandButton", "Command1", "cmdCommand1"},
      {{{"TextBox", "txt"}}, true, "CommandButton", "Command1", "Command1"},
      {{{"CommandButton", "cmd"}}, false, "CommandButton", "Command1", "Command1"},
      // The first row of a type counts; a row without a prefix prefixes nothing.
      {{{"Label", "lbl"}, {"Label", "x"}}, true, "Label", "Label1", "lblLabel1"},
      {{{"Label", ""}}, true, "Label", "Label1", "Label1"},
  };
  EventsIde ide;
  host::Designer& designer = ide.OpenAbout();
  for (const Row& row : rows) {
    ide.Engine().Prefixes(row.table);
    ide.Engine().AutoPrefix(row.auto_prefix);
    FakeControl control(row.class_name, row.name);
    designer.ControlAdded.Raise(control);
    EXPECT_EQ(control.name, row.expected) << row.table.front().control_type << " " << row.name;
  }
  // A removed control asks the question while DeleteEvents is on; its code stays.
  const std::string code = ide.Text("frmAbout");
  for (bool delete_events : {true, false}) {
    ide.Engine().DeleteEvents(delete_events);
    FakeControl control("CommandButton", "cmdOK");
    designer.ControlRemoved.Raise(control);
  }
  EXPECT_EQ(ide.Boxes(), Strings{kRemoveCode});
  EXPECT_EQ(ide.Text("frmAbout"), code);
  // A control placed on the real designer: the form file gets the prefixed name.
  ide.Engine().Prefixes({{"CommandButton", "cmd"}});
  EXPECT_EQ(designer.AddControl("CommandButton").Name(), "cmdCommand1");
  EXPECT_NE(ide.Component("frmAbout").Serialize().find("Begin VB.CommandButton cmdCommand1"), std::string::npos);
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
    const char* old_name;
    const char* new_name;
    std::string after;
  };
  auto with = [&](std::vector<std::pair<std::string, std::string>> changes) {
    std::string text = before;
    for (const auto& [from, to] : changes) text.replace(text.find(from), from.size(), to);
    return text;
  };
  const Row rows[] = {
      // Found without regard to case, replaced with it: command1_GotFocus stays.
      {true, "Command1", "cmdOK",
       with({{"Command1_Click() ' Command1 and Command1", "cmdOK_Click() ' cmdOK and cmdOK"},
             {"Command1_MouseMove", "cmdOK_MouseMove"}})},
      // Not whole words: a found line's Text10 changes too. The search itself, "Sub Text1_",
      // cannot find the line declaring Text10_Change.
      {true, "Text1", "txtName", with({{"Text1_Change() ' like Text10", "txtName_Change() ' like txtName0"}})},
      {false, "Command1", "cmdOK", before},
  };
  for (const Row& row : rows) {
    EventsIde ide;
    host::Designer& designer = ide.OpenAbout();
    ide.SetCode("frmAbout", before);
    ide.Engine().AutoRename(row.auto_rename);
    FakeControl control("CommandButton", row.new_name);
    designer.ControlRenamed.Raise(control, row.old_name, -1);
    EXPECT_EQ(ide.Text("frmAbout"), row.after) << row.old_name << " auto rename " << row.auto_rename;
  }
}

TEST(ConnectEvents, EventsFollowTheActiveProjectAndTheLastActivatedForm) {
  EventsIde ide;
  auto current = [&] { return ide.connect->CurrentComponent() ? ide.connect->CurrentComponent()->Name() : "-"; };
  auto active = [&] { return ide.connect->ActiveProject() ? ide.connect->ActiveProject()->Name() : "-"; };
  ide.Engine().Prefixes({{"CommandButton", "cmd"}});
  ide.Engine().AutoPrefix(true);
  auto prefixed = [&](const std::string& form) {
    FakeControl control("CommandButton", "Command1");
    ide.Component(form).GetDesigner()->ControlAdded.Raise(control);
    return control.renamed == 1;
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

TEST(ConnectEvents, WriteRequestBacksTheFileUpAndNeverStopsTheWrite) {
  struct Row {
    bool backup_files;
    const char* directory;  // under the test folder; an empty setting is the engine's test
    bool remove_directory;  // gone again before the write
    const char* ext;
    const char* backup;     // where the old bytes land, under the test folder; nullptr: nowhere
  };
  const Row rows[] = {
      {true, "backups", false, "old", "backups/frmAbout.frm.old"},
      {true, "backups", true, "old", nullptr},
      {false, "backups", false, "old", nullptr},
  };
  for (const Row& row : rows) {
    EventsIde ide;
    const fs::path file = ide.folder / "frmAbout.frm";
    const std::string old_bytes = ReadBytes(file);
    CGildex& engine = ide.Engine();
    engine.BackupFiles(row.backup_files);
    engine.BackupExt(row.ext);
    engine.ShowBuilderDialog(true);  // a source file is never the compiled one
    const std::string directory = (ide.rig.dir / row.directory).string();
    engine.BackupDirectory(directory);
    if (row.remove_directory) fs::remove_all(directory);
    ide.Component("frmAbout").Code()->InsertLines(1, "' changed");
    const host::SaveResult saved = host::SaveChanged(ide.vbe);
    EXPECT_EQ(saved.written.size(), 1u) << row.directory;
    EXPECT_EQ(ReadBytes(file).find("' changed"), old_bytes.find("Option Explicit"));
    if (row.backup != nullptr) {
      EXPECT_EQ(ReadBytes(ide.rig.dir / row.backup), old_bytes) << row.backup;
    } else if (!row.remove_directory) {
      EXPECT_TRUE(fs::is_empty(directory));
    }
    EXPECT_TRUE(ide.Boxes().empty()) << ide.Boxes().front();
  }
}

TEST(ConnectEvents, CompiledFileOffersTheBuildToolInstead) {
  struct Row {
    bool show_builder_dialog;
    platform::MsgBoxResult answer;
    const char* tool;  // GILDEX_BUILDER_COMMAND; nullptr: none configured
    bool written;      // the host went on to build
    Strings boxes;
  };
  const Row rows[] = {
      {true, platform::vbYes, ": > tool-started", false, {kLaunchBuilder}},
      {true, platform::vbYes, nullptr, false, {kLaunchBuilder, "No build tool is configured"}},
      {true, platform::vbNo, nullptr, true, {kLaunchBuilder}},
      {false, platform::vbYes, nullptr, true, {}},
  };
  for (const Row& row : rows) {
    EventsIde ide;
    if (row.tool != nullptr) ide.rig.env.Set(platform::kBuilderCommandVariable, row.tool);
    ide.Engine().ShowBuilderDialog(row.show_builder_dialog);
    ide.rig.dialogs.Answer(row.answer);
    // With no build command the host checks the structure instead, and says nothing was built.
    bool built = false;
    try {
      ide.vbe.Project(1).MakeCompiledFile();
    } catch (const host::HostError&) {
      built = true;
    }
    EXPECT_EQ(built, row.written);
    if (row.tool != nullptr) {
      // Started in the project's folder, and left to run: waited for here only so that the
      // folder outlives it.
      for (int i = 0; i < 500 && !fs::exists(ide.folder / "tool-started"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      EXPECT_TRUE(fs::exists(ide.folder / "tool-started"));
    }
    Strings boxes = ide.Boxes();
    for (std::string& box : boxes) box = box.substr(0, box.find(':'));
    EXPECT_EQ(boxes, row.boxes);
  }
}

}  // namespace
}  // namespace gildex
