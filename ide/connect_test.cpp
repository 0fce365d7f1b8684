// The sixteen scope commands as a VB6 developer meets them in the IDE: the sample Orders
// project loaded from disk, a command clicked, then the code, the progress window's
// messages and status list, and the message boxes looked at.
#include "ide/connect.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "host/project_loader.h"
#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using testing::FakeInsertMode;

const fs::path kSample = fs::path(GILDEX_SOURCE_DIR) / "data" / "Sample";
constexpr const char* kCancelled = "Operation was cancelled by user.";

// A procedure and the states the commands leave it in, with the "Standard" template of the rig.
struct Proc {
  std::string declaration, name, end;
  std::vector<std::string> body;
};
enum State { Plain, Handled, Numbered, HandledNumbered };

// The procedure's text in `state`; line numbers go on from `number`.
std::string Lines(const Proc& p, State state, int& number) {
  const bool numbered = state == Numbered || state == HandledNumbered;
  const bool handled = state == Handled || state == HandledNumbered;
  const auto code = [&](const std::string& line) { return numbered ? std::to_string(number++) + " " + line : line; };
  std::string text = p.declaration + "\r\n";
  if (handled) text += code("On Error GoTo " + p.name + "_Err") + "\r\n' ---- Code Body Starts ----  (Standard)\r\n";
  for (const std::string& line : p.body) text += code(line) + "\r\n";
  if (handled)
    text += "' ---- Code Body Ends ---- (Standard)\r\n" + p.name + "_Err:\r\n" + code("    MsgBox Err.Description") + "\r\n";
  return text + p.end;
}

// modOrders, a module added to the sample project, and the sample's frmAbout.
std::string Orders(State load, State count) {
  int number = 1;
  const std::string first = Lines({"Public Sub LoadOrders()", "LoadOrders", "End Sub",
                                   {"    Set mOrders = New Collection", "    Refresh"}},
                                  load, number);
  return "Option Explicit\r\n\r\n" + first + "\r\n\r\n" +
         Lines({"Public Function CountOrders() As Long", "CountOrders", "End Function",
                {"    CountOrders = mOrders.Count", "    Beep"}},
               count, number);
}
std::string About(State state) {
  int number = 1;
  const std::string first =
      Lines({"Private Sub Form_Load()", "Form_Load", "End Sub",
             {"    lblVersion.Caption = \"Version \" & App.Major & \".\" & App.Minor & \".\" & App.Revision",
              "    lblMachine.Caption = \"Running on \" & GetMachineName() & \", data in \" & gSettings.DataPath"}},
            state, number);
  return "Option Explicit\r\n\r\n" + first + "\r\n\r\n" +
         Lines({"Private Sub cmdOK_Click()", "cmdOK_Click", "End Sub", {"    Unload Me"}}, state, number);
}

// The Orders sample in a folder of its own with modOrders as its first component, the
// "Standard" template chosen and the line-numbering option off, connected to the IDE.
struct Ide {
  explicit Ide(const std::string& open = "Orders.vbp") {
    fs::copy(kSample, folder, fs::copy_options::recursive);
    std::string vbp = ReadBytes(folder / "Orders.vbp");
    vbp.insert(vbp.find("Module="), "Module=modOrders; modOrders.bas\r\n");
    WriteBytes(folder / "Orders.vbp", vbp);
    WriteBytes(folder / "modOrders.bas", "Attribute VB_Name = \"modOrders\"\r\n" + Orders(Plain, Plain) + "\r\n");
    rig.Option("Default Template", "Standard");
    rig.Option("Numbering", "True");  // stored inverted: True means no line numbers
    rig.Option("BodyCode", "True");  // marker lines, by which removal finds the blocks again
    loaded = host::Load(vbe, folder / open);
    connect = std::make_unique<Connect>(rig.add_in, ConnectViews{&insert_mode, &options, nullptr, &ui});
    connect->OnConnection(&vbe, ext_cm_AfterStartup);
    rig.window_log.clear();
  }

