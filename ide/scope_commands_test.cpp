// What the scope commands decide: which operation runs on which component,
// what the progress window says, and what it refuses. What the operations do to the text is
// the engine's; here only its shape is looked at.
#include "ide/connect.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/engine_rig_test.h"
#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
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
  // As the user does before a command: a click on the component, its code window opened.
  host::CodeModule& Open(const std::string& name) {
    vbe.SelectComponent(Component(name));
    vbe.ShowCode(Component(name));
    return *Component(name).Code();
  }
  std::map<std::string, std::string> Texts() {
    std::map<std::string, std::string> texts;
    for (host::MemoryComponent* c : loaded.projects.at(0)->Components())
      if (c->Code() != nullptr) texts[c->Name()] = Text(c->Name());
    return texts;
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

// The template check, as the user meets it: only inserting commands ask for a template, and
// leave everything as it was.
void ExpectTemplateCheck(Handler handler, bool asks) {
  Ide ide;
  ide.HandleAndNumber("frmAbout");
  const auto before = ide.Texts();
  ide.Open("frmAbout").Pane().SetSelection(host::Selection{5, 5, 5, 5});
  ide.Engine().DefaultTemplate("");
  ide.Run(handler);
  const MessageWindowState* window = ide.Window().Window();
  EXPECT_EQ(window != nullptr && window->visible, !asks);
  EXPECT_TRUE(ide.Idle());
  ASSERT_EQ(ide.rig.dialogs.Asked().size(), asks ? 1u : 0u);
  if (!asks) return;
  const platform::MessageBox& box = ide.rig.dialogs.Asked()[0];
  EXPECT_EQ(std::make_tuple(box.prompt, box.style, box.title),
            std::make_tuple(std::string("Please select a template to use before continuing"), platform::vbOKOnly,
                            std::string("Gildex")));
  EXPECT_EQ(ide.Texts(), before);
}

// Commands of one operation share their path and differ only in their texts, so one or two of
// each: the run on a component under a bare cursor, the refusal of a component that stays
// read-only, and whether it asks for a template.
TEST(ComponentCommands, EachRunsItsOperationOnTheSelectedComponentOrRefuses) {
  enum Start { Plain, Numbered, HandledNumbered };
  struct Case {
    Handler handler;
    bool numbering_option;
    Start start;
    Strings said;
    const char* shape;
    const char* refusal;
  };
  const std::string adding = "Adding line-numbers, please wait...", unnumbering = "Removing line-numbers, please wait...";
  const std::string add_code = "Adding Error Code, please wait...", remove_code = "Removing Error Code, please wait...";
  const std::vector<Case> cases = {
      {&ScopeCommands::hWndCodeInsert_Click, false, Plain, {"Adding Error Handler, please wait...",
       "Gildex Error trapping added to component."}, "LoadOrders CountOrders n0", "Cannot add error-trapping to read-only components."},
      {&ScopeCommands::hWndModuleInsert_Click, true, Plain, {add_code, adding, "Gildex Error trapping added to module."},
       "LoadOrders CountOrders n8", "Cannot insert error handling into read-only modules."},
      {&ScopeCommands::hWndFormDelete_Click, false, HandledNumbered, {unnumbering, remove_code,
       "Removed error trapping code from form."}, "n0", "Cannot remove handling from read-only forms."},
      // The explicit number commands number whatever the option says.
      {&ScopeCommands::hWndCodeNumber_Click, false, Plain, {"Adding Line Numbers, please wait...",
       "Line Numbers added to component."}, "n4", "Cannot add line-numbers to read-only components."},
      {&ScopeCommands::hWndFormNumber_Click, false, HandledNumbered, {"Adding Line Numbers, please wait...",
       "Line numbers added to form."}, "Form_Load cmdOK_Click n7", "Cannot add line-numbers to read-only forms."},
      {&ScopeCommands::hWndCodeUnNumber_Click, true, Numbered, {unnumbering, "Line Numbers removed from component."},
       "n0", "Cannot remove line-numbers from read-only components."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said.back());
    const std::string component = c.said.back().ends_with("form.") ? "frmAbout" : "modOrders";
    Ide ide;
    host::CodeModule& code = ide.Open(component);
    if (c.start == HandledNumbered) ide.HandleAndNumber(component);
    if (c.start == Numbered) ide.Engine().NumberModule(code, false);
    ide.Engine().Numbering(!c.numbering_option);
    ide.Run(c.handler);
    EXPECT_EQ(Shape(ide.Text(component)), c.shape);
    EXPECT_EQ(ide.Said(), c.said);
    const Strings status = ide.Window().StatusLines();
    EXPECT_EQ(status.size(), c.said.back().starts_with("Gildex") ? 1u : 0u);
    EXPECT_TRUE(status.empty() || status[0].starts_with("Could not create compiled file! (")) << status[0];
    EXPECT_TRUE(ide.Idle());
    EXPECT_EQ(ide.insert_mode.shown, 0) << "a bare cursor asks for no insert mode";
    EXPECT_TRUE(ide.rig.dialogs.Asked().empty());

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

    if (c.start != Numbered)
      ExpectTemplateCheck(c.handler, c.said.back().starts_with("Gildex"));
  }
  Ide lone("modOrders.bas");  // no project file, so no build file and no build
  lone.Open("modOrders");
  lone.Run(&ScopeCommands::hWndModuleInsert_Click);
  EXPECT_EQ(Shape(lone.Text("modOrders")), "LoadOrders CountOrders n0");
  EXPECT_TRUE(lone.Window().StatusLines().empty());
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
  const std::vector<Case> cases = {
      {&ScopeCommands::hWndCodeInsert_Click, FakeInsertMode::SelectedText, false, "CountOrders n0", "Gildex Error trapping added to component."},
      {&ScopeCommands::hWndCodeInsert_Click, FakeInsertMode::EntireModule, false, "LoadOrders CountOrders n0", "Gildex Error trapping added to component."},
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

TEST(ProcedureCommands, WorkOnTheProcedureUnderTheCursorOnly) {
  struct Case {
    Handler handler;
    bool numbering_option, prepared;
    bool read_only;  // worked on all the same, without asking
    int line;        // of the cursor
    const char* shape;
    Strings said;
  };
  const Strings inserted = {"Gildex Error trapping added to Proc/FN", "Gildex Error trapping added succesfully"};
  const std::vector<Case> cases = {
      {&ScopeCommands::hWndModuleFNInsert_Click, false, false, true, 4, "LoadOrders n0", inserted},
      // The whole procedure as it is after the insertion is numbered, not just its old lines.
      {&ScopeCommands::hWndModuleFNInsert_Click, true, false, false, 10, "CountOrders n4",
       {inserted[0], "Adding line-numbers, please wait...", inserted[1]}},
      {&ScopeCommands::hWndModuleFNDelete_Click, true, true, false, 16, "LoadOrders n4",
       {"Gildex Error trapping removed from Proc/FN", "Remove line-numbers, please wait...",
        "Gildex Error trapping removed succesfully"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said.back());
    Ide ide;
    if (c.read_only) ::chmod((ide.folder / "modOrders.bas").c_str(), 0444);
    host::CodeModule& code = ide.Open("modOrders");
    if (c.prepared) ide.HandleAndNumber("modOrders");
    ide.Engine().Numbering(!c.numbering_option);
    code.Pane().SetSelection(host::Selection{c.line, 5, c.line, 5});
    ide.Run(c.handler);
    EXPECT_EQ(Shape(ide.Text("modOrders")), c.shape);
    EXPECT_EQ(ide.Said(), c.said);
    EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
    EXPECT_TRUE(ide.Window().StatusLines().empty());
    EXPECT_TRUE(ide.Idle());
    ExpectTemplateCheck(c.handler, true);
  }
  Ide none_selected;
  const auto before = none_selected.Texts();
  none_selected.Run(&ScopeCommands::hWndModuleFNInsert_Click);
  EXPECT_EQ(testing::ReportedNames(none_selected.rig.dialogs), Strings{"Connect.hWndModuleFNInsert_Click"});
  EXPECT_EQ(none_selected.Texts(), before);
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
