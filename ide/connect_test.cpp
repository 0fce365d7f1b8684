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
using testing::Module;

const fs::path kSample = fs::path(GILDEX_SOURCE_DIR) / "data" / "Sample";
constexpr const char* kCancelled = "Operation was cancelled by user.";

// modOrders, a module added to the sample project, procedure by procedure in each state.
const std::string kLoadPlain = Module(R"(
Public Sub LoadOrders()
    Set mOrders = New Collection
    Refresh
End Sub)");
const std::string kLoadHandled = Module(R"(
Public Sub LoadOrders()
On Error GoTo LoadOrders_Err
' ---- Code Body Starts ----  (Standard)
    Set mOrders = New Collection
    Refresh
' ---- Code Body Ends ---- (Standard)
LoadOrders_Err:
    MsgBox Err.Description
End Sub)");
const std::string kLoadHandledNumbered = Module(R"(
Public Sub LoadOrders()
1 On Error GoTo LoadOrders_Err
' ---- Code Body Starts ----  (Standard)
2     Set mOrders = New Collection
3     Refresh
' ---- Code Body Ends ---- (Standard)
LoadOrders_Err:
4     MsgBox Err.Description
End Sub)");
const std::string kCountPlain = Module(R"(
Public Function CountOrders() As Long
    CountOrders = mOrders.Count
    Beep
End Function)");
const std::string kCountHandled = Module(R"(
Public Function CountOrders() As Long
On Error GoTo CountOrders_Err
' ---- Code Body Starts ----  (Standard)
    CountOrders = mOrders.Count
    Beep
' ---- Code Body Ends ---- (Standard)
CountOrders_Err:
    MsgBox Err.Description
End Function)");

