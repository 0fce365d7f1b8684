// What the scope commands decide: which operation runs where, what the progress window says and
// what they refuse. What the operations do to the text is the engine's; here only its shape.
#include "ide/connect.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using testing::FakeInsertMode;
using Strings = std::vector<std::string>;
using Handler = void (ScopeCommands::*)();

constexpr const char* kCancelled = "Operation was cancelled by user.";
// Lines 3-6 LoadOrders, 8-11 CountOrders.
constexpr const char* kOrders =
    "Option Explicit\r\n\r\nPublic Sub LoadOrders()\r\n    Set mOrders = New Collection\r\n    Refresh\r\nEnd Sub\r\n"
    "\r\nPublic Function CountOrders() As Long\r\n    CountOrders = mOrders.Count\r\n    Beep\r\nEnd Function";

// The procedures of a module that have a handler, and how many lines are numbered: enough to
// tell which operation ran where.
std::string Shape(const std::string& text) {
  std::string handlers;
  int numbered = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.ends_with("_Err:")) handlers += line.substr(0, line.size() - 5) + " ";
    numbered += !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]));
  }
  return handlers + "n" + std::to_string(numbered);
}

// The Orders sample in a folder of its own with modOrders as its first component, the
// "Standard" template chosen, line numbering off and the build step on, connected to the IDE.
struct Ide : testing::SampleHost {
  explicit Ide(const std::string& open = "Orders.vbp") {
    std::string vbp = ReadBytes(folder / "Orders.vbp");
    vbp.insert(vbp.find("Module="), "Module=modOrders; modOrders.bas\r\n");
    WriteBytes(folder / "Orders.vbp", vbp);
    WriteBytes(folder / "modOrders.bas", "Attribute VB_Name = \"modOrders\"\r\n" + std::string(kOrders) + "\r\n");
    rig.Option("Numbering", "True");  // stored inverted: True means no line numbers
    rig.Option("BodyCode", "True");   // marker lines, by which removal finds the blocks again
    rig.Option("Build Project", "True");  // inserting commands end with the build's one status line
    Start(open, ConnectViews{.insert_options = &insert_mode, .options_dialog = &options});
  }
  CGildex& Engine() { return rig.add_in.Engine(); }
  clsMessages& Window() { return rig.add_in.Messages(); }
  // As the user does before a command: a click on the component, its code window opened, the
  // cursor on `line` (none placed with 0).
  host::CodeModule& Open(const std::string& name, long line = 0) {
    vbe.SelectComponent(Component(name));
    vbe.ShowCode(Component(name));
    if (line > 0) Component(name).Code()->Pane().SetSelection({line, 5, line, 5});
    return *Component(name).Code();
  }
  void HandleAndNumber(const std::string& name) {
    host::CodeModule& code = *Component(name).Code();
    Engine().InsertModule(code, name, vbe.ActiveVBProject(), false);
    Engine().NumberModule(code, false);
  }
  void Run(Handler handler) {
    rig.window_log.clear();
    (connect->Scope().*handler)();
  }
  // What the command said in the progress window, without the engine's per-procedure lines.
  Strings Said() const {
    Strings said;
    std::string last;
    for (const std::string& call : rig.window_log) {
      if (!call.starts_with("SetMessage ") || call == "SetMessage " + last) continue;
      last = call.substr(std::string_view("SetMessage ").size());
      if (!last.empty() && !last.starts_with("Processing ")) said.push_back(last);
    }
    return said;
  }
  bool Idle() {
    const host::CommandBar* bar = vbe.Bars().Find(kToolbarName);
    return !Window().Busy() && bar != nullptr && bar->controls[0]->enabled;
  }
};

