#include "session/prefix_controls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "session/sample_project_test.h"
#include "tools/recording_view_test.h"

namespace gildex::session {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnv;
using platform::testing::WriteBytes;

host::MemoryComponent& Component(Session& s, const std::string& name) {
  return *static_cast<host::MemoryComponent*>(s.Loaded().projects.front()->FindComponent(name));
}

// Buttons placed on frmAbout as a user places them, with procedures: a label already holds
// the name the second would get, the third's name is part of a parameter's, and the fourth's
// procedures could not be told from a label's.
void PlaceButtons(Session& s) {
  host::MemoryComponent& about = Component(s, "frmAbout");
  host::Designer& designer = *about.GetDesigner();
  EXPECT_EQ(designer.AddControl("CommandButton").Name(), "Command1");
  EXPECT_EQ(designer.AddControl("VB.CommandButton").Name(), "Command2");
  designer.AddControl("CommandButton").SetName("Ind");
  designer.AddControl("CommandButton").SetName("Command9");
  designer.AddControl("Label").SetName("Command9_Extra");
  for (host::VBControl* control : designer.Controls())
    if (control->Name() == "lblTitle") control->SetName("cmdCommand2");
  host::CodeModule& code = *about.Code();
  code.InsertLines(code.CountOfLines() + 1,
                   "\r\nPrivate Sub Command1_Click()\r\n    Command1.Caption = \"Command1\" ' Command1\r\nEnd Sub\r\n"
                   "Private Sub command1_GotFocus()\r\nEnd Sub\r\nPrivate Sub Ind_Click(Index As Integer)\r\nEnd Sub");
}

struct Workspace : testing::SampleProject {
  Workspace() { fs::create_directories(dir / "home"); }
  // One run as a host runs it: open, connect, prefix, save.
  std::string Prefix(const std::string& table, const PrefixOptions& options,
                     const std::function<void(Session&)>& prepare = nullptr) {
    WriteBytes(dir / "home" / "pfx.dat", table);
    outcome = {};
    std::ostringstream said;
    platform::UnattendedDialogs dialogs(said, platform::vbYes);
    PlatformContext context(dialogs);
    std::vector<std::string> window;
    std::string fail_in;
    Session session(context);
    Problem problem = session.Open(Project(), true);
    if (problem.empty())
      problem = session.ConnectAddIn(ext_cm_CommandLine, true, [&](clsMessages&) -> std::unique_ptr<MessageView> {
        return std::make_unique<testing::RecordingView>(window, fail_in);
      });
    if (!problem.empty()) return problem.what;
    if (prepare) prepare(session);
    if (problem = PrefixControls(session, options, outcome); !problem.empty()) return problem.what;
    EXPECT_FALSE(session.Engine().AutoRename()) << "the stored setting is back";
    const host::SaveResult saved = session.Save();
    session.Disconnect();
    return saved.error;
  }

