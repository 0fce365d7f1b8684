// The module driver as a VB6 developer meets it: which procedures of a module get the
// template, what the status list says about the others, selection mode, Cancel, the user's
// script, VB6's limits, and real projects.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/cp1252.h"
#include "platform/test_files.h"

namespace gildex {
namespace {

using testing::RecordingProgress;

namespace fs = std::filesystem;
using testing::EngineRig;

using testing::Module;

struct FakeScript : ScriptRunner {
  ScriptErrors RunProcess(const std::string& proc_code, std::string& new_text) override {
    seen.push_back(proc_code);
    new_text = text;
    return result;
  }
  ScriptErrors result = errSCRIPT_OK;
  std::string text;
  std::vector<std::string> seen;
};

struct Driver {
  explicit Driver(host::VBE* vbe = nullptr) : rig({}, vbe) {
    testing::UseStandardTemplate(rig.gildex, "    MsgBox Err.Description");
    rig.gildex.SetProgress(&progress);
  }

  std::string Insert(std::string_view text, const std::string& name = "modOrders") {
    return testing::Rewritten(
        text, [&](host::CodeModule& module) { rig.gildex.InsertModule(module, name, nullptr, false); }, name);
  }

  EngineRig rig;
  RecordingProgress progress;
};

// Names of the procedures that got a handler, in module order.
std::vector<std::string> HandledProcedures(const std::string& text) {
  std::vector<std::string> names;
  for (std::size_t at = text.find("\r\nOn Error GoTo "); at != std::string::npos;
       at = text.find("\r\nOn Error GoTo ", at + 1)) {
    const std::size_t from = at + 16;
    names.push_back(text.substr(from, text.find("_ErrorHandler", from) - from));
  }
  return names;
}

const std::string kMixedModule = Module(R"(
Option Explicit
Private mItems As Collection

Public Sub LoadItems()
    Set mItems = New Collection
    Refresh
End Sub

Public Function FunctionList() As String
    FunctionList = "A"
    Beep
End Function

Sub FillList() ' GX2/Standard
    lst.Clear
    lst.AddItem "x"
End Sub

Private Function CountItems() As Long
    CountItems = mItems.Count
    Beep
End Function

Public Property Get Items() As Collection
    Set Items = mItems
    Beep
End Property
)");

TEST(InsertModule, InsertIntoChoosesTheProcedures) {
  struct Case {
    std::string insert_into;
    std::vector<std::string> handled;
  };
  const std::vector<Case> cases = {
      {"", {"LoadItems", "FunctionList", "FillList", "CountItems", "Items"}},
      {"FUNCTION", {"FunctionList", "CountItems"}},
      {"SUB", {"LoadItems", "FillList"}},
      {"PROPERTY", {"Items"}},
      {"Items", {"LoadItems", "CountItems", "Items"}},  // by name, any letter case
      {"--", {"FillList"}},
      {"Function", {"FunctionList"}},  // the type text is compared exactly; names in any case
  };
  for (const Case& c : cases) {
    Driver driver;
    driver.rig.gildex.InsertInto(c.insert_into);
    EXPECT_EQ(HandledProcedures(driver.Insert(kMixedModule)), c.handled) << "InsertInto " << c.insert_into;
    EXPECT_TRUE(driver.progress.statuses.empty());
  }
}

TEST(InsertModule, ProceduresTaggedForAnotherTemplateAreLeftAlone) {
  Driver driver;
  driver.rig.gildex.InsertInto("--");
  driver.rig.gildex.DefaultTemplate("Logging");
  EXPECT_EQ(HandledProcedures(driver.Insert(kMixedModule)), std::vector<std::string>{});
}

TEST(InsertModule, TheStatusListSaysWhyAProcedureWasPassedOver) {
  Driver driver;
  const std::string before = Module(R"(
Public Sub Empty()
End Sub

Public Sub Tiny()
    Beep
End Sub

Private Sub Handled()
    ' On Error handled by caller
    Kill mFile
End Sub

Private Sub Skipped() ' <<>>
    Kill mFile
    Beep
End Sub

Private Sub Trapped()
    On Local Error Resume Next
    Kill mFile
End Sub

Private Sub Done()
    Kill mFile
    Beep
End Sub

Private Sub Cut()
    Kill mFile
    Beep
)");
  // One statement is enough for a handler; nothing between declaration and End is not.
  EXPECT_EQ(HandledProcedures(driver.Insert(before)), (std::vector<std::string>{"Tiny", "Done"}));
  EXPECT_EQ(driver.progress.statuses, (std::vector<std::string>{
                                          "Empty in modOrders too small for error handling.",
                                          "Handled in modOrders already has error trapping.",
                                          "Skipped skipped (user set set the skip tags)",
                                          "Trapped in modOrders already has error trapping.",
                                          "Cut in modOrders has no End line; left as it was.",
                                      }));
  EXPECT_EQ(driver.progress.messages,
            (std::vector<std::string>{"Processing modOrders (Empty)", "Processing modOrders (Tiny)",
                                      "Processing modOrders (Handled)", "Processing modOrders (Skipped)",
                                      "Processing modOrders (Trapped)", "Processing modOrders (Done)",
                                      "Processing modOrders (Cut)"}));
  const ProcedureTally& tally = driver.rig.gildex.Tally();
  EXPECT_EQ(std::vector<long>({tally.changed, tally.already_handled, tally.too_small, tally.skipped}),
            std::vector<long>({2, 2, 1, 2}));
}

TEST(InsertModule, IgnoreExistingAndSmallProcedureSettingsWidenOrNarrowTheChoice) {
  const std::string before = Module(R"(
Private Sub Handled()
    ' On Error handled by caller
    Kill mFile
End Sub

Private Sub Short()
    Kill mFile
    Beep
End Sub
)");
  Driver ignoring;
  ignoring.rig.gildex.IgnoreExisting(true);
  EXPECT_EQ(HandledProcedures(ignoring.Insert(before)), (std::vector<std::string>{"Handled", "Short"}));
  Driver small;
  small.rig.gildex.IgnoreSmallFunctions(true);
  small.rig.gildex.MinLines(3);
  EXPECT_EQ(HandledProcedures(small.Insert(before)), std::vector<std::string>{});
  EXPECT_EQ(small.progress.statuses.back(), "Short in modOrders too small for error handling.");
}

TEST(InsertModule, AModuleOfDeclarationsOnlyStaysAsItWas) {
  Driver driver;
  const std::string before = Module(R"(
Option Explicit
Public Const APP_TITLE As String = "Orders"
Public Declare Function GetTickCount Lib "kernel32" () As Long
Public Type OrderLine
    Amount As Currency
End Type
)");
  EXPECT_EQ(driver.Insert(before), before);
  EXPECT_TRUE(driver.progress.messages.empty());
}

TEST(InsertModule, PropertyProceduresOfOneNameEachGetTheirHandler) {
  Driver driver;
  EXPECT_EQ(driver.Insert(Module(R"(
Public Property Get Name() As String
    Name = mName
    Beep
End Property

Public Property Let Name(ByVal Value As String)
    mName = Value
    Beep
End Property

Public Property Set Owner(ByVal Value As Object)
    Set mOwner = Value
    Beep
End Property
)")),
            Module(R"(
Public Property Get Name() As String
On Error GoTo Name_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Name = mName
    Beep
' ---- Code Body Ends ---- (Standard)
	Exit Property
Name_ErrorHandler:
    MsgBox Err.Description
End Property

Public Property Let Name(ByVal Value As String)
On Error GoTo Name_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    mName = Value
    Beep
' ---- Code Body Ends ---- (Standard)
	Exit Property
Name_ErrorHandler:
    MsgBox Err.Description
End Property

Public Property Set Owner(ByVal Value As Object)
On Error GoTo Owner_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Set mOwner = Value
    Beep
' ---- Code Body Ends ---- (Standard)
	Exit Property
Owner_ErrorHandler:
    MsgBox Err.Description
End Property
)"));
  EXPECT_TRUE(driver.progress.statuses.empty());
}

const std::string kDuplicates = Module(R"(
Sub First()
    Beep
    Beep
End Sub

Sub Twice()
    x = 1
    x = 2
End Sub

Sub Twice()
    y = 1
    y = 2
End Sub

Sub Last()
    Beep
    Beep
End Sub
)");

TEST(InsertModule, ADuplicateNameAsksWhetherToGoOn) {
  Driver no;
  no.rig.dialogs.Answer(platform::vbNo);
  std::string after = no.Insert(kDuplicates);
  EXPECT_EQ(HandledProcedures(after), (std::vector<std::string>{"First", "Twice"}));
  ASSERT_EQ(no.rig.dialogs.Asked().size(), 1u);
  const platform::MessageBox& box = no.rig.dialogs.Asked()[0];
  EXPECT_EQ(box.prompt,
            "Gildex has detected a potential problem in modOrders\r\n"
            "Possible Cause : Duplicate Method Name Detected (Twice)\r\n"
            "Do you wish to continue processing???");
  EXPECT_EQ(box.style, platform::vbYesNo | platform::vbCritical);
  EXPECT_EQ(box.title, "Gildex");
  EXPECT_EQ(no.progress.statuses,
            std::vector<std::string>{"Processing halted due to possible duplicate method in modOrders"});

  // Yes goes on below the second Twice, which the host cannot tell from the first: it stays
  // as it was, and the first one is not given a second handler.
  Driver yes;
  yes.rig.dialogs.Answer(platform::vbYes);
  after = yes.Insert(kDuplicates);
  EXPECT_EQ(HandledProcedures(after), (std::vector<std::string>{"First", "Twice", "Last"}));
  EXPECT_NE(after.find("Sub Twice()\r\n    y = 1\r\n    y = 2\r\nEnd Sub"), std::string::npos);
  EXPECT_EQ(yes.rig.dialogs.Asked().size(), 1u);
  EXPECT_EQ(yes.progress.statuses, std::vector<std::string>{"Twice in modOrders already has error trapping."});
}

TEST(InsertModule, InsertingTwiceGivesWhatInsertingOnceGave) {
  Driver driver;
  const std::string once = driver.Insert(kMixedModule);
  driver.progress.statuses.clear();
  EXPECT_EQ(driver.Insert(once), once);
  EXPECT_EQ(driver.progress.statuses.size(), 5u);
}

TEST(InsertModule, CancelStopsAfterTheProcedureUnderWay) {
  Driver driver;
  int idle_calls = 0;
  // The second yield is the one at the end of the first procedure's round.
  driver.rig.loop.OnIdle([&] {
    if (++idle_calls == 2) driver.rig.gildex.Cancel(true);
  });
  const std::string after = driver.Insert(kMixedModule);
  EXPECT_EQ(HandledProcedures(after), std::vector<std::string>{"LoadItems"});
  EXPECT_EQ(after.substr(after.find("Public Function FunctionList")),
            kMixedModule.substr(kMixedModule.find("Public Function FunctionList")));
  EXPECT_EQ(idle_calls, 2);
  // The next run clears the flag and does the rest.
  EXPECT_EQ(HandledProcedures(driver.Insert(after)),
            (std::vector<std::string>{"LoadItems", "FunctionList", "FillList", "CountItems", "Items"}));
}

TEST(InsertModule, ScriptModeGivesEachProcedureToTheScriptFirst) {
  const std::string before = Module(R"(
Sub Save()
    Put #1, , mData
    Close #1
End Sub
)");
  const std::string with_template = Module(R"(
Sub Save()
On Error GoTo Save_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Put #1, , mData
    Close #1
' ---- Code Body Ends ---- (Standard)
	Exit Sub
Save_ErrorHandler:
    MsgBox Err.Description
End Sub
)");
  struct Case {
    ScriptErrors result;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {errSCRIPT_OK, Module(R"(
Sub Save()
    Put #1, , mData
    Debug.Print "saved"
    Close #1
End Sub
)")},
      {errSKIP_PROCEDURE, before},
      {errPROCEDURE_NORMAL, with_template},
      {errSYNTAX_ERR, with_template},
      {errSTOP_GILDEX, with_template},
  };
  for (const Case& c : cases) {
    Driver driver;
    FakeScript script;
    script.result = c.result;
    script.text = Module(R"(
Sub Save()
    Put #1, , mData
    Debug.Print "saved"
    Close #1
End Sub
)");
    driver.rig.gildex.InsertInto("*SCRIPT");
    driver.rig.gildex.SetScriptRunner(&script);
    EXPECT_EQ(driver.Insert(before), c.expected) << c.result;
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0], before);
  }
  Driver no_script_host;
  no_script_host.rig.gildex.InsertInto("*SCRIPT");
  EXPECT_EQ(no_script_host.Insert(before), with_template);
}

TEST(InsertModule, DeclarationsAndHiddenAttributeLinesNeverChange) {
  using host::CodeLine;
  using host::LineEnd;
  using host::RawLine;
  std::vector<CodeLine> lines;
  for (const char* text : {"Option Explicit", "Public Event Changed()", "", "Public Property Get Value() As Long",
                           "    Value = mValue", "    Beep", "End Property"})
    lines.push_back(CodeLine{RawLine{text, LineEnd::CrLf}, {}});
  lines[3].hidden.push_back(RawLine{"Attribute Value.VB_UserMemId = 0", LineEnd::CrLf});
  lines[6].line.end = LineEnd::Lf;
  host::MemoryCodeModule module("clsThing", lines, LineEnd::CrLf, nullptr);
  Driver driver;
  driver.rig.gildex.InsertModule(module, "clsThing", nullptr, false);
  const std::vector<CodeLine> after = module.ExportLines();
  ASSERT_EQ(after.size(), 13u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(after[i].line.text, lines[i].line.text);
    ASSERT_EQ(after[i].hidden.size(), lines[i].hidden.size());
  }
  EXPECT_EQ(after[3].hidden[0].text, "Attribute Value.VB_UserMemId = 0");
  EXPECT_EQ(after[4].line.text, "On Error GoTo Value_ErrorHandler");
  EXPECT_EQ(after[12].line.text, "End Property");
  EXPECT_EQ(after[12].line.end, LineEnd::Lf);  // the user's own line keeps its line end
}

// A project loaded from disk with the code window of `component` open.
struct OpenProject {
  explicit OpenProject(const std::string& module_text) {
    platform::testing::WriteBytes(dir / "Orders.vbp",
                                  "Type=Exe\r\nModule=modOrders; modOrders.bas\r\nName=\"Orders\"\r\n");
    platform::testing::WriteBytes(dir / "modOrders.bas",
                                  "Attribute VB_Name = \"modOrders\"\r\n" + module_text + "\r\n");
    host::LoadResult loaded = host::Load(vbe, dir / "Orders.vbp");
    EXPECT_TRUE(loaded.problems.empty());
    component = &loaded.projects.at(0)->At(0);
    vbe.ShowCode(*component);
  }
  host::CodeModule& Code() { return *component->Code(); }
  platform::testing::TempDir dir;
  host::MemoryVBE vbe;
  host::MemoryComponent* component = nullptr;
};

TEST(InsertModule, SelectionModeWorksOnlyInTheSelection) {
  OpenProject project(kMixedModule);
  Driver driver(&project.vbe);
  host::CodeModule& code = project.Code();
  // The user selected FillList from its declaration down to column 1 below End Sub.
  const host::Selection selection{14, 1, 18, 1};
  code.Pane().SetSelection(selection);
  driver.rig.gildex.InsertModule(code, "modOrders", project.vbe.ActiveVBProject(), true);
  const std::string after = code.Lines(1, code.CountOfLines());
  EXPECT_EQ(HandledProcedures(after), std::vector<std::string>{"FillList"});
  EXPECT_NE(after.find(Module(R"(
Sub FillList() ' GX2/Standard
On Error GoTo FillList_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    lst.Clear
    lst.AddItem "x"
' ---- Code Body Ends ---- (Standard)
	Exit Sub
FillList_ErrorHandler:
    MsgBox Err.Description
End Sub
)")),
            std::string::npos);
  const host::Selection restored = code.Pane().GetSelection();
  EXPECT_EQ(std::vector<long>({restored.start_line, restored.start_column, restored.end_line, restored.end_column}),
            std::vector<long>({14, 1, 18, 1}));
  EXPECT_EQ(project.component->MemoryCode()->CheckConsistency(), "");
}

TEST(InsertModule, ASelectionOfOneLineDoesNothing) {
  OpenProject project(kMixedModule);
  Driver driver(&project.vbe);
  host::CodeModule& code = project.Code();
  code.Pane().SetSelection(host::Selection{15, 1, 15, 9});
  driver.rig.gildex.InsertModule(code, "modOrders", nullptr, true);
  EXPECT_EQ(code.Lines(1, code.CountOfLines()), kMixedModule);
}

TEST(FindProcAtLine, FindsAndSelectsTheProcedureUnderTheCursor) {
  OpenProject project(kMixedModule);
  Driver driver(&project.vbe);
  struct Case {
    long line;
    bool found;
    long first, last;
  };
  const std::vector<Case> cases = {
      {1, false, 0, 0},   {2, false, 0, 0},   {3, true, 3, 8},   {6, true, 3, 8},
      {16, true, 13, 18}, {26, true, 23, 28}, {28, false, 0, 0}, {99, false, 0, 0},
  };
  for (const Case& c : cases) {
    long first = 0, last = 0;
    EXPECT_EQ(driver.rig.gildex.FindProcAtLine(c.line, first, last, true), c.found) << c.line;
    if (!c.found) continue;
    EXPECT_EQ(std::pair(first, last), std::pair(c.first, c.last)) << c.line;
    const host::Selection selected = project.Code().Pane().GetSelection();
    // The pane keeps a selection inside the module: below the last procedure it ends on End.
    EXPECT_EQ(std::pair(selected.start_line, selected.end_line), std::pair(c.first, std::min(c.last, 27L))) << c.line;
  }
  Driver no_host;
  long first = 0, last = 0;
  EXPECT_FALSE(no_host.rig.gildex.FindProcAtLine(4, first, last, false));
}

TEST(VbLimits, AModuleThatWouldPassVb6sLimitsIsReportedAndLeftAsItWas) {
  struct Case {
    std::string what;
    std::string module;
    std::string header;
    std::string status_start;
  };
  std::string long_module = "Option Explicit";
  for (int i = 0; i < 13000; ++i)
    long_module += "\r\nSub P" + std::to_string(i) + "()\r\n    Beep\r\n    Beep\r\nEnd Sub";
  const std::vector<Case> cases = {
      {"a line longer than 1,023 characters", Module(R"(
Sub Save()
    Kill mFile
    Beep
End Sub
)"),
       "On Error GoTo %ProcName%_ErrorHandler ' " + std::string(1000, '-'), "modOrders line 1: "},
      {"more than 65,534 lines", long_module, "On Error GoTo %ProcName%_ErrorHandler", "modOrders line 52001: "},
  };
  for (const Case& c : cases) {
    Driver driver;
    driver.rig.gildex.HeaderCode(c.header);
    const std::string before = c.module + "\r\n\r\n";
    EXPECT_EQ(driver.Insert(before), host::MemoryCodeModule::FromText("modOrders", before)->Text()) << c.what;
    ASSERT_EQ(driver.progress.statuses.size(), 1u) << c.what;
    EXPECT_TRUE(driver.progress.statuses[0].starts_with(c.status_start)) << driver.progress.statuses[0];
    EXPECT_TRUE(driver.progress.statuses[0].ends_with("modOrders left as it was.")) << driver.progress.statuses[0];
  }
}

TEST(VbLimits, AScriptTextThatWouldPassTheLimitLeavesItsProcedure) {
  Driver driver;
  FakeScript script;
  script.text = "Sub Save()\r\n    x = \"" + std::string(1100, 'x') + "\"\r\nEnd Sub";
  driver.rig.gildex.InsertInto("*SCRIPT");
  driver.rig.gildex.SetScriptRunner(&script);
  const std::string before = Module(R"(
Sub Save()
    Kill mFile
    Beep
End Sub
)");
  EXPECT_EQ(driver.Insert(before), before);
  ASSERT_EQ(driver.progress.statuses.size(), 1u);
  EXPECT_TRUE(driver.progress.statuses[0].starts_with("modOrders line 1: the script's text for Save"))
      << driver.progress.statuses[0];
}

TEST(SampleProject, EveryModuleGetsHandlersAndTheTrappedOnesAreReported) {
  const fs::path sample = fs::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp";
  host::MemoryVBE vbe;
  host::LoadResult loaded = host::Load(vbe, sample);
  ASSERT_TRUE(loaded.readable) << loaded.error;
  Driver driver(&vbe);
  int handled = 0;
  for (host::MemoryComponent* component : loaded.projects.at(0)->Components()) {
    host::MemoryCodeModule* code = component->MemoryCode();
    if (code == nullptr) continue;
    std::vector<host::CodeLine> before = code->ExportLines();
    const long declarations = code->CountOfDeclarationLines();
    driver.rig.gildex.InsertModule(*code, component->Name(), loaded.projects[0], false);
    EXPECT_EQ(code->CheckConsistency(), "") << component->Name();
    const std::vector<host::CodeLine> after = code->ExportLines();
    for (long i = 0; i < declarations; ++i) EXPECT_EQ(after[i].line.text, before[i].line.text) << component->Name();
    handled += static_cast<int>(HandledProcedures(code->Text()).size());
    // Nothing but inserted lines: every line the user wrote is still there, in order.
    while (!before.empty() && TrimSpaces(before.back().line.text).empty()) before.pop_back();
    std::size_t j = 0;
    for (const host::CodeLine& line : after)
      if (j < before.size() && line.line.text == before[j].line.text) ++j;
    EXPECT_EQ(j, before.size()) << component->Name();
  }
  EXPECT_GT(handled, 10);
  const std::vector<std::string>& statuses = driver.progress.statuses;
  for (const char* name : {"OpenDataFile", "SaveDataFile"})
    EXPECT_NE(
        std::find(statuses.begin(), statuses.end(), std::string(name) + " in modErrors already has error trapping."),
        statuses.end())
        << name;
  EXPECT_TRUE(driver.rig.dialogs.Asked().empty());
}

TEST(Corpus, EveryRealModuleTakesTheTemplateOnceAndKeepsEveryUserLine) {
  const fs::path corpus = fs::path(GILDEX_CORPUS_DIR);
  int modules = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || !cp1252::EqualsNoCase(entry.path().extension().string(), ".vbp")) continue;
    host::MemoryVBE vbe;
    host::LoadResult loaded = host::Load(vbe, entry.path());
    if (!loaded.readable || loaded.projects.empty()) continue;
    Driver driver(&vbe);
    for (host::MemoryComponent* component : loaded.projects[0]->Components()) {
      host::MemoryCodeModule* code = component->MemoryCode();
      if (code == nullptr || !component->Usable()) continue;
      ++modules;
      std::vector<host::CodeLine> before = code->ExportLines();
      driver.rig.gildex.InsertModule(*code, component->Name(), loaded.projects[0], false);
      ASSERT_EQ(code->CheckConsistency(), "") << component->File();
      const std::string once = code->Text();
      driver.rig.gildex.InsertModule(*code, component->Name(), loaded.projects[0], false);
      EXPECT_EQ(code->Text(), once) << component->File();
      while (!before.empty() && TrimSpaces(before.back().line.text).empty() && before.back().hidden.empty())
        before.pop_back();
      const std::vector<host::CodeLine> after = code->ExportLines();
      std::size_t j = 0;
      for (const host::CodeLine& line : after) {
        if (j < before.size() && line.line.text == before[j].line.text) {
          EXPECT_EQ(line.hidden.size(), before[j].hidden.size()) << component->File() << ": " << line.line.text;
          ++j;
        }
      }
      EXPECT_EQ(j, before.size()) << component->File();
    }
    EXPECT_TRUE(driver.rig.dialogs.Asked().empty()) << entry.path();
  }
  EXPECT_GT(modules, 50);
}

TEST(InsertModule, RemovingWhatWasInsertedGivesTheModuleBack) {
  Driver driver;
  auto module = host::MemoryCodeModule::FromText("modOrders", kMixedModule + "\r\n");
  driver.rig.gildex.InsertModule(*module, "modOrders", nullptr, false);
  ASSERT_NE(module->Text(), kMixedModule);
  driver.rig.gildex.RemoveModule(*module, false);
  EXPECT_EQ(module->Text(), kMixedModule);  // less the trailing blank line the insert trimmed
  EXPECT_EQ(module->CheckConsistency(), "");
}

// Random modules of the shapes real ones have, with every procedure a Gildex-free text.
std::string RandomModule(std::mt19937& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string text =
      "Option Explicit\r\nPrivate mCount As Long\r\nPrivate Declare Function GetTickCount Lib \"kernel32\" _\r\n"
      "    () As Long\r\n";
  const int procs = 1 + pick(12);
  for (int p = 0; p < procs; ++p) {
    const std::string name = "Proc" + std::to_string(p);
    const char* kinds[] = {"Sub", "Function", "Property Get", "Property Let"};
    const std::string kind = kinds[pick(4)];
    const std::string word = kind.substr(0, kind.find(' '));
    if (pick(2)) text += "\r\n' " + name + ": does its part\r\n";
    text += std::string(pick(3) == 0 ? "Private " : "Public ") + kind + " " + name +
            (kind == "Property Let" ? "(ByVal V As Long, _\r\n        ByVal W As Long)\r\n" : "()\r\n");
    const int body = pick(8);
    for (int b = 0; b < body; ++b) {
      switch (pick(7)) {
        case 0:
          text += "    Dim x" + std::to_string(b) + " As Long\r\n";
          break;
        case 1:
          text += "    ' note " + std::to_string(b) + "\r\n";
          break;
        case 2:
          text += "    Select Case mCount\r\n    Case 1\r\n        Beep\r\n    End Select\r\n";
          break;
        case 3:
          text += "    If mCount > 0 Then\r\n        mCount = mCount - 1\r\n    End If\r\n";
          break;
        case 4:
          text += "Retry" + std::to_string(b) + ":\r\n";
          break;
        case 5:
          text += "\r\n";
          break;
        default:
          text += "    MsgBox \"Count \" & _\r\n        mCount\r\n";
          break;
      }
    }
    text += "End " + word + "\r\n";
  }
  return text;
}

TEST(GeneratedModules, InsertKeepsTheProcedureTableAndEveryUserLine) {
  std::mt19937 random(20240309);
  for (int round = 0; round < 150; ++round) {
    const std::string before = RandomModule(random);
    Driver driver;
    driver.rig.gildex.HeaderAfterComments(round % 2 == 0);
    driver.rig.gildex.ReplaceBodyHandlers(round % 3 == 0);
    auto module = host::MemoryCodeModule::FromText("modGen", before);
    driver.rig.gildex.InsertModule(*module, "modGen", nullptr, false);
    ASSERT_EQ(module->CheckConsistency(), "") << before;
    const std::string once = module->Text();
    // Each handled procedure has exactly one header and one footer, in that order.
    for (const std::string& name : HandledProcedures(once)) {
      const std::string label = "\r\n" + name + "_ErrorHandler:\r\n";
      EXPECT_NE(once.find(label), std::string::npos) << once;
      EXPECT_EQ(once.find(label), once.rfind(label)) << once;
    }
    // Insert twice is insert once.
    auto again = host::MemoryCodeModule::FromText("modGen", once);
    driver.rig.gildex.InsertModule(*again, "modGen", nullptr, false);
    EXPECT_EQ(again->Text(), once);
    // Only lines were added: the user's lines are all there, in their order.
    std::vector<std::string> user, result;
    auto split = [](const std::string& text, std::vector<std::string>& out) {
      for (std::size_t at = 0;;) {
        const std::size_t stop = text.find("\r\n", at);
        out.push_back(text.substr(at, stop == std::string::npos ? std::string::npos : stop - at));
        if (stop == std::string::npos) return;
        at = stop + 2;
      }
    };
    split(before, user);
    split(once, result);
    while (!user.empty() && TrimSpaces(user.back()).empty()) user.pop_back();
    std::size_t j = 0;
    for (const std::string& line : result)
      if (j < user.size() && line == user[j]) ++j;
    EXPECT_EQ(j, user.size()) << before;
  }
}

}  // namespace
}  // namespace gildex