// Without a template only the inserting commands ask for one, and then change nothing.
void ExpectTemplateCheck(Handler handler, bool asks) {
  Ide ide;
  ide.HandleAndNumber("frmAbout");
  const auto before = ide.Texts();
  ide.Open("frmAbout", 5);
  ide.Engine().DefaultTemplate("");
  ide.Run(handler);
  const MessageWindowState* window = ide.Window().Window();
  EXPECT_EQ(window != nullptr && window->visible, !asks);
  EXPECT_TRUE(ide.Idle());
  EXPECT_EQ(ide.Boxes(0, true), asks ? Strings{"Gildex: Please select a template to use before continuing"} : Strings{});
  EXPECT_TRUE(!asks || (ide.rig.dialogs.Asked().size() == 1 && ide.rig.dialogs.Asked()[0].style == platform::vbOKOnly &&
                        ide.Texts() == before));
}

// Commands of one operation share their path and differ only in their texts, so one or two of
// each, on the component under a bare cursor or the procedure at the cursor: what ran where,
// what the window said, the build's status line after a component's insertion, whether it asks
// for a template. A component that stays read-only is refused and left as it was; a procedure
// command works on a read-only file all the same, without asking.
TEST(ScopeCommands, EachRunsItsOperationWhereTheCursorIsOrRefuses) {
  enum Start { Plain, Numbered, HandledNumbered };
  struct Case {
    Handler handler;
    bool numbering_option;
    Start start;
    long line;  // the cursor's in a procedure command; 0 in a component's
    Strings said;
    const char* shape;
    const char* refusal = nullptr;  // a component command's
  };
  const std::string adding = "Adding line-numbers, please wait...", unnumbering = "Removing line-numbers, please wait...";
  const std::string fn_inserted = "Gildex Error trapping added to Proc/FN", fn_done = "Gildex Error trapping added succesfully";
  const std::vector<Case> cases = {
      {&ScopeCommands::hWndCodeInsert_Click, false, Plain, 0, {"Adding Error Handler, please wait...",
       "Gildex Error trapping added to component."}, "LoadOrders CountOrders n0", "Cannot add error-trapping to read-only components."},
      {&ScopeCommands::hWndModuleInsert_Click, true, Plain, 0, {"Adding Error Code, please wait...", adding,
       "Gildex Error trapping added to module."}, "LoadOrders CountOrders n8", "Cannot insert error handling into read-only modules."},
      {&ScopeCommands::hWndFormDelete_Click, false, HandledNumbered, 0, {unnumbering, "Removing Error Code, please wait...",
       "Removed error trapping code from form."}, "n0", "Cannot remove handling from read-only forms."},
      // The explicit number commands number whatever the option says.
      {&ScopeCommands::hWndCodeNumber_Click, false, Plain, 0, {"Adding Line Numbers, please wait...",
       "Line Numbers added to component."}, "n4", "Cannot add line-numbers to read-only components."},
      {&ScopeCommands::hWndFormNumber_Click, false, HandledNumbered, 0, {"Adding Line Numbers, please wait...",
       "Line numbers added to form."}, "Form_Load cmdOK_Click n7", "Cannot add line-numbers to read-only forms."},
      {&ScopeCommands::hWndCodeUnNumber_Click, true, Numbered, 0, {unnumbering, "Line Numbers removed from component."},
       "n0", "Cannot remove line-numbers from read-only components."},
      {&ScopeCommands::hWndModuleFNInsert_Click, false, Plain, 4, {fn_inserted, fn_done}, "LoadOrders n0"},
      // The whole procedure as it is after the insertion is numbered, not just its old lines.
      {&ScopeCommands::hWndModuleFNInsert_Click, true, Plain, 10, {fn_inserted, adding, fn_done}, "CountOrders n4"},
      {&ScopeCommands::hWndModuleFNDelete_Click, true, HandledNumbered, 16, {"Gildex Error trapping removed from Proc/FN",
       "Remove line-numbers, please wait...", "Gildex Error trapping removed succesfully"}, "LoadOrders n4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said.back());
    const std::string component = c.said.back().ends_with("form.") ? "frmAbout" : "modOrders";
    const bool inserts = c.said.back().starts_with("Gildex");
    Ide ide;
    if (c.refusal == nullptr) ::chmod((ide.folder / "modOrders.bas").c_str(), 0444);
    host::CodeModule& code = ide.Open(component);
    if (c.start == HandledNumbered) ide.HandleAndNumber(component);
    if (c.start == Numbered) ide.Engine().NumberModule(code, false);
    ide.Engine().Numbering(!c.numbering_option);
    if (c.line > 0) code.Pane().SetSelection(host::Selection{c.line, 5, c.line, 5});
    ide.Run(c.handler);
    EXPECT_EQ(Shape(ide.Text(component)), c.shape);
    EXPECT_EQ(ide.Said(), c.said);
    const Strings status = ide.Window().StatusLines();
    EXPECT_EQ(status.size(), inserts && c.refusal != nullptr ? 1u : 0u);
    EXPECT_TRUE(status.empty() || status[0].starts_with("Could not create compiled file! (")) << status[0];
    EXPECT_TRUE(ide.Idle());
    EXPECT_EQ(ide.insert_mode.shown, 0) << "a bare cursor asks for no insert mode";
    EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
    if (c.start != Numbered) ExpectTemplateCheck(c.handler, inserts);
    if (c.refusal == nullptr) continue;

    Ide read_only;
    read_only.HandleAndNumber(component);  // so that every command would change something
    const std::string before = read_only.Text(component);
    ::chmod(read_only.Component(component).File().c_str(), 0444);
    read_only.Open(component).Pane().SetSelection(host::Selection{3, 1, 9, 1});
    read_only.Run(c.handler);
    EXPECT_EQ(read_only.Text(component), before);
    EXPECT_EQ(read_only.Said(), Strings{c.refusal});
    EXPECT_TRUE(read_only.Window().StatusLines().empty());
    EXPECT_EQ(read_only.insert_mode.shown, 0);
    EXPECT_TRUE(read_only.Idle());
  }
  Ide lone("modOrders.bas");  // no project file, so no build file and no build
  lone.Open("modOrders");
  lone.Run(&ScopeCommands::hWndModuleInsert_Click);
  EXPECT_EQ(Shape(lone.Text("modOrders")), "LoadOrders CountOrders n0");
  EXPECT_TRUE(lone.Window().StatusLines().empty());
  Ide none_selected;
  const auto before = none_selected.Texts();
  none_selected.Run(&ScopeCommands::hWndModuleFNInsert_Click);
  EXPECT_EQ(testing::ReportedNames(none_selected.rig.dialogs), Strings{"Connect.hWndModuleFNInsert_Click"});
  EXPECT_EQ(none_selected.Texts(), before);
}

TEST(InsertMode, ACodeWindowSelectionAsksWhereToWork) {
  struct Case {
    Handler handler;
    FakeInsertMode::Answer answer;
    bool prepared;  // handlers and numbers already in, CountOrders selected
    const char* shape;
    std::string result;
    int asked = 1;
  };
  const std::string added = "Gildex Error trapping added to component.";
  const std::vector<Case> cases = {
      {&ScopeCommands::hWndCodeInsert_Click, FakeInsertMode::SelectedText, false, "CountOrders n0", added},
      {&ScopeCommands::hWndCodeInsert_Click, FakeInsertMode::EntireModule, false, "LoadOrders CountOrders n0", added},
      {&ScopeCommands::hWndCodeInsert_Click, FakeInsertMode::Close, false, "n0", kCancelled},
      {&ScopeCommands::hWndModuleInsert_Click, FakeInsertMode::Close, false, "LoadOrders CountOrders n0", "Gildex Error trapping added to module.", 0},
      {&ScopeCommands::hWndCodeNumber_Click, FakeInsertMode::SelectedText, false, "n2", "Line Numbers added to component."},
      {&ScopeCommands::hWndCodeUnNumber_Click, FakeInsertMode::SelectedText, true, "LoadOrders CountOrders n4", "Line Numbers removed from component."},
      // Removing takes handlers from the selection only, but line numbers from the whole module.
      {&ScopeCommands::hWndModuleDelete_Click, FakeInsertMode::SelectedText, true, "LoadOrders n0", "Removed error trapping code from module."},
      {&ScopeCommands::hWndModuleDelete_Click, FakeInsertMode::Close, true, "LoadOrders CountOrders n8", kCancelled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    Ide ide;
    host::CodeModule& code = ide.Open("modOrders");
    if (c.prepared) ide.HandleAndNumber("modOrders");
    // From the declaration of CountOrders to the end of its End line.
    code.Pane().SetSelection(c.prepared ? host::Selection{13, 1, 21, 13} : host::Selection{8, 1, 11, 13});
    ide.insert_mode.answer = c.answer;
    ide.Run(c.handler);
    EXPECT_EQ(ide.insert_mode.shown, c.asked);
    EXPECT_EQ(ide.insert_mode.offered_selected_text, c.asked == 1);
    EXPECT_EQ(Shape(ide.Text("modOrders")), c.shape);
    EXPECT_EQ(ide.Window().MessageText(), c.result);
    EXPECT_TRUE(ide.Idle());
  }
}

// A module the insertion left as it was (its lines would break VB6's limits) is not numbered
// either, or the message would not say what happened.
TEST(ComponentCommands, AModuleTheInsertionRefusedIsNotNumberedEither) {
  for (Handler handler : {&ScopeCommands::hWndModuleInsert_Click, &ScopeCommands::hWndProjectInsert_Click}) {
    Ide ide;
    ide.Open("modOrders");
    ide.Engine().Numbering(false);
    ide.Engine().HeaderCode("On Error GoTo %ProcName%_Err ' " + std::string(1000, '-'));
    ide.Run(handler);
    EXPECT_EQ(ide.Text("modOrders"), kOrders);
    for (const std::string& said : ide.Said()) EXPECT_NE(said, "Adding line-numbers to modOrders, please wait...");
    EXPECT_NE(ide.Said().at(1), "Adding line-numbers, please wait...");
  }
}

TEST(ProjectCommands, InsertChangesEveryComponentListsTheReadOnlyOnesAndRemoveUndoesIt) {
  Ide ide;
  const auto before = ide.Texts();
  ::chmod((ide.folder / "frmAbout.frm").c_str(), 0444);
  ide.Run(&ScopeCommands::hWndProjectInsert_Click);
  for (const auto& [name, text] : before) EXPECT_EQ(ide.Text(name) == text, name == "frmAbout") << name;
  const Strings status = ide.Window().StatusLines();
  EXPECT_EQ(std::count(status.begin(), status.end(), "Skipping component frmAbout"), 1);
  EXPECT_TRUE(status.back().starts_with("Could not create compiled file! (")) << "the build comes last";
  Strings expected = {"Adding Error Code, please wait..."};
  for (const char* name : {"modOrders", "modGlobals", "modErrors", "frmMDI", "frmMain", "frmCustomer", "clsCustomer",
                           "clsAddress", "clsCustomers", "ctlStatusBar"})
    expected.push_back("Adding to " + std::string(name) + ".");
  expected.push_back("Gildex Error trapping added to project.");
  EXPECT_EQ(ide.Said(), expected);
  EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
  EXPECT_TRUE(ide.Idle());

  // Removal takes handlers first, then numbers; modErrors came with line numbers of its own,
  // and those go as well.
  ide.Run(&ScopeCommands::hWndProjectDelete_Click);
  for (const auto& [name, text] : before) EXPECT_EQ(ide.Text(name) == text, name != "modErrors") << name;
  const Strings said = ide.Said();
  ASSERT_GE(said.size(), 4u);
  EXPECT_EQ(Strings(said.begin(), said.begin() + 4),
            (Strings{"Removing Error Code, please wait...", "Removing from modOrders.",
                     "Removing line-numbers, please wait...", "Removing from modGlobals."}));
  EXPECT_EQ(said.back(), "Removed error trapping code from project.");
  EXPECT_TRUE(ide.Idle());

  ExpectTemplateCheck(&ScopeCommands::hWndProjectDelete_Click, false);
  Ide no_template;
  no_template.Engine().DefaultTemplate("");
  no_template.Run(&ScopeCommands::hWndProjectInsert_Click);
  EXPECT_EQ(no_template.options.opened, 1) << "the project command opens the options to choose one";
  EXPECT_EQ(no_template.rig.dialogs.Asked().size(), 1u);
}

}  // namespace
}  // namespace gildex