  ScopedEnv home{"GILDEX_HOME", (dir / "home").string()};
  PrefixOutcome outcome;
};

TEST(PrefixControls, RenamesControlsWithTheirProceduresAndFindsTheOtherUses) {
  const std::string about = "frmAbout.frm", mdi = "frmMDI.frm", main = "frmMain.frm", bar = "ctlStatusBar.ctl";
  const struct {
    std::string name;
    std::string table;
    PrefixOptions options;
    std::function<void(Session&)> prepare;
    std::vector<std::string> prefixed;    // "OLD>NEW" or "OLD>NEW*N" for an array
    std::vector<std::string> references;  // "FILE:LINE: text" tails
    std::vector<std::string> problems;    // found in the problems, in order
    std::vector<std::string> changed;
    std::vector<std::pair<std::string, std::string>> holds;  // file, text it holds afterwards
  } cases[] = {
      // The classes any case, the prefix in lower case; names that start with it stay.
      {"every designer",
       "commandbutton=B\r\nOptionButton=opt\r\nTimer=x\r\nLabel\r\n",
       {},
       nullptr,
       {"cmdTool>bcmdTool*4", "cmdDelete>bcmdDelete", "cmdClose>bcmdClose", "cmdEdit>bcmdEdit", "cmdFind>bcmdFind",
        "cmdNew>bcmdNew", "cmdCancel>bcmdCancel", "cmdOK>bcmdOK", "tmrClock>xtmrClock", "cmdOK>bcmdOK"},
       {"frmMain.frm:430:     cmdClose.Left = picButtons.ScaleWidth - cmdClose.Width - 120",
        "frmMain.frm:449:     If KeyAscii = vbKeyReturn Then KeyAscii = 0: cmdFind_Click",
        "frmMain.frm:503:     cmdEdit_Click", "frmMain.frm:509:             cmdEdit_Click",
        "frmMain.frm:511:             cmdDelete_Click", "frmMain.frm:538:     cmdEdit_Click",
        "frmMain.frm:542:     cmdDelete_Click",
        "frmCustomer.frm:526:     cmdOK.Enabled = (Len(Trim$(txtName.Text)) > 0)",
        "frmCustomer.frm:610:     cmdOK.Enabled = (Len(txtName.Text) > 0)",
        "ctlStatusBar.ctl:80:     tmrClock.Enabled = Value And Ambient.UserMode",
        "ctlStatusBar.ctl:131:     tmrClock_Timer"},
       {},
       {"ctlStatusBar.ctl", "frmAbout.frm", "frmCustomer.frm", "frmMDI.frm", "frmMain.frm"},
       {{mdi, "      Begin VB.CommandButton bcmdTool \r\n         Caption         =   \"&Find\"\r\n"},
        {mdi, "Private Sub bcmdTool_Click(Index As Integer)"},
        {mdi, "' Indexes of the cmdTool buttons"},
        {bar, "Private Sub xtmrClock_Timer()"},
        {main, "Private Sub optFilter_Click(Index As Integer)"}}},
      // Strings, comments and other words keep the old name; the moved procedure's calls follow.
      {"references rewritten",
       "CommandButton=b\r\n",
       {"FRMABOUT", true},
       [](Session& s) {
         host::CodeModule& code = *Component(s, "frmAbout").Code();
         code.InsertLines(code.CountOfLines() + 1,
                          "Sub Again()\r\n    Me.cmdOK.Tag = \"cmdOK\"\"\" & cmdOKx: cmdok_Click ' cmdOK\r\n"
                          "10  Rem cmdOK _\r\n  cmdOK\r\n    cmdOK.Visible = True: Rem cmdOK\r\nEnd Sub");
       },
       {"cmdOK>bcmdOK"},
       {":91:     Me.bcmdOK.Tag = \"cmdOK\"\"\" & cmdOKx: bcmdOK_Click ' cmdOK", ":94:     bcmdOK.Visible = True: Rem cmdOK"},
       {},
       {about},
       {{about, "Private Sub bcmdOK_Click()"}, {about, "10  Rem cmdOK _\r\n  cmdOK\r\n"}}},
      {"collision, and a procedure in another case",
       "CommandButton=cmd\r\n",
       {"frmAbout", false},
       PlaceButtons,
       {"Command1>cmdCommand1"},
       {":     Command1.Caption = \"Command1\" ' Command1"},
       {"frmAbout.frm: Command2 was not prefixed: cmdCommand2 is already the name of another control",
        "Command9 was not prefixed: moving its event procedures would rename those of Command9_Extra too",
        "Ind was not prefixed: moving its event procedures would change the other \"Ind\" in: Private Sub "
        "Ind_Click(Index As Integer)"},
       {about},
       {{about, "Begin VB.CommandButton Command2 "}, {about, "Begin VB.CommandButton cmdCommand1 "},
        {about, "Private Sub cmdCommand1_Click()\r\n    Command1.Caption"},
        {about, "Private Sub cmdCommand1_GotFocus()"}}},
      {"nothing to prefix", "CommandButton=cmd\r\nForm=x\r\n", {}, nullptr, {}, {}, {}, {}, {}},
  };
  for (const auto& c : cases) {
    Workspace w;
    ASSERT_EQ(w.Prefix(c.table, c.options, c.prepare), "") << c.name;
    std::vector<std::string> prefixed;
    for (const PrefixedControl& p : w.outcome.prefixed)
      prefixed.push_back(p.old_name + ">" + p.new_name + (p.elements > 1 ? "*" + std::to_string(p.elements) : ""));
    EXPECT_EQ(prefixed, c.prefixed) << c.name;
    EXPECT_EQ(w.outcome.references.size(), c.references.size()) << c.name;
    for (std::size_t i = 0; i < std::min(c.references.size(), w.outcome.references.size()); ++i) {
      const NameReference& r = w.outcome.references[i];
      const std::string listed = r.file + ":" + std::to_string(r.line) + ": " + r.text;
      EXPECT_TRUE(listed.ends_with(c.references[i])) << c.name << "\n" << listed;
      // The line number is the file's own.
      std::istringstream lines(ReadBytes(r.file));
      std::string line;
      for (long n = 0; n < r.line; ++n) std::getline(lines, line);
      EXPECT_EQ(line, r.text + "\r") << c.name;
    }
    EXPECT_EQ(w.outcome.problems.size(), c.problems.size()) << c.name;
    for (std::size_t i = 0; i < std::min(c.problems.size(), w.outcome.problems.size()); ++i)
      EXPECT_NE(w.outcome.problems[i].find(c.problems[i]), std::string::npos) << c.name << "\n" << w.outcome.problems[i];
    EXPECT_EQ(w.Changed(), c.changed) << c.name;
    for (const auto& [file, text] : c.holds) EXPECT_NE(w.Files().at(file).find(text), std::string::npos) << c.name << ": " << text;
    EXPECT_EQ(w.outcome.errors_reported, 0) << c.name;
  }
}

TEST(PrefixControls, RefusesWhatItCannotDoAndChangesNothing) {
  Workspace w;
  fs::permissions(w.dir / "Sample" / "frmAbout.frm", fs::perms::owner_write, fs::perm_options::remove);
  const struct {
    std::string table;
    std::string component;
    std::string problem;   // what stopped the run
    std::string reported;  // or a problem of the outcome
    std::size_t prefixed;
  } cases[] = {
      {"", "", "the prefix table (pfx.dat) is empty", "", 0},
      {"CommandButton=b\r\n", "clsAddress", "clsAddress is a Class: only forms, MDI forms", "", 0},
      {"CommandButton=b\r\n", "frmNowhere", "no component named \"frmNowhere\"", "", 0},
      {"CommandButton=b\r\n", "frmAbout", "", "frmAbout.frm: not processed: the file is read-only", 0},
      // A name too long for VB; the other button goes on.
      {"CommandButton=b\r\n", "frmCustomer", "", "was not prefixed: Invalid property value: \"b" + std::string(40, 'x'), 1},
  };
  for (const auto& c : cases) {
    const std::string problem = w.Prefix(c.table, {c.component, true}, [&](Session& s) {
      if (c.component != "frmCustomer") return;
      for (host::VBControl* control : Component(s, "frmCustomer").GetDesigner()->Controls())
        if (control->Name() == "cmdOK") control->SetName(std::string(40, 'x'));
    });
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.component << ": " << problem;
    EXPECT_EQ(problem.empty(), c.problem.empty()) << c.component;
    if (!c.reported.empty()) {
      ASSERT_EQ(w.outcome.problems.size(), 1u) << c.component;
      EXPECT_NE(w.outcome.problems[0].find(c.reported), std::string::npos) << w.outcome.problems[0];
    }
    EXPECT_EQ(w.outcome.prefixed.size(), c.prefixed) << c.component;
  }
}

}  // namespace
}  // namespace gildex::session