  CGildex& Engine() { return rig.add_in.Engine(); }
  clsMessages& Window() { return rig.add_in.Messages(); }
  host::MemoryComponent& Component(const std::string& name) {
    return static_cast<host::MemoryComponent&>(*vbe.Project(1).FindComponent(name));
  }
  // As the user does before a command: a click on the component, its code window opened.
  host::CodeModule& Open(const std::string& name) {
    vbe.SelectComponent(Component(name));
    vbe.ShowCode(Component(name));
    return *Component(name).Code();
  }
  std::string Text(const std::string& name) {
    host::CodeModule& code = *Component(name).Code();
    return code.Lines(1, code.CountOfLines());
  }
  std::map<std::string, std::string> Texts() {
    std::map<std::string, std::string> texts;
    for (host::MemoryComponent* c : loaded.projects.at(0)->Components())
      if (c->Code() != nullptr) texts[c->Name()] = Text(c->Name());
    return texts;
  }
  // Every procedure of the component with its handler and line numbers, as an earlier run left them.
  void HandleAndNumber(const std::string& name) {
    host::CodeModule& code = *Component(name).Code();
    Engine().InsertModule(code, name, vbe.ActiveVBProject(), false);
    Engine().NumberModule(code, false);
  }
  // What the command said in the progress window, without the engine's per-procedure lines.
  std::vector<std::string> Said() const {
    std::vector<std::string> said;
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
  testing::AddInRig rig;
  fs::path folder = rig.dir / "Orders";
  host::MemoryVBE vbe;
  host::LoadResult loaded;
  FakeInsertMode insert_mode;
  testing::FakeOptionsDialog options;
  testing::FakeInterface ui;
  std::unique_ptr<Connect> connect;
};

using Handler = void (Connect::*)();

TEST(ComponentCommands, EachCallsTheEngineAndReportsInTheProgressWindow) {
  struct Case {
    const char* name;
    Handler handler;
    const char* component;
    bool numbering_option;
    State start;
    std::vector<std::string> said;
    std::string after;  // empty: the component's code as loaded
  };
  const std::string adding = "Adding line-numbers, please wait...";
  const std::string unnumbering = "Removing line-numbers, please wait...";
  const std::vector<Case> cases = {
      {"CodeInsert", &Connect::hWndCodeInsert_Click, "modOrders", false, Plain,
       {"Adding Error Handler, please wait...", "Gildex Error trapping added to component."},
       Orders(Handled, Handled)},
      {"CodeInsert numbering", &Connect::hWndCodeInsert_Click, "modOrders", true, Plain,
       {"Adding Error Handler, please wait...", adding, "Gildex Error trapping added to component."},
       Orders(HandledNumbered, HandledNumbered)},
      {"ModuleInsert", &Connect::hWndModuleInsert_Click, "modOrders", false, Plain,
       {"Adding Error Code, please wait...", "Gildex Error trapping added to module."}, Orders(Handled, Handled)},
      {"ModuleInsert numbering", &Connect::hWndModuleInsert_Click, "modOrders", true, Plain,
       {"Adding Error Code, please wait...", adding, "Gildex Error trapping added to module."},
       Orders(HandledNumbered, HandledNumbered)},
      {"FormInsert", &Connect::hWndFormInsert_Click, "frmAbout", false, Plain,
       {"Adding Error Code, please wait...", "Gildex Error trapping added to form."}, About(Handled)},
      {"FormInsert numbering", &Connect::hWndFormInsert_Click, "frmAbout", true, Plain,
       {"Adding Error Code, please wait...", adding, "Gildex Error trapping added to form."}, About(HandledNumbered)},
      {"CodeDelete", &Connect::hWndCodeDelete_Click, "modOrders", false, HandledNumbered,
       {unnumbering, "Removing Error Code, please wait...", "Removed Error trapping code from component."}, ""},
      {"ModuleDelete", &Connect::hWndModuleDelete_Click, "modOrders", true, HandledNumbered,
       {unnumbering, "Removing Error Code, please wait...", "Removed error trapping code from module."}, ""},
      {"FormDelete", &Connect::hWndFormDelete_Click, "frmAbout", false, HandledNumbered,
       {unnumbering, "Removing Error Code, please wait...", "Removed error trapping code from form."}, ""},
      // The explicit number commands number whatever the option says.
      {"CodeNumber", &Connect::hWndCodeNumber_Click, "modOrders", false, Plain,
       {"Adding Line Numbers, please wait...", "Line Numbers added to component."}, Orders(Numbered, Numbered)},
      {"ModuleNumber", &Connect::hWndModuleNumber_Click, "modOrders", false, Plain,
       {adding, "Line Numbers added to module."}, Orders(Numbered, Numbered)},
      {"FormNumber", &Connect::hWndFormNumber_Click, "frmAbout", false, HandledNumbered,
       {"Adding Line Numbers, please wait...", "Line numbers added to form."}, About(HandledNumbered)},
      {"CodeUnNumber", &Connect::hWndCodeUnNumber_Click, "modOrders", true, Numbered,
       {unnumbering, "Line Numbers removed from component."}, ""},
      {"ModuleUnNumber", &Connect::hWndModuleUnNumber_Click, "modOrders", false, Numbered,
       {"Removing Line numbers from Module, please wait...", "Line Numbers removed from module."}, ""},
      {"FormUnNumber", &Connect::hWndFormUnNumber_Click, "frmAbout", false, Numbered,
       {"Removing Line Numbers, please wait...", "Line numbers removed from form."}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ide ide;
    const std::string loaded = ide.Text(c.component);
    host::CodeModule& code = ide.Open(c.component);
    if (c.start == HandledNumbered) ide.HandleAndNumber(c.component);
    if (c.start == Numbered) ide.Engine().NumberModule(code, false);
    ide.Engine().Numbering(!c.numbering_option);
    ide.rig.window_log.clear();
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.Text(c.component), c.after.empty() ? loaded : c.after);
    EXPECT_EQ(ide.Said(), c.said);
    EXPECT_EQ(ide.Window().MessageText(), c.said.back());
    EXPECT_TRUE(ide.Window().StatusLines().empty());
    EXPECT_TRUE(ide.Idle());
    EXPECT_EQ(ide.insert_mode.shown, 0) << "a bare cursor asks for no insert mode";
    EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
  }
}

TEST(TemplateCheck, InsertingWithoutATemplateOnlyAsksForOne) {
  struct Case {
    const char* name;
    Handler handler;
    bool asks;
    bool opens_options;
  };
  const std::vector<Case> cases = {
      {"ModuleFNInsert", &Connect::hWndModuleFNInsert_Click, true, false},
      {"ModuleFNDelete", &Connect::hWndModuleFNDelete_Click, true, false},
      {"CodeInsert", &Connect::hWndCodeInsert_Click, true, false},
      {"ModuleInsert", &Connect::hWndModuleInsert_Click, true, false},
      {"FormInsert", &Connect::hWndFormInsert_Click, true, false},
      {"ProjectInsert", &Connect::hWndProjectInsert_Click, true, true},
      // Removing and numbering need no template.
      {"ProjectDelete", &Connect::hWndProjectDelete_Click, false, false},
      {"ModuleDelete", &Connect::hWndModuleDelete_Click, false, false},
      {"ModuleNumber", &Connect::hWndModuleNumber_Click, false, false},
      {"ModuleUnNumber", &Connect::hWndModuleUnNumber_Click, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ide ide;
    ide.HandleAndNumber("frmAbout");
    const auto before = ide.Texts();
    ide.Open("frmAbout").Pane().SetSelection(host::Selection{5, 5, 5, 5});
    ide.Engine().DefaultTemplate("");
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.options.opened, c.opens_options ? 1 : 0);
    const MessageWindowState* window = ide.Window().Window();
    EXPECT_EQ(window != nullptr && window->visible, !c.asks);
    EXPECT_TRUE(ide.Idle());
    if (!c.asks) {
      EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
      continue;
    }
    ASSERT_EQ(ide.rig.dialogs.Asked().size(), 1u);
    const platform::MessageBox& box = ide.rig.dialogs.Asked()[0];
    EXPECT_EQ(box.prompt, "Please select a template to use before continuing");
    EXPECT_EQ(box.style, platform::vbOKOnly);
    EXPECT_EQ(box.title, "Gildex");
    EXPECT_EQ(ide.Texts(), before);
  }
}

TEST(InsertMode, ACodeWindowSelectionAsksWhereToWork) {
  struct Case {
    const char* name;
    Handler handler;
    FakeInsertMode::Answer answer;
    bool prepared;  // handlers and numbers already in, CountOrders selected
    std::string after;
    std::string result;
    int asked = 1;
  };
  const std::vector<Case> cases = {
      {"insert into the selection", &Connect::hWndCodeInsert_Click, FakeInsertMode::SelectedText, false,
       Orders(Plain, Handled), "Gildex Error trapping added to component."},
      {"insert into the module", &Connect::hWndCodeInsert_Click, FakeInsertMode::EntireModule, false,
       Orders(Handled, Handled), "Gildex Error trapping added to component."},
      {"insert closed", &Connect::hWndCodeInsert_Click, FakeInsertMode::Close, false, Orders(Plain, Plain), kCancelled},
      {"the module command never asks", &Connect::hWndModuleInsert_Click, FakeInsertMode::Close, false,
       Orders(Handled, Handled), "Gildex Error trapping added to module.", 0},
      {"number the selection", &Connect::hWndCodeNumber_Click, FakeInsertMode::SelectedText, false,
       Orders(Plain, Numbered), "Line Numbers added to component."},
      {"number closed", &Connect::hWndCodeNumber_Click, FakeInsertMode::Close, false, Orders(Plain, Plain), kCancelled},
      {"unnumber the selection", &Connect::hWndCodeUnNumber_Click, FakeInsertMode::SelectedText, true,
       Orders(HandledNumbered, Handled), "Line Numbers removed from component."},
      // Removing takes handlers from the selection only, but line numbers from the whole module.
      {"remove in the code window", &Connect::hWndCodeDelete_Click, FakeInsertMode::SelectedText, true,
       Orders(Handled, Plain), "Removed Error trapping code from component."},
      {"remove from the module", &Connect::hWndModuleDelete_Click, FakeInsertMode::SelectedText, true,
       Orders(Handled, Plain), "Removed error trapping code from module."},
      {"remove closed", &Connect::hWndModuleDelete_Click, FakeInsertMode::Close, true,
       Orders(HandledNumbered, HandledNumbered), kCancelled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ide ide;
    host::CodeModule& code = ide.Open("modOrders");
    if (c.prepared) ide.HandleAndNumber("modOrders");
    // From the declaration of CountOrders to the end of its End line.
    code.Pane().SetSelection(c.prepared ? host::Selection{13, 1, 21, 13} : host::Selection{8, 1, 11, 13});
    ide.insert_mode.answer = c.answer;
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.insert_mode.shown, c.asked);
    EXPECT_EQ(ide.insert_mode.offered_selected_text, c.asked == 1);
    EXPECT_EQ(ide.Text("modOrders"), c.after);
    EXPECT_EQ(ide.Window().MessageText(), c.result);
    EXPECT_TRUE(ide.Idle());
  }
}

TEST(ProcedureCommands, WorkOnTheProcedureUnderTheCursorOnly) {
  struct Case {
    const char* name;
    Handler handler;
    bool numbering_option;
    bool prepared;   // handlers and numbers already in
    bool read_only;  // worked on all the same, without asking
    int line;        // of the cursor
    std::string after;
    std::vector<std::string> said;
  };
  const std::vector<std::string> inserted = {"Gildex Error trapping added to Proc/FN",
                                             "Gildex Error trapping added succesfully"};
  const std::vector<Case> cases = {
      {"insert", &Connect::hWndModuleFNInsert_Click, false, false, false, 10, Orders(Plain, Handled), inserted},
      // The whole procedure as it is after the insertion is numbered, not just its old lines.
      {"insert numbering", &Connect::hWndModuleFNInsert_Click, true, false, false, 10, Orders(Plain, HandledNumbered),
       {inserted[0], "Adding line-numbers, please wait...", inserted[1]}},
      {"insert read-only", &Connect::hWndModuleFNInsert_Click, false, false, true, 4, Orders(Handled, Plain), inserted},
      {"remove", &Connect::hWndModuleFNDelete_Click, true, true, false, 16, Orders(HandledNumbered, Plain),
       {"Gildex Error trapping removed from Proc/FN", "Remove line-numbers, please wait...",
        "Gildex Error trapping removed succesfully"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ide ide;
    if (c.read_only) ::chmod((ide.folder / "modOrders.bas").c_str(), 0444);
    host::CodeModule& code = ide.Open("modOrders");
    if (c.prepared) ide.HandleAndNumber("modOrders");
    ide.Engine().Numbering(!c.numbering_option);
    code.Pane().SetSelection(host::Selection{c.line, 5, c.line, 5});
    ide.rig.window_log.clear();
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.Text("modOrders"), c.after);
    EXPECT_EQ(ide.Said(), c.said);
    EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
    EXPECT_TRUE(ide.Window().StatusLines().empty());
    EXPECT_TRUE(ide.Idle());
  }
}

TEST(ReadOnly, AComponentThatStaysReadOnlyIsLeftAlone) {
  struct Case {
    Handler handler;
    const char* component;
    const char* message;
  };
  const std::vector<Case> cases = {
      {&Connect::hWndCodeInsert_Click, "modOrders", "Cannot add error-trapping to read-only components."},
      {&Connect::hWndModuleInsert_Click, "modOrders", "Cannot insert error handling into read-only modules."},
      {&Connect::hWndFormInsert_Click, "frmAbout", "Cannot add error-trapping to read-only forms."},
      {&Connect::hWndCodeDelete_Click, "modOrders", "Cannot remove handling from read-only components"},
      {&Connect::hWndModuleDelete_Click, "modOrders", "Cannot remove error handling from read-only modules."},
      {&Connect::hWndFormDelete_Click, "frmAbout", "Cannot remove handling from read-only forms."},
      {&Connect::hWndCodeNumber_Click, "modOrders", "Cannot add line-numbers to read-only components."},
      {&Connect::hWndModuleNumber_Click, "modOrders", "Cannot insert line numbers into read-only modules."},
      {&Connect::hWndFormNumber_Click, "frmAbout", "Cannot add line-numbers to read-only forms."},
      {&Connect::hWndCodeUnNumber_Click, "modOrders", "Cannot remove line-numbers from read-only components."},
      {&Connect::hWndModuleUnNumber_Click, "modOrders", "Cannot remove line numbers from read-only modules."},
      {&Connect::hWndFormUnNumber_Click, "frmAbout", "Cannot remove line-numbers from read-only forms."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Ide ide;
    ide.HandleAndNumber(c.component);  // so that every command would change something
    const std::string before = ide.Text(c.component);
    ::chmod(ide.Component(c.component).File().c_str(), 0444);
    ide.Open(c.component).Pane().SetSelection(host::Selection{3, 1, 9, 1});
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.Text(c.component), before);
    EXPECT_EQ(ide.Said(), std::vector<std::string>{c.message});
    EXPECT_TRUE(ide.Window().StatusLines().empty());
    EXPECT_EQ(ide.insert_mode.shown, 0);
    EXPECT_TRUE(ide.Idle());
  }
}

// The insertion leaves a module that would pass VB6's limits as it was; the numbering that
// follows must not touch it either, or the message would not say what happened.
TEST(ComponentCommands, AModuleTheInsertionRefusedIsNotNumberedEither) {
  for (Handler handler : {&Connect::hWndModuleInsert_Click, &Connect::hWndProjectInsert_Click}) {
    Ide ide;
    const std::string loaded = ide.Text("modOrders");
    ide.Open("modOrders");
    ide.Engine().Numbering(false);
    ide.Engine().HeaderCode("On Error GoTo %ProcName%_Err ' " + std::string(1000, '-'));
    (ide.connect.get()->*handler)();
    EXPECT_EQ(ide.Text("modOrders"), loaded);
    ASSERT_FALSE(ide.Window().StatusLines().empty());
    EXPECT_TRUE(ide.Window().StatusLines()[0].ends_with("modOrders left as it was.")) << ide.Window().StatusLines()[0];
    for (const std::string& said : ide.Said()) EXPECT_NE(said, "Adding line-numbers to modOrders, please wait...");
    EXPECT_NE(ide.Said().at(1), "Adding line-numbers, please wait...");
  }
}

TEST(ProjectCommands, InsertChangesEveryComponentListsTheReadOnlyOnesAndRemoveUndoesIt) {
  Ide ide;
  const auto before = ide.Texts();
  ::chmod((ide.folder / "frmAbout.frm").c_str(), 0444);
  ide.connect->hWndProjectInsert_Click();
  const auto after = ide.Texts();
  for (const auto& [name, text] : before) EXPECT_EQ(after.at(name) == text, name == "frmAbout") << name;
  EXPECT_EQ(after.at("modOrders"), Orders(Handled, Handled));
  std::vector<std::string> skipped;
  for (const std::string& line : ide.Window().StatusLines())
    if (line.starts_with("Skipping")) skipped.push_back(line);
  EXPECT_EQ(skipped, std::vector<std::string>{"Skipping component frmAbout"});
  std::vector<std::string> expected = {"Adding Error Code, please wait..."};
  for (const char* name : {"modOrders", "modGlobals", "modErrors", "frmMDI", "frmMain", "frmCustomer", "clsCustomer",
                           "clsAddress", "clsCustomers", "ctlStatusBar"})
    expected.push_back("Adding to " + std::string(name) + ".");
  expected.push_back("Gildex Error trapping added to project.");
  EXPECT_EQ(ide.Said(), expected);
  EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
  EXPECT_TRUE(ide.Idle());

  // Removal takes handlers first, then numbers; modErrors came with line numbers of its own
  // (ImportCsv), and those go as well.
  ide.rig.window_log.clear();
  ide.connect->hWndProjectDelete_Click();
  for (const auto& [name, text] : before) EXPECT_EQ(ide.Text(name) == text, name != "modErrors") << name;
  const std::vector<std::string> said = ide.Said();
  ASSERT_GE(said.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(said.begin(), said.begin() + 4),
            (std::vector<std::string>{"Removing Error Code, please wait...", "Removing from modOrders.",
                                      "Removing line-numbers, please wait...", "Removing from modGlobals."}));
  EXPECT_EQ(said.back(), "Removed error trapping code from project.");
  EXPECT_TRUE(ide.Idle());
}

TEST(BuildStep, OnlyInsertsBuildAndOnlyProjectsWithABuildFile) {
  struct Case {
    const char* open;
    Handler handler;
    bool builds;
  };
  const std::vector<Case> cases = {
      {"Orders.vbp", &Connect::hWndModuleInsert_Click, true},
      {"Orders.vbp", &Connect::hWndFormInsert_Click, true},
      {"Orders.vbp", &Connect::hWndProjectInsert_Click, true},
      {"Orders.vbp", &Connect::hWndModuleNumber_Click, false},
      {"Orders.vbp", &Connect::hWndModuleDelete_Click, false},
      {"Orders.vbp", &Connect::hWndModuleFNInsert_Click, false},
      {"modOrders.bas", &Connect::hWndModuleInsert_Click, false},  // no project file, no build file
  };
  for (const Case& c : cases) {
    Ide ide(c.open);
    ide.Engine().BuildProject(true);
    if (c.open == std::string("Orders.vbp"))
      ide.Open("frmAbout");
    else
      ide.vbe.SelectComponent(*ide.loaded.projects.at(0)->Components().at(0));
    (ide.connect.get()->*c.handler)();
    // The build's one line is the last of the status list.
    const std::vector<std::string> status = ide.Window().StatusLines();
    EXPECT_EQ(std::count_if(status.begin(), status.end(),
                            [](const std::string& s) { return s.starts_with("Could not create compiled file! ("); }),
              c.builds ? 1 : 0)
        << c.open << " " << ide.Window().MessageText();
    if (c.builds) {
      EXPECT_TRUE(status.back().starts_with("Could not create compiled file! (")) << status.back();
    }
  }
}

TEST(Failure, ACommandWithoutASelectedComponentReportsItsName) {
  const std::vector<std::pair<const char*, Handler>> cases = {
      {"Connect.hWndModuleFNInsert_Click", &Connect::hWndModuleFNInsert_Click},
      {"Connect.hWndCodeInsert_Click", &Connect::hWndCodeInsert_Click},
      {"Connect.hWndModuleInsert_Click", &Connect::hWndModuleInsert_Click},
      {"Connect.hWndModuleFNDelete_Click", &Connect::hWndModuleFNDelete_Click},
      {"Connect.hWndFormDelete_Click", &Connect::hWndFormDelete_Click},
      {"Connect.hWndCodeNumber_Click", &Connect::hWndCodeNumber_Click},
      {"Connect.hWndModuleUnNumber_Click", &Connect::hWndModuleUnNumber_Click},
  };
  for (const auto& [name, handler] : cases) {
    Ide ide;
    const auto before = ide.Texts();
    (ide.connect.get()->*handler)();
    EXPECT_EQ(testing::ReportedNames(ide.rig.dialogs), std::vector<std::string>{name});
    const platform::MessageBox& box = ide.rig.dialogs.Asked().at(0);
    EXPECT_EQ(box.title, "Gildex Error.");
    EXPECT_EQ(box.style, platform::vbAbortRetryIgnore | platform::vbExclamation);
    EXPECT_EQ(ide.Texts(), before) << name;
  }
}

}  // namespace
}  // namespace gildex
