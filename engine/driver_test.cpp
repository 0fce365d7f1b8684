// The module driver: which procedures get the template and why the others do not, duplicate
// names, Cancel, selections, the user's script, VB6's limits, and round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/host_test.h"
#include "host/memory_code_module.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using testing::Engine;
using testing::Module;
using testing::Operation;
using testing::WithStandard;

struct FakeScript : ScriptRunner {
  void SetBudget(ScriptBudget given) override { budget = std::move(given); }
  ScriptErrors RunProcess(const std::string& proc_code, std::string& new_text) override {
    seen.push_back(proc_code);
    // A cancel while the script runs reaches it through the host's loop.
    EXPECT_TRUE(!failure.cancelled || (budget.cancelled && budget.cancelled()));
    new_text = text;
    return result;
  }
  ScriptFailure LastFailure() const override { return failure; }
  ScriptErrors result = errSCRIPT_OK;
  std::string text;
  ScriptFailure failure;
  std::vector<std::string> seen;
  ScriptBudget budget{0, nullptr};
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

// Five procedures; FillList is declared on line 14 and tagged for the Standard template,
// CountItems on the last line of its continued declaration, LoadItems for another template.
const std::string kMixedModule = Module(
    "Option Explicit\nPrivate mItems As Collection\n\nPublic Sub LoadItems() ' GX2/StandardPlus\n"
    "    Set mItems = New Collection\n"
    "    Refresh\nEnd Sub\n\nPublic Function FunctionList() As String\n    FunctionList = \"A\"\n    Beep\n"
    "End Function\n\nSub FillList() ' GX2/Standard\n    lst.Clear\n    lst.AddItem \"x\"\nEnd Sub\n\n"
    "Private Function CountItems( _\n    ) As Long ' gx2/STANDARD \n    CountItems = mItems.Count\nEnd Function\n\n"
    "Public Property Get Items() As Collection\n    Set Items = mItems\n    Beep\nEnd Property\n");

TEST(InsertModule, InsertIntoAndTheTemplateTagChooseTheProcedures) {
  const struct {
    std::string insert_into, template_name;
    std::vector<std::string> handled;
  } cases[] = {
      {"", "Standard", {"LoadItems", "FunctionList", "FillList", "CountItems", "Items"}},
      {"FUNCTION", "Standard", {"FunctionList", "CountItems"}},
      {"SUB", "Standard", {"LoadItems", "FillList"}},
      {"PROPERTY", "Standard", {"Items"}},
      {"Items", "Standard", {"LoadItems", "CountItems", "Items"}},  // by name, any letter case
      {"Function", "Standard", {"FunctionList"}},  // the type text is compared exactly
      {"--", "Standard", {"FillList", "CountItems"}},  // only the procedures tagged for this template
      {"--", "standardplus", {"LoadItems"}},
      {"--", "Logging", {}},
  };
  for (const auto& c : cases) {
    Engine engine;
    engine.rig.gildex.InsertInto(c.insert_into);
    engine.rig.gildex.DefaultTemplate(c.template_name);
    EXPECT_EQ(HandledProcedures(engine.Run(Operation::Insert, kMixedModule)), c.handled) << c.insert_into;
    EXPECT_TRUE(engine.progress.statuses.empty());
  }
}

TEST(InsertModule, TheStatusListSaysWhyAProcedureWasPassedOver) {
  const std::string before = Module(
      "Public Sub Empty()\nEnd Sub\n\nPublic Sub Tiny()\n    Beep\nEnd Sub\n\n"
      "Private Sub Open()\n    Kill mFile\n    Beep\n\nPrivate Sub Closed()\n    Kill mFile\n    Beep\nEnd Sub\n\n"
      "Private Sub Handled()\n    ' On Error handled by caller\n    Kill mFile\nEnd Sub\n\n"
      "Private Sub Skipped() ' <<>>\n    Kill mFile\n    Beep\nEnd Sub\n\n"
      "Private Sub Trapped()\n    On Local Error Resume Next\n    Kill mFile\nEnd Sub\n\n"
      "Private Sub Cut()\n    Kill mFile\n    Beep\n");
  auto small = [](const char* name) { return std::string(name) + " in modOrders too small for error handling."; };
  auto trapping = [](const char* name) { return std::string(name) + " in modOrders already has error trapping."; };
  const std::string skipped = "Skipped skipped (user set set the skip tags)";
  const std::string cut = "Cut in modOrders has no End line; left as it was.";
  const std::string open = "Open in modOrders has no End line; left as it was.";
  const struct {
    bool ignore_existing, ignore_small;
    std::vector<std::string> handled, statuses;
  } cases[] = {
      // One statement is enough for a handler; nothing between declaration and End is not.
      // Open, without its End, runs on into Closed: both are left as they are.
      {false, false, {"Tiny"}, {small("Empty"), open, trapping("Handled"), skipped, trapping("Trapped"), cut}},
      {true, false, {"Tiny", "Handled", "Trapped"}, {small("Empty"), open, skipped, cut}},
      // Smallness is judged first: three lines between declaration and End are not more than MinLines.
      {false, true, {}, {small("Empty"), small("Tiny"), open, small("Handled"), small("Skipped"), small("Trapped"), small("Cut")}},
  };
  for (const auto& c : cases) {
    Engine engine;
    engine.rig.gildex.IgnoreExisting(c.ignore_existing);
    engine.rig.gildex.IgnoreSmallFunctions(c.ignore_small);
    engine.rig.gildex.MinLines(3);
    EXPECT_EQ(HandledProcedures(engine.Run(Operation::Insert, before)), c.handled);
    EXPECT_EQ(engine.progress.statuses, c.statuses);
    EXPECT_EQ(engine.progress.messages.size(), 7u) << "one message for every procedure (Open and Closed are one)";
  }
}

TEST(InsertModule, ADuplicateNameAsksWhetherToGoOn) {
  const std::string before = Module("Sub First()\n    Beep\nEnd Sub\n\nSub Twice()\n    x = 1\nEnd Sub\n\n"
                                    "Sub Twice()\n    y = 1\nEnd Sub\n\nSub Last()\n    Beep\nEnd Sub\n");
  Engine no;
  no.rig.dialogs.Answer(platform::vbNo);
  EXPECT_EQ(HandledProcedures(no.Run(Operation::Insert, before)), (std::vector<std::string>{"First", "Twice"}));
  ASSERT_EQ(no.rig.dialogs.Asked().size(), 1u);
  EXPECT_EQ(no.rig.dialogs.Asked()[0].prompt,
            "Gildex has detected a potential problem in modOrders\r\n"
            "Possible Cause : Duplicate Method Name Detected (Twice)\r\n"
            "Do you wish to continue processing???");
  EXPECT_EQ(no.rig.dialogs.Asked()[0].style, platform::vbYesNo | platform::vbCritical);
  EXPECT_EQ(no.progress.statuses,
            std::vector<std::string>{"Processing halted due to possible duplicate method in modOrders"});

  // Yes goes on below the second Twice, which the host cannot tell from the first: it stays
  // as it was, and the first one is not given a second handler.
  Engine yes;
  yes.rig.dialogs.Answer(platform::vbYes);
  const std::string after = yes.Run(Operation::Insert, before);
  EXPECT_EQ(HandledProcedures(after), (std::vector<std::string>{"First", "Twice", "Last"}));
  EXPECT_NE(after.find("Sub Twice()\r\n    y = 1\r\nEnd Sub"), std::string::npos);
  EXPECT_EQ(yes.progress.statuses, std::vector<std::string>{"Twice in modOrders already has error trapping."});
}

// Cancel is looked at between procedures only: each one is done whole or not at all, and
// the next run clears the flag and does the rest.
TEST(ModuleDriver, CancelStopsAfterTheProcedureUnderWay) {
  const std::string plain = "Sub A()\n    Beep\nEnd Sub\n\nSub B()\n    Beep\nEnd Sub\n";
  const std::string handled = WithStandard("Sub A()", "    Beep\n") + "\n" + WithStandard("Sub B()", "    Beep\n");
  const struct {
    Operation operation;
    int cancel_at_idle;
    std::string before, after;
  } cases[] = {
      {Operation::Insert, 2, plain, WithStandard("Sub A()", "    Beep\n") + "\nSub B()\n    Beep\nEnd Sub\n"},
      {Operation::Remove, 1, handled, "Sub A()\n    Beep\nEnd Sub\n\n" + WithStandard("Sub B()", "    Beep\n")},
      {Operation::Number, 2, "Sub A()\n    ' note\n    a = 1\n    b = 2\nEnd Sub\n\nSub B()\n    c = 3\nEnd Sub\n",
       "Sub A()\n    ' note\n10     a = 1\n20     b = 2\nEnd Sub\n\nSub B()\n    c = 3\nEnd Sub\n"},
  };
  for (const auto& c : cases) {
    Engine engine;
    int idle_calls = 0;
    engine.rig.loop.OnIdle([&] {
      if (++idle_calls == c.cancel_at_idle) engine.rig.gildex.Cancel(true);
    });
    const std::string after = engine.Run(c.operation, Module(c.before));
    EXPECT_EQ(after, Module(c.after)) << NameOf(c.operation);
    Engine whole;
    EXPECT_EQ(engine.Run(c.operation, after), whole.Run(c.operation, Module(c.before))) << NameOf(c.operation);
  }
}

// The script's answer decides each procedure; text that is not one whole procedure is refused,
// a failure falls back to the template, and after a limit the script is not run again: the
// user chooses the template for the rest or a stop.
TEST(InsertModule, ScriptModeGivesEachProcedureToTheScriptFirst) {
  const std::string save = "Sub Save()\n    Close #1\nEnd Sub\n", load = "\nSub Load()\n    Beep\nEnd Sub\n";
  const std::string scripted = "Sub Save()\n    Debug.Print \"saved\"\n    Close #1\nEnd Sub\n";
  const std::string trapped = WithStandard("Sub Save()", "    Close #1\n");
  const std::string both = trapped + "\n" + WithStandard("Sub Load()", "    Beep\n");
  const std::string failed = "Save in modOrders: the script failed with ";
  auto refused = [](const std::string& why) {
    return std::vector<std::string>{"Save in modOrders: the script's text is not one whole procedure (" + why + "); Save left as it was."};
  };
  const ScriptFailure limit{1000000, "Out of steps", true};
  const struct {
    ScriptErrors result;
    std::string text, before, after;
    std::vector<std::string> statuses;
    ScriptFailure failure = {};
    platform::MsgBoxResult answer = platform::vbOK;
    std::size_t runs = 1;
  } cases[] = {
      {errSCRIPT_OK, scripted, save, scripted, {}}, {errSKIP_PROCEDURE, "", save, save, {}},
      {errPROCEDURE_NORMAL, "X", save, trapped, {}}, {errSTOP_GILDEX, "", save, trapped, {failed + "an error it did not name; falling back to the template."}},
      {errSYNTAX_ERR, "", save, trapped, {failed + "error 5 (Bad)" + "; falling back to the template."}, {5, "Bad", false}},
      {errSCRIPT_OK, "x = 1", save, save, refused("line 1 stands outside a procedure")},
      {errSCRIPT_OK, "' nothing", save, save, refused("it holds no procedure")},
      {errSCRIPT_OK, save + "Sub Extra()\nEnd Sub\n", save, save, refused("it holds more than one procedure")},
      {errSCRIPT_OK, "Sub Save()\n    Beep\nEnd Function\n", save, save, refused("line 3: Sub Save ends with End Function")},
      {errSCRIPT_OK, "Sub Save()\n    x = \"" + std::string(1100, 'x') + "\"\nEnd Sub", save, save,
       {"modOrders line 1: the script's text for Save would pass VB6's limit of 1,023 characters a line or 65,534 lines a "
        "module; Save left as it was."}},
      {errSYNTAX_ERR, "", save + load, both,
       {failed + "error 1000000 (Out of steps); falling back to the template.",
        "The script hit a limit and was not run on the remaining procedures."}, limit, platform::vbYes},
      {errSYNTAX_ERR, "", save + load, save + load,
       {failed + "error 1000000 (Out of steps); left as it was.", "Processing halted: the script hit a limit."}, limit,
       platform::vbNo},
      {errSYNTAX_ERR, "", save + load, save + load, {}, {1000002, "Operation was cancelled by user.", false, true}},
  };
  for (const auto& c : cases) {
    Engine engine;
    FakeScript script;
    script.result = c.result;
    script.text = Module(c.text);
    script.failure = c.failure;
    if (c.answer != platform::vbOK) engine.rig.dialogs.Answer(c.answer);
    engine.rig.gildex.InsertInto("*SCRIPT");
    engine.rig.gildex.SetScriptRunner(&script);
    if (c.failure.cancelled) engine.rig.loop.OnIdle([&] { engine.rig.gildex.Cancel(!script.seen.empty()); });
    EXPECT_EQ(engine.Run(Operation::Insert, Module(c.before)), Module(c.after)) << c.text;
    EXPECT_EQ(script.budget.seconds, 10);
    EXPECT_EQ(script.seen.size(), c.runs) << c.text;
    EXPECT_EQ(engine.progress.statuses, c.statuses) << c.text;
    EXPECT_EQ(engine.rig.dialogs.Asked().size(), c.answer == platform::vbOK ? 0u : 1u);
    EXPECT_EQ(engine.rig.gildex.Cancel(), c.answer == platform::vbNo || c.failure.cancelled);
  }
  Engine no_script_host;
  no_script_host.rig.gildex.InsertInto("*SCRIPT");
  EXPECT_EQ(no_script_host.Run(Operation::Insert, Module(save)), Module(trapped));
}

// A module that a change would take past what VB6 can load is reported and left whole.
TEST(ModuleDriver, AChangePastVb6sLimitsIsReportedAndTheModuleLeftAsItWas) {
  std::string long_module = "Option Explicit";
  for (int i = 0; i < 13000; ++i) long_module += "\r\nSub P" + std::to_string(i) + "()\r\n    Beep\r\n    Beep\r\nEnd Sub";
  const std::string save = Module("Sub Save()\n    Kill mFile\nEnd Sub\n");
  // 1,021 characters: "10 " in front would make it 1,024; one less fits.
  const std::string long_line = "Sub A()\r\n    s = \"" + std::string(1011, 'x') + "\"\r\nEnd Sub";
  const std::string fits = "Sub A()\r\n    s = \"" + std::string(1010, 'x') + "\"\r\nEnd Sub";
  const struct {
    std::string what;
    Operation operation;
    std::function<void(CGildex&)> settings;
    std::string module;
    std::string status;  // how it starts; empty: the change is made
  } cases[] = {
      {"a header line longer than 1,023 characters", Operation::Insert,
       [](CGildex& g) { g.HeaderCode("On Error GoTo %ProcName%_ErrorHandler ' " + std::string(1000, '-')); }, save,
       "modOrders line 1: "},
      {"more than 65,534 lines", Operation::Insert, nullptr, long_module, "modOrders line 52001: "},
      {"a line number past 1,023 characters", Operation::Number, nullptr, long_line,
       "modOrders line 2: its line number would make the line longer than 1,023 characters, more than VB6 allows; "
       "modOrders left as it was."},
      {"a line number that just fits", Operation::Number, nullptr, fits, ""},
  };
  for (const auto& c : cases) {
    Engine engine;
    if (c.settings) c.settings(engine.rig.gildex);
    // A module left whole keeps even its trailing blank lines.
    const std::string before = c.module + "\r\n\r\n";
    const std::string after = engine.Run(c.operation, before);
    if (c.status.empty()) {
      EXPECT_TRUE(engine.progress.statuses.empty()) << c.what;
      EXPECT_NE(after, c.module) << c.what;
      continue;
    }
    EXPECT_EQ(after, host::MemoryCodeModule::FromText("modOrders", before)->Text()) << c.what;
    ASSERT_EQ(engine.progress.statuses.size(), 1u) << c.what;
    EXPECT_TRUE(engine.progress.statuses[0].starts_with(c.status)) << engine.progress.statuses[0];
    EXPECT_TRUE(engine.progress.statuses[0].ends_with("modOrders left as it was.")) << engine.progress.statuses[0];
  }
}

// The project of one module, with its code window open.
struct OpenProject : testing::ScratchProject {
  explicit OpenProject(const std::string& text) : ScratchProject({{"modOrders", text}}) { vbe.ShowCode(Component(0)); }
  host::CodeModule& Code() { return *Component(0).Code(); }
};

TEST(ModuleDriver, SelectionModeWorksOnlyOnTheSelectedProcedures) {
  const std::string three = "Option Explicit\n\n" + WithStandard("Sub A()", "    Beep\n") + "\n" +
                            WithStandard("Sub B()", "    Beep\n") + "\n" + WithStandard("Sub C()", "    Beep\n");
  const std::string two = "Option Explicit\n\nSub First()\n    a = 1\n    b = 2\nEnd Sub\n\nSub Second()\n    c = 3\nEnd Sub\n";
  const std::string fill_list = kMixedModule.substr(0, kMixedModule.find("Sub FillList"));
  const struct {
    Operation operation;
    host::Selection selection;
    std::string before, after;
  } cases[] = {
      // FillList from its declaration down to column 1 below its End.
      {Operation::Insert, {14, 1, 18, 1}, kMixedModule,
       fill_list + Module(WithStandard("Sub FillList() ' GX2/Standard", "    lst.Clear\n    lst.AddItem \"x\"\n")) +
           "\r\n\r\n" + kMixedModule.substr(kMixedModule.find("\r\nPrivate Function CountItems") + 2)},
      {Operation::Insert, {15, 1, 15, 9}, kMixedModule, kMixedModule},  // one line selects no procedure
      // B from the blank line above it to column 1 below its End: the selection's end moves up
      // with what B loses, so C stays out.
      {Operation::Remove, {12, 1, 22, 1}, Module(three),
       Module("Option Explicit\n\n" + WithStandard("Sub A()", "    Beep\n") + "\nSub B()\n    Beep\nEnd Sub\n\n" +
              WithStandard("Sub C()", "    Beep\n"))},
      {Operation::Number, {5, 1, 9, 4}, Module(two),
       Module("Option Explicit\n\nSub First()\n    a = 1\n10     b = 2\nEnd Sub\n\nSub Second()\n20     c = 3\nEnd Sub\n")},
  };
  for (const auto& c : cases) {
    OpenProject project(c.before);
    Engine engine;
    engine.rig.gildex.SetVBE(&project.vbe);
    project.Code().Pane().SetSelection(c.selection);
    Apply(engine.rig.gildex, c.operation, project.Code(), true);
    EXPECT_EQ(project.Text(0), c.after) << NameOf(c.operation);
    EXPECT_EQ(project.Component(0).MemoryCode()->CheckConsistency(), "");
    if (c.operation == Operation::Number) {
      Apply(engine.rig.gildex, Operation::UnNumber, project.Code(), true);
      EXPECT_EQ(project.Text(0), c.before);
    }
  }
}

TEST(FindProcAtLine, FindsAndSelectsTheProcedureUnderTheCursor) {
  OpenProject project(kMixedModule);
  Engine engine;
  engine.rig.gildex.SetVBE(&project.vbe);
  const struct {
    long line;
    bool found;
    long first, last;
  } cases[] = {
      {2, false, 0, 0}, {3, true, 3, 8}, {16, true, 13, 18}, {26, true, 23, 28}, {28, false, 0, 0}, {99, false, 0, 0},
  };
  for (const auto& c : cases) {
    long first = 0, last = 0;
    EXPECT_EQ(engine.rig.gildex.FindProcAtLine(c.line, first, last, true), c.found) << c.line;
    if (!c.found) continue;
    EXPECT_EQ(std::pair(first, last), std::pair(c.first, c.last)) << c.line;
    const host::Selection selected = project.Code().Pane().GetSelection();
    // The pane keeps a selection inside the module: below the last procedure it ends on End.
    EXPECT_EQ(std::pair(selected.start_line, selected.end_line), std::pair(c.first, std::min(c.last, 27L))) << c.line;
  }
  Engine no_host;
  long first = 0, last = 0;
  EXPECT_FALSE(no_host.rig.gildex.FindProcAtLine(4, first, last, false));
}

// --- Round trips. ---

// Texts that are Gildex's own: a module holding one may lose it on removal.
bool HoldsGildexText(const std::string& text) {
  for (const char* own : {"Code Body Starts", "Code Body Ends", "'gildexlog", "_ErrorHandler"})
    if (cp1252::FindNoCase(text, own) != std::string::npos) return true;
  return false;
}

std::string WithoutTrailingBlankLines(std::string text) {
  for (;;) {
    const std::size_t last = text.rfind("\r\n");
    if (last == std::string::npos || !TrimSpaces(std::string_view(text).substr(last + 2)).empty()) break;
    text.resize(last);
  }
  if (TrimSpaces(text).empty()) text.clear();
  return text;
}

// True when every line of `before` is in `after`, in its order: only lines were added.
bool KeepsEveryLine(const std::string& before, const std::string& after) {
  const std::string wrapped = "\r\n" + after + "\r\n";
  std::size_t at = 0;
  for (std::size_t from = 0; from <= before.size();) {
    const std::size_t stop = std::min(before.find("\r\n", from), before.size());
    const std::string line = "\r\n" + before.substr(from, stop - from) + "\r\n";
    at = wrapped.find(line, at);
    if (at == std::string::npos) return false;
    at += line.size() - 2;
    from = stop + 2;
  }
  return true;
}

// The module through every operation: insert once is insert twice and keeps every line,
// remove gives it back; number once is number twice, un-number gives it back.
void ExpectRoundTrips(const std::string& before, Engine& engine, bool own_numbers, const std::string& where) {
  // A module handed over as text keeps no trailing blank line for sure; they are not compared.
  auto trimmed = [&](Operation operation, const std::string& text) {
    return WithoutTrailingBlankLines(engine.Run(operation, text));
  };
  const std::string start = WithoutTrailingBlankLines(before);
  const std::string inserted = trimmed(Operation::Insert, before);
  EXPECT_TRUE(KeepsEveryLine(start, inserted)) << where;
  EXPECT_EQ(trimmed(Operation::Insert, inserted), inserted) << where;
  if (!HoldsGildexText(before)) {
    EXPECT_EQ(trimmed(Operation::Remove, inserted), start) << where << "\n" << inserted;
  }
  const std::string numbered = trimmed(Operation::Number, before);
  EXPECT_EQ(trimmed(Operation::Number, numbered), numbered) << where;
  if (!own_numbers) {
    EXPECT_EQ(trimmed(Operation::UnNumber, numbered), start) << where;
  }
  EXPECT_TRUE(engine.rig.dialogs.Asked().empty()) << where;
}

// Random modules of the shapes real ones have, free of Gildex's own texts.
std::string RandomModule(std::mt19937& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string text = "Option Explicit\r\nPrivate mCount As Long\r\nPrivate Declare Function GetTickCount Lib "
                     "\"kernel32\" _\r\n    () As Long\r\n";
  const int procs = 1 + pick(10);
  for (int p = 0; p < procs; ++p) {
    const std::string name = "Proc" + std::to_string(p);
    const char* kinds[] = {"Sub", "Function", "Property Get", "Property Let"};
    const std::string kind = kinds[pick(4)];
    if (pick(2)) text += "\r\n' " + name + ": does its part\r\n";
    text += std::string(pick(3) == 0 ? "Private " : "Public ") + kind + " " + name +
            (kind == "Property Let" ? "(ByVal V As Long, _\r\n        ByVal W As Long)\r\n" : "()\r\n");
    if (pick(3) == 0) text += "    ' what it does\r\n";
    for (int b = pick(8); b > 0; --b) {
      const std::string lines[] = {"    Dim x" + std::to_string(b) + " As Long\r\n",
                             "    ' note\r\n",
                             "    Select Case mCount\r\n    Case 1\r\n        Beep\r\n    End Select\r\n",
                             "    If mCount > 0 Then\r\n        mCount = mCount - 1\r\n    End If\r\n",
                             "Retry" + std::to_string(b) + ":\r\n",
                             "\r\n",
                             "    If mCount Then _\r\n        Beep\r\n",
                             "    MsgBox \"Count \" & _\r\n        mCount\r\n"};
      text += lines[pick(8)];
    }
    text += "End " + kind.substr(0, kind.find(' ')) + "\r\n";
  }
  return WithoutTrailingBlankLines(text);
}

TEST(RoundTrip, GeneratedModulesUnderEverySetting) {
  std::mt19937 random(7031);
  for (int round = 0; round < 200; ++round) {
    Engine engine;
    engine.rig.gildex.HeaderAfterComments(round % 2 == 0);
    engine.rig.gildex.AutoExit(round % 3 == 0);
    engine.rig.gildex.FullLogging(round % 5 == 0);
    engine.rig.gildex.FullLoggingCode("Debug.Print \"%PrevLine%\"");
    engine.rig.gildex.NumberCommentLines(round % 7 == 0);
    ExpectRoundTrips(RandomModule(random), engine, false, "round " + std::to_string(round));
  }
}

// Every module of the sample project and of the corpus. That the files written back after an
// insert and a remove come back byte for byte is the command line's round-trip test.
TEST(RoundTrip, EveryModuleOfTheRealProjects) {
  std::vector<fs::path> projects = {fs::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp"};
  const bool corpus = fs::is_directory(host::testing::kCorpus);
  if (corpus)
    for (const fs::path& project : host::testing::CorpusFiles({".vbp"})) projects.push_back(project);
  int compared = 0;
  for (const fs::path& path : projects) {
    host::MemoryVBE vbe;
    const host::LoadResult loaded = host::Load(vbe, path);
    if (!loaded.readable || loaded.HasFatal()) continue;
    for (host::MemoryProject* project : loaded.projects) {
      for (host::MemoryComponent* component : project->Components()) {
        host::MemoryCodeModule* code = component->MemoryCode();
        if (code == nullptr) continue;
        Engine engine;
        bool own_numbers = false;
        for (long line = code->CountOfDeclarationLines() + 1; line <= code->CountOfLines(); ++line)
          own_numbers |= engine.rig.gildex.RemoveLineNumber(code->Lines(line, 1)) != code->Lines(line, 1);
        ExpectRoundTrips(code->Text(), engine, own_numbers, component->FileNames(1));
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 5);
  if (!corpus) GTEST_SKIP() << "corpus not found at " << host::testing::kCorpus << "; only the sample project was checked";
  EXPECT_GT(compared, 100);
}

}  // namespace
}  // namespace gildex