std::string Orders(const std::string& load, const std::string& count) {
  return "Option Explicit\r\n\r\n" + load + "\r\n\r\n" + count;
}
const std::string kOrders = Orders(kLoadPlain, kCountPlain);
const std::string kOrdersHandled = Orders(kLoadHandled, kCountHandled);
const std::string kOrdersHandledNumbered = Orders(kLoadHandledNumbered, Module(R"(
Public Function CountOrders() As Long
5 On Error GoTo CountOrders_Err
' ---- Code Body Starts ----  (Standard)
6     CountOrders = mOrders.Count
7     Beep
' ---- Code Body Ends ---- (Standard)
CountOrders_Err:
8     MsgBox Err.Description
End Function)"));
const std::string kOrdersNumbered = Orders(Module(R"(
Public Sub LoadOrders()
1     Set mOrders = New Collection
2     Refresh
End Sub)"),
                                           Module(R"(
Public Function CountOrders() As Long
3     CountOrders = mOrders.Count
4     Beep
End Function)"));

// The code of the sample's frmAbout after the form commands.
const std::string kAboutHandledNumbered = Module(R"(
Option Explicit

Private Sub Form_Load()
1 On Error GoTo Form_Load_Err
' ---- Code Body Starts ----  (Standard)
2     lblVersion.Caption = "Version " & App.Major & "." & App.Minor & "." & App.Revision
3     lblMachine.Caption = "Running on " & GetMachineName() & ", data in " & gSettings.DataPath
' ---- Code Body Ends ---- (Standard)
Form_Load_Err:
4     MsgBox Err.Description
End Sub

Private Sub cmdOK_Click()
5 On Error GoTo cmdOK_Click_Err
' ---- Code Body Starts ----  (Standard)
6     Unload Me
' ---- Code Body Ends ---- (Standard)
cmdOK_Click_Err:
7     MsgBox Err.Description
End Sub
)");

// The Orders sample in a folder of its own with modOrders as its first component, the
// "Standard" template chosen and the line-numbering option off, connected to the IDE.
struct Ide {
  explicit Ide(const std::string& open = "Orders.vbp") {
    fs::copy(kSample, folder, fs::copy_options::recursive);
    std::string vbp = ReadBytes(folder / "Orders.vbp");
    vbp.insert(vbp.find("Module="), "Module=modOrders; modOrders.bas\r\n");
    WriteBytes(folder / "Orders.vbp", vbp);
    WriteBytes(folder / "modOrders.bas", "Attribute VB_Name = \"modOrders\"\r\n" + kOrders + "\r\n");
    rig.Option("Default Template", "Standard");
    rig.Option("Numbering", "True");  // stored inverted: True means no line numbers
    rig.Option("BodyCode", "True");  // marker lines, by which removal finds the blocks again
    loaded = host::Load(vbe, folder / open);
    connect = std::make_unique<Connect>(rig.add_in, ConnectViews{&insert_mode, &options, nullptr, &ui});
    connect->OnConnection(&vbe, ext_cm_AfterStartup);
    rig.shown_messages.clear();
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
    for (const std::string& m : rig.shown_messages)
      if (!m.empty() && !m.starts_with("Processing ")) said.push_back(m);
    return said;
  }
  bool Idle() {
    const host::CommandBar* bar = vbe.Bars().Find(kToolbarName);
    return !Window().Busy() && bar != nullptr && bar->controls[0]->enabled;
  }
  // The engine's Cancel flag goes up at the `nth` time the host's message loop runs.
  void CancelAtIdle(int nth) {
    rig.loop.OnIdle([this, nth] {
      if (++idle_runs == nth && rig.add_in.HasEngine()) Engine().Cancel(true);
    });
  }

  testing::AddInRig rig;
  fs::path folder = rig.dir / "Orders";
  host::MemoryVBE vbe;
  host::LoadResult loaded;
  FakeInsertMode insert_mode;
  testing::FakeOptionsDialog options;
  testing::FakeInterface ui;
  std::unique_ptr<Connect> connect;
  int idle_runs = 0;
};

using Handler = void (Connect::*)();

TEST(ComponentCommands, EachCallsTheEngineAndReportsInTheProgressWindow) {
  enum Start { Plain, HandledNumbered, Numbered };
  struct Case {
    const char* name;
    Handler handler;
    const char* component;
    bool numbering_option;
    Start start;
    std::vector<std::string> said;
    std::string after;  // empty: the component's code as loaded
  };
  const std::string adding = "Adding line-numbers, please wait...";
  const std::string unnumbering = "Removing line-numbers, please wait...";
  const std::vector<Case> cases = {
      {"CodeInsert", &Connect::hWndCodeInsert_Click, "modOrders", false, Plain,
       {"Adding Error Handler, please wait...", "Gildex Error trapping added to component."}, kOrdersHandled},
      {"CodeInsert numbering", &Connect::hWndCodeInsert_Click, "modOrders", true, Plain,
       {"Adding Error Handler, please wait...", adding, "Gildex Error trapping added to component."},
       kOrdersHandledNumbered},
      {"ModuleInsert", &Connect::hWndModuleInsert_Click, "modOrders", false, Plain,
       {"Adding Error Code, please wait...", "Gildex Error trapping added to module."}, kOrdersHandled},
      {"ModuleInsert numbering", &Connect::hWndModuleInsert_Click, "modOrders", true, Plain,
       {"Adding Error Code, please wait...", adding, "Gildex Error trapping added to module."},
       kOrdersHandledNumbered},
      {"FormInsert numbering", &Connect::hWndFormInsert_Click, "frmAbout", true, Plain,
       {"Adding Error Code, please wait...", adding, "Gildex Error trapping added to form."}, kAboutHandledNumbered},
      {"CodeDelete", &Connect::hWndCodeDelete_Click, "modOrders", false, HandledNumbered,
       {unnumbering, "Removing Error Code, please wait...", "Removed Error trapping code from component."}, ""},
      {"ModuleDelete", &Connect::hWndModuleDelete_Click, "modOrders", true, HandledNumbered,
       {unnumbering, "Removing Error Code, please wait...", "Removed error trapping code from module."}, ""},
      {"FormDelete", &Connect::hWndFormDelete_Click, "frmAbout", false, HandledNumbered,
       {unnumbering, "Removing Error Code, please wait...", "Removed error trapping code from form."}, ""},
      // The explicit number commands number whatever the option says.
      {"CodeNumber", &Connect::hWndCodeNumber_Click, "modOrders", false, Plain,
       {"Adding Line Numbers, please wait...", "Line Numbers added to component."}, kOrdersNumbered},
      {"ModuleNumber", &Connect::hWndModuleNumber_Click, "modOrders", false, Plain,
       {adding, "Line Numbers added to module."}, kOrdersNumbered},
      {"FormNumber", &Connect::hWndFormNumber_Click, "frmAbout", false, HandledNumbered,
       {"Adding Line Numbers, please wait...", "Line numbers added to form."}, kAboutHandledNumbered},
      {"CodeUnNumber", &Connect::hWndCodeUnNumber_Click, "modOrders", true, Numbered,
       {unnumbering, "Line Numbers removed from component."}, ""},
      {"ModuleUnNumber", &Connect::hWndModuleUnNumber_Click, "modOrders", false, Numbered,
       {"Removing Line numbers from Module, please wait...", "Line Numbers removed from module."}, ""},
      {"FormUnNumber", &Connect::hWndFormUnNumber_Click, "frmAbout", false, Numbered,
       {"Removing Line Numbers, please wait...", "Line numbers removed from form."}, ""},
  };
  for (const Case& c : cases) {
    Ide ide;
    const std::string loaded = ide.Text(c.component);
    host::CodeModule& code = ide.Open(c.component);
    if (c.start == HandledNumbered) ide.HandleAndNumber(c.component);
    if (c.start == Numbered) ide.Engine().NumberModule(code, false);
    ide.Engine().Numbering(!c.numbering_option);
    ide.rig.shown_messages.clear();
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.Text(c.component), c.after.empty() ? loaded : c.after) << c.name;
    EXPECT_EQ(ide.Said(), c.said) << c.name;
    EXPECT_EQ(ide.Window().MessageText(), c.said.back()) << c.name;
    EXPECT_TRUE(ide.Window().StatusLines().empty()) << c.name;
    EXPECT_TRUE(ide.Idle()) << c.name;
    EXPECT_EQ(ide.insert_mode.shown, 0) << c.name << ": a bare cursor asks for no insert mode";
    EXPECT_TRUE(ide.rig.dialogs.Asked().empty()) << c.name;
  }
}

TEST(ComponentCommands, InsertWithTheFormInsertCommandAndTheOptionOffAddsNoNumbers) {
  Ide ide;
  ide.Open("frmAbout");
  ide.connect->hWndFormInsert_Click();
  std::string expected = kAboutHandledNumbered;
  for (const char* number : {"1 ", "2 ", "3 ", "4 ", "5 ", "6 ", "7 "}) expected.erase(expected.find(number), 2);
  EXPECT_EQ(ide.Text("frmAbout"), expected);
  EXPECT_EQ(ide.Said(), (std::vector<std::string>{"Adding Error Code, please wait...",
                                                  "Gildex Error trapping added to form."}));
}

TEST(TemplateCheck, InsertingWithoutATemplateOnlyAsksForOne) {
  struct Case {
    const char* name;
    Handler handler;
    bool opens_options;
  };
  const std::vector<Case> cases = {
      {"ModuleFNInsert", &Connect::hWndModuleFNInsert_Click, false},
      {"ModuleFNDelete", &Connect::hWndModuleFNDelete_Click, false},
      {"CodeInsert", &Connect::hWndCodeInsert_Click, false},
      {"ModuleInsert", &Connect::hWndModuleInsert_Click, false},
      {"FormInsert", &Connect::hWndFormInsert_Click, false},
      {"ProjectInsert", &Connect::hWndProjectInsert_Click, true},
  };
  for (const Case& c : cases) {
    Ide ide;
    ide.HandleAndNumber("frmAbout");
    const auto before = ide.Texts();
    ide.Open("frmAbout").Pane().SetSelection(host::Selection{5, 5, 5, 5});
    ide.Engine().DefaultTemplate("");
    (ide.connect.get()->*c.handler)();
    ASSERT_EQ(ide.rig.dialogs.Asked().size(), 1u) << c.name;
    const platform::MessageBox& box = ide.rig.dialogs.Asked()[0];
    EXPECT_EQ(box.prompt, "Please select a template to use before continuing") << c.name;
    EXPECT_EQ(box.style, platform::vbOKOnly) << c.name;
    EXPECT_EQ(box.title, "Gildex") << c.name;
    EXPECT_EQ(ide.options.opened, c.opens_options ? 1 : 0) << c.name;
    EXPECT_EQ(ide.Texts(), before) << c.name;
    EXPECT_FALSE(ide.Window().Shown()) << c.name;
  }
}

TEST(TemplateCheck, RemovingAndNumberingNeedNoTemplate) {
  for (Handler handler : {&Connect::hWndProjectDelete_Click, &Connect::hWndModuleDelete_Click,
                          &Connect::hWndModuleNumber_Click, &Connect::hWndModuleUnNumber_Click}) {
    Ide ide;
    ide.Open("modOrders");
    ide.Engine().DefaultTemplate("");
    (ide.connect.get()->*handler)();
    EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
    EXPECT_TRUE(ide.Window().Shown());
    EXPECT_TRUE(ide.Idle());
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
  };
  const std::string selected_count_numbered = Orders(kLoadPlain, Module(R"(
Public Function CountOrders() As Long
1     CountOrders = mOrders.Count
2     Beep
End Function)"));
  const std::vector<Case> cases = {
      {"insert into the selection", &Connect::hWndCodeInsert_Click, FakeInsertMode::SelectedText, false,
       Orders(kLoadPlain, kCountHandled), "Gildex Error trapping added to component."},
      {"insert into the module", &Connect::hWndCodeInsert_Click, FakeInsertMode::EntireModule, false, kOrdersHandled,
       "Gildex Error trapping added to component."},
      {"insert closed", &Connect::hWndCodeInsert_Click, FakeInsertMode::Close, false, kOrders, kCancelled},
      {"number the selection", &Connect::hWndCodeNumber_Click, FakeInsertMode::SelectedText, false,
       selected_count_numbered, "Line Numbers added to component."},
      {"number closed", &Connect::hWndCodeNumber_Click, FakeInsertMode::Close, false, kOrders, kCancelled},
      {"unnumber the selection", &Connect::hWndCodeUnNumber_Click, FakeInsertMode::SelectedText, true,
       Orders(kLoadHandledNumbered, kCountHandled), "Line Numbers removed from component."},
      // Removing takes handlers from the selection only, but line numbers from the whole module.
      {"remove in the code window", &Connect::hWndCodeDelete_Click, FakeInsertMode::SelectedText, true,
       Orders(kLoadHandled, kCountPlain), "Removed Error trapping code from component."},
      {"remove from the module", &Connect::hWndModuleDelete_Click, FakeInsertMode::SelectedText, true,
       Orders(kLoadHandled, kCountPlain), "Removed error trapping code from module."},
      {"remove closed", &Connect::hWndModuleDelete_Click, FakeInsertMode::Close, true, kOrdersHandledNumbered,
       kCancelled},
  };
  for (const Case& c : cases) {
    Ide ide;
    host::CodeModule& code = ide.Open("modOrders");
    if (c.prepared) ide.HandleAndNumber("modOrders");
    // From the declaration of CountOrders to the end of its End line.
    code.Pane().SetSelection(c.prepared ? host::Selection{13, 1, 21, 13} : host::Selection{8, 1, 11, 13});
    ide.insert_mode.answer = c.answer;
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.insert_mode.shown, 1) << c.name;
    EXPECT_TRUE(ide.insert_mode.offered_selected_text) << c.name;
    EXPECT_EQ(ide.Text("modOrders"), c.after) << c.name;
    EXPECT_EQ(ide.Window().MessageText(), c.result) << c.name;
    EXPECT_TRUE(ide.Idle()) << c.name;
  }
}

TEST(InsertMode, TheModuleAndFormInsertCommandsNeverAsk) {
  Ide ide;
  ide.Open("modOrders").Pane().SetSelection(host::Selection{8, 1, 11, 13});
  ide.connect->hWndModuleInsert_Click();
  ide.connect->hWndModuleNumber_Click();
  EXPECT_EQ(ide.insert_mode.shown, 0);
  EXPECT_EQ(ide.Text("modOrders"), kOrdersHandledNumbered);
}

TEST(ProcedureCommands, WorkOnTheProcedureUnderTheCursorOnly) {
  struct Case {
    const char* name;
    Handler handler;
    bool numbering_option;
    std::string after;
    std::vector<std::string> said;
  };
  const std::vector<Case> cases = {
      {"insert", &Connect::hWndModuleFNInsert_Click, false, Orders(kLoadPlain, kCountHandled),
       {"Gildex Error trapping added to Proc/FN", "Gildex Error trapping added succesfully"}},
      {"insert numbering", &Connect::hWndModuleFNInsert_Click, true,
       // The whole procedure as it is after the insertion is numbered, not just its old lines.
       Orders(kLoadPlain, Module(R"(
Public Function CountOrders() As Long
1 On Error GoTo CountOrders_Err
' ---- Code Body Starts ----  (Standard)
2     CountOrders = mOrders.Count
3     Beep
' ---- Code Body Ends ---- (Standard)
CountOrders_Err:
4     MsgBox Err.Description
End Function)")),
       {"Gildex Error trapping added to Proc/FN", "Adding line-numbers, please wait...",
        "Gildex Error trapping added succesfully"}},
  };
  for (const Case& c : cases) {
    Ide ide;
    ide.Engine().Numbering(!c.numbering_option);
    ide.Open("modOrders").Pane().SetSelection(host::Selection{10, 5, 10, 5});  // the cursor on "Beep"
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.Text("modOrders"), c.after) << c.name;
    EXPECT_EQ(ide.Said(), c.said) << c.name;
    EXPECT_TRUE(ide.Idle()) << c.name;
  }
}

TEST(ProcedureCommands, RemoveTakesTheHandlerAndNumbersOfThatProcedureOnly) {
  Ide ide;
  ide.Open("modOrders");
  ide.HandleAndNumber("modOrders");
  ide.Engine().Numbering(false);
  ide.Component("modOrders").Code()->Pane().SetSelection(host::Selection{16, 3, 16, 3});  // on "Beep"
  ide.connect->hWndModuleFNDelete_Click();
  EXPECT_EQ(ide.Text("modOrders"), Orders(kLoadHandledNumbered, kCountPlain));
  EXPECT_EQ(ide.Said(), (std::vector<std::string>{"Gildex Error trapping removed from Proc/FN",
                                                  "Remove line-numbers, please wait...",
                                                  "Gildex Error trapping removed succesfully"}));
}

TEST(ProcedureCommands, WorkOnAReadOnlyComponentWithoutAsking) {
  Ide ide;
  ::chmod((ide.folder / "modOrders.bas").c_str(), 0444);
  ide.Open("modOrders").Pane().SetSelection(host::Selection{4, 1, 4, 1});
  ide.connect->hWndModuleFNInsert_Click();
  EXPECT_EQ(ide.Text("modOrders"), Orders(kLoadHandled, kCountPlain));
  EXPECT_TRUE(ide.rig.dialogs.Asked().empty());
  EXPECT_TRUE(ide.Window().StatusLines().empty());
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
    Ide ide;
    ide.HandleAndNumber(c.component);  // so that every command would change something
    const std::string before = ide.Text(c.component);
    ::chmod(ide.Component(c.component).File().c_str(), 0444);
    ide.Open(c.component).Pane().SetSelection(host::Selection{3, 1, 9, 1});
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.Text(c.component), before) << c.message;
    EXPECT_EQ(ide.Said(), std::vector<std::string>{c.message});
    EXPECT_TRUE(ide.Window().StatusLines().empty()) << c.message;
    EXPECT_EQ(ide.insert_mode.shown, 0) << c.message;
    EXPECT_TRUE(ide.Idle()) << c.message;
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

TEST(ProjectCommands, InsertChangesEveryComponentAndListsTheReadOnlyOnes) {
  Ide ide;
  const auto before = ide.Texts();
  ::chmod((ide.folder / "frmAbout.frm").c_str(), 0444);
  ide.connect->hWndProjectInsert_Click();
  const auto after = ide.Texts();
  for (const auto& [name, text] : before) EXPECT_EQ(after.at(name) == text, name == "frmAbout") << name;
  EXPECT_EQ(after.at("modOrders"), kOrdersHandled);
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
}

TEST(ProjectCommands, RemoveTakesHandlersFirstThenNumbers) {
  Ide ide;
  const auto before = ide.Texts();
  ide.Engine().Numbering(false);
  ide.connect->hWndProjectInsert_Click();
  EXPECT_EQ(ide.Text("modOrders"), kOrdersHandledNumbered);
  ide.rig.shown_messages.clear();
  ide.connect->hWndProjectDelete_Click();
  // modErrors came with line numbers of its own (ImportCsv); those go as well.
  for (const auto& [name, text] : before) EXPECT_EQ(ide.Text(name) == text, name != "modErrors") << name;
  const std::vector<std::string> said = ide.Said();
  ASSERT_GE(said.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(said.begin(), said.begin() + 4),
            (std::vector<std::string>{"Removing Error Code, please wait...", "Removing from modOrders.",
                                      "Removing line-numbers, please wait...", "Removing from modGlobals."}));
  EXPECT_EQ(said.back(), "Removed error trapping code from project.");
  EXPECT_TRUE(ide.Idle());
}

TEST(Cancel, StopsTheCommandAndKeepsWhatWasDone) {
  struct Case {
    const char* name;
    Handler handler;
    int cancel_at;  // the message loop's run that brings the Cancel
    std::string after;
    std::string result;
  };
  const std::vector<Case> cases = {
      // The procedure under way is finished first; the numbering after it does not run.
      {"module insert", &Connect::hWndModuleInsert_Click, 1, Orders(kLoadHandled, kCountPlain), kCancelled},
      {"code number", &Connect::hWndCodeNumber_Click, 2, Orders(Module(R"(
Public Sub LoadOrders()
1     Set mOrders = New Collection
2     Refresh
End Sub)"), kCountPlain),
       "Processing STOPPED by user."},
      {"project insert", &Connect::hWndProjectInsert_Click, 1, Orders(kLoadHandled, kCountPlain), kCancelled},
  };
  for (const Case& c : cases) {
    Ide ide;
    ide.Engine().Numbering(false);
    ide.Engine().BuildProject(true);
    const auto before = ide.Texts();
    ide.Open("modOrders");
    ide.CancelAtIdle(c.cancel_at);
    (ide.connect.get()->*c.handler)();
    EXPECT_EQ(ide.Text("modOrders"), c.after) << c.name;
    EXPECT_EQ(ide.Window().MessageText(), c.result) << c.name;
    EXPECT_TRUE(ide.Window().StatusLines().empty()) << c.name << ": no build after a cancel";
    for (const auto& [name, text] : before) {
      if (name != "modOrders") {
        EXPECT_EQ(ide.Text(name), text) << c.name << ": " << name;
      }
    }
    EXPECT_TRUE(ide.Idle()) << c.name;
  }
}

TEST(BuildStep, AFailedBuildIsOneStatusLineBeforeTheResult) {
  struct Case {
    Handler handler;
    std::string result;
  };
  for (const Case& c : {Case{&Connect::hWndModuleInsert_Click, "Gildex Error trapping added to module."},
                        Case{&Connect::hWndFormInsert_Click, "Gildex Error trapping added to form."},
                        Case{&Connect::hWndProjectInsert_Click, "Gildex Error trapping added to project."}}) {
    Ide ide;
    ide.Engine().BuildProject(true);
    ide.Open("frmAbout");
    (ide.connect.get()->*c.handler)();
    // The project's own notes (procedures passed over) come first; the build's is the last.
    const std::vector<std::string> status = ide.Window().StatusLines();
    ASSERT_FALSE(status.empty()) << c.result;
    EXPECT_EQ(std::count_if(status.begin(), status.end(),
                            [](const std::string& s) { return s.starts_with("Could not create compiled file! ("); }),
              1)
        << c.result;
    EXPECT_TRUE(status.back().starts_with("Could not create compiled file! (")) << status.back();
    EXPECT_TRUE(status.back().ends_with(")")) << status.back();
    EXPECT_EQ(ide.Window().MessageText(), c.result);
  }
}

TEST(BuildStep, OnlyInsertsBuildAndOnlyProjectsWithABuildFile) {
  Ide ide;
  ide.Engine().BuildProject(true);
  ide.Open("modOrders");
  for (Handler handler : {&Connect::hWndModuleNumber_Click, &Connect::hWndModuleUnNumber_Click,
                          &Connect::hWndModuleDelete_Click, &Connect::hWndModuleFNInsert_Click})
    (ide.connect.get()->*handler)();
  EXPECT_TRUE(ide.Window().StatusLines().empty());

  Ide single("modOrders.bas");  // a module opened on its own: no project file, no build file
  single.Engine().BuildProject(true);
  single.vbe.SelectComponent(*single.loaded.projects.at(0)->Components().at(0));
  single.connect->hWndModuleInsert_Click();
  EXPECT_TRUE(single.Window().StatusLines().empty());
  EXPECT_EQ(single.Window().MessageText(), "Gildex Error trapping added to module.");
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

TEST(GetCursorPosition, IsTheFirstLineOfTheSelection) {
  Ide ide;
  host::CodeModule& code = ide.Open("modOrders");
  for (const host::Selection& s : {host::Selection{1, 1, 1, 1}, {9, 5, 9, 5}, {4, 3, 11, 2}}) {
    code.Pane().SetSelection(s);
    EXPECT_EQ(ide.connect->GetCursorPosition(code), s.start_line);
  }
}

}  // namespace
}  // namespace gildex
