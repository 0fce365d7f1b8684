// Taking error handling out again as a VB6 developer expects it: the blocks between marker
// lines (of any template), blocks of the current template written without markers, logging
// lines, handler statements pointed back at "On Error GoTo 0", and what is never touched.
// Round trips insert then remove run on the sample project, the corpus and generated modules.
#include <gtest/gtest.h>

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

// The engine with the template most users start from.
struct Remover {
  Remover() {
    testing::UseStandardTemplate(rig.gildex, "    MsgBox Err.Description");
    rig.gildex.SetProgress(&progress);
  }

  std::string Remove(std::string_view text) {
    return testing::Rewritten(
        text, [&](host::CodeModule& module) { rig.gildex.RemoveModule(module, false); });
  }
  std::string Insert(std::string_view text) {
    return testing::Rewritten(
        text, [&](host::CodeModule& module) { rig.gildex.InsertModule(module, "modOrders", nullptr, false); });
  }

  EngineRig rig;
  RecordingProgress progress;
};

TEST(RemoveModule, TakesOutWhatInsertionPutIn) {
  Remover remover;
  EXPECT_EQ(remover.Remove(Module(R"(
Option Explicit
Private mTotal As Currency

' Adds one order line.
Public Sub AddLine(ByVal Amount As Currency, _
                   ByVal Quantity As Long)
On Error GoTo AddLine_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Dim Line As Currency
    Line = Amount * Quantity
    On Error GoTo AddLine_ErrorHandler
    mTotal = mTotal + Line
' ---- Code Body Ends ---- (Standard)
	Exit Sub
AddLine_ErrorHandler:
    MsgBox Err.Description
End Sub

Private Property Get Total() As Currency
On Error GoTo Total_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Total = mTotal
    Beep
' ---- Code Body Ends ---- (Standard)
	Exit Property
Total_ErrorHandler:
    MsgBox Err.Description
End Property
)")),
            Module(R"(
Option Explicit
Private mTotal As Currency

' Adds one order line.
Public Sub AddLine(ByVal Amount As Currency, _
                   ByVal Quantity As Long)
    Dim Line As Currency
    Line = Amount * Quantity
    On Error GoTo 0
    mTotal = mTotal + Line
End Sub

Private Property Get Total() As Currency
    Total = mTotal
    Beep
End Property
)"));
  EXPECT_EQ(remover.progress.messages,
            (std::vector<std::string>{"Processing modOrders (AddLine)", "Processing modOrders (Total)"}));
  EXPECT_TRUE(remover.progress.statuses.empty());
  EXPECT_TRUE(remover.rig.dialogs.Asked().empty());
}

struct ShapeCase {
  std::string name;
  std::string before;
  std::string after;
};

// Each shape of inserted code, with the current template above (a header and footer that
// use %ProcName%, so that they can only be found by their markers).
TEST(RemoveModule, RecognisesEachShapeOfInsertedCode) {
  const std::vector<ShapeCase> cases = {
      {"a header and footer of another template", Module(R"(
Sub A()
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Verbose)
    x = 1
' ---- Code Body Ends ---- (Verbose)
	Exit Sub
A_ErrorHandler:
    LogError "A", Err
    Resume Next
End Sub
)"),
       Module(R"(
Sub A()
    x = 1
End Sub
)")},
      {"markers in another letter case", Module(R"(
Sub A()
ON ERROR GOTO A_ERRORHANDLER
' ---- CODE BODY STARTS ----  (Standard)
    x = 1
' ---- code body ends ---- (Standard)
A_ErrorHandler:
End Sub
)"),
       Module(R"(
Sub A()
    x = 1
End Sub
)")},
      {"a header below the procedure's declarations", Module(R"(
Function Price() As Currency

    Dim p As Currency
    Static calls As Long
On Error GoTo Price_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Price = p
' ---- Code Body Ends ---- (Standard)
	Exit Function
Price_ErrorHandler:
End Function
)"),
       Module(R"(
Function Price() As Currency

    Dim p As Currency
    Static calls As Long
    Price = p
End Function
)")},
      // A header template that begins with a Dim: removal starts below the declarations.
      {"a header whose first line is a Dim", Module(R"(
Sub A()
Dim strProc As String
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    x = 1
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub
)"),
       Module(R"(
Sub A()
Dim strProc As String
    x = 1
End Sub
)")},
      {"a procedure that does not begin with an error statement", Module(R"(
Sub A()
    x = 1
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    y = 2
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub
)"),
       Module(R"(
Sub A()
    x = 1
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    y = 2
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub
)")},
      {"On Local Error opens a header too", Module(R"(
Sub A()
On Local Error Goto A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    x = 1
End Sub
)"),
       Module(R"(
Sub A()
    x = 1
End Sub
)")},
      // Without markers a %ProcName% template cannot be found: the blocks stay, and only the
      // handler statement is pointed back at "On Error GoTo 0".
      {"blocks written without markers by a template with variables", Module(R"(
Sub A()
On Error GoTo A_ErrorHandler

    x = 1

	Exit Sub
A_ErrorHandler:
    MsgBox Err.Description
End Sub
)"),
       Module(R"(
Sub A()
On Error GoTo 0

    x = 1

	Exit Sub
A_ErrorHandler:
    MsgBox Err.Description
End Sub
)")},
      {"logging lines", Module(R"(
Sub A()
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    x = 1
Debug.Print "A: x = 1"'gildexlog
    y = 2 ' 'gildexlog
    s = "'gildexlog" 'gildexlog
    t = "'gildexlog "
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub
)"),
       Module(R"(
Sub A()
    x = 1
    t = "'gildexlog "
End Sub
)")},
      {"handler statements after indentation and after other code", Module(R"(
Sub Save()
On Error GoTo Save_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    On Error Resume Next
    Kill "a.tmp"
        on error goto save_errorhandler ' back to the handler
    If x Then On Error GoTo Save_ErrorHandler
    On Error GoTo Other_ErrorHandler
' ---- Code Body Ends ---- (Standard)
Save_ErrorHandler:
End Sub
)"),
       Module(R"(
Sub Save()
    On Error Resume Next
    Kill "a.tmp"
        On Error GoTo 0
    If x Then On Error GoTo 0
    On Error GoTo Other_ErrorHandler
End Sub
)")},
      {"a handler of the user's own", Module(R"(
Sub A()
On Error Resume Next
End Sub
)"),
       Module(R"(
Sub A()
On Error Resume Next
End Sub
)")},
  };
  for (const ShapeCase& c : cases) {
    Remover remover;
    EXPECT_EQ(remover.Remove(c.before), c.after) << c.name;
    EXPECT_TRUE(remover.rig.dialogs.Asked().empty()) << c.name;
  }
}

TEST(RemoveModule, HeaderAfterCommentsLooksBelowTheCommentsUnderTheDeclaration) {
  const std::string inserted = Module(R"(
Sub A()
    ' Does the work.
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    x = 1
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub
)");
  Remover with_comments;
  with_comments.rig.gildex.HeaderAfterComments(true);
  EXPECT_EQ(with_comments.Remove(inserted), Module(R"(
Sub A()
    ' Does the work.
    x = 1
End Sub
)"));
  Remover without;
  EXPECT_EQ(without.Remove(inserted), inserted);
}

// A template without variables is recognised without markers, but only where insertion put it.
TEST(RemoveModule, BlocksOfAFixedTemplateAreFoundWithoutMarkers) {
  struct Case {
    std::string name;
    bool auto_exit;
    std::string before;
    std::string after;
  };
  const std::vector<Case> cases = {
      {"header, empty separators and footer", false, Module(R"(
Sub A()
On Error GoTo ErrorHandler

    x = 1

Exit Sub
ErrorHandler:
    LogError Err
End Sub
)"),
       Module(R"(
Sub A()
    x = 1
End Sub
)")},
      // The footer and the exit line above it go; the empty separator above those stays.
      {"with the exit line", true, Module(R"(
Function F() As Long
On Error GoTo ErrorHandler

    F = 1

	Exit Function
Exit Sub
ErrorHandler:
    LogError Err
End Function
)"),
       Module(R"(
Function F() As Long
    F = 1

End Function
)")},
      {"the user's own line stays next to the blocks", false, Module(R"(
Sub A()
On Error GoTo ErrorHandler
    x = 1
    y = 2
Exit Sub
ErrorHandler:
    LogError Err
End Sub
)"),
       Module(R"(
Sub A()
    x = 1
    y = 2
End Sub
)")},
      {"a header that is not at the top stays", false, Module(R"(
Sub A()
On Error Resume Next
    x = 1
On Error GoTo ErrorHandler

    y = 2
End Sub
)"),
       Module(R"(
Sub A()
On Error Resume Next
    x = 1
On Error GoTo ErrorHandler

    y = 2
End Sub
)")},
      {"a footer that is not right above End stays", false, Module(R"(
Sub A()
On Error Resume Next
    x = 1
Exit Sub
ErrorHandler:
    LogError Err
    y = 2
End Sub
)"),
       Module(R"(
Sub A()
On Error Resume Next
    x = 1
Exit Sub
ErrorHandler:
    LogError Err
    y = 2
End Sub
)")},
  };
  for (const Case& c : cases) {
    Remover remover;
    remover.rig.gildex.HeaderCode("On Error GoTo ErrorHandler");
    remover.rig.gildex.FooterCode("Exit Sub\r\nErrorHandler:\r\n    LogError Err");
    remover.rig.gildex.AutoExit(c.auto_exit);
    EXPECT_EQ(remover.Remove(c.before), c.after) << c.name;
  }
}

// With no template loaded, header and footer are blank: nothing may be deleted on their account.
TEST(RemoveModule, BlankTemplateBlocksNeverDeleteAnything) {
  const std::string before = Module(R"(
Sub A()
On Error Resume Next

    x = 1

End Sub

Function B() As Long
    On Error GoTo Failed

    B = 1
    Exit Function
Failed:

End Function
)");
  for (const char* blank : {"", "   ", "\r\n", " \r\n \r\n"}) {
    Remover remover;
    remover.rig.gildex.HeaderCode(blank);
    remover.rig.gildex.FooterCode(blank);
    EXPECT_EQ(remover.Remove(before), before) << '"' << blank << '"';
  }
}

TEST(RemoveModule, TrailingBlankLinesGoAndTheModuleIsOtherwiseUntouched) {
  Remover remover;
  const std::string before = Module(R"(
Option Explicit

Sub A()
    x = 1
End Sub
)");
  EXPECT_EQ(remover.Remove(before + "\r\n\r\n   \r\n"), before);
}

TEST(RemoveModule, SelectionModeWorksOnlyOnTheSelectedProcedures) {
  const std::string procedure = R"(
Sub NAME()
On Error GoTo NAME_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Beep
' ---- Code Body Ends ---- (Standard)
NAME_ErrorHandler:
End Sub
)";
  std::string text = "Option Explicit\n";
  for (const char* name : {"A", "B", "C"}) text += ReplaceAll(procedure, "NAME", name);
  auto module = host::MemoryCodeModule::FromText("modOrders", Module(text));
  // B as the procedure commands select it: from the blank line above it to column 1 of the
  // line below its End. The selection's end moves up with what B loses, so C stays out.
  module->Pane().SetSelection(host::Selection{10, 1, 18, 1});
  Remover remover;
  remover.rig.gildex.RemoveModule(*module, true);
  EXPECT_EQ(module->Text(), Module(R"(
Option Explicit

Sub A()
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Beep
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub

Sub B()
    Beep
End Sub

Sub C()
On Error GoTo C_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Beep
' ---- Code Body Ends ---- (Standard)
C_ErrorHandler:
End Sub
)"));
  EXPECT_EQ(remover.progress.messages, std::vector<std::string>{"Processing modOrders (B)"});
}

TEST(RemoveModule, CancelStopsAfterTheProcedureUnderWay) {
  const std::string procedure = R"(
Sub NAME()
On Error GoTo NAME_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Beep
' ---- Code Body Ends ---- (Standard)
NAME_ErrorHandler:
End Sub
)";
  std::string text;
  for (const char* name : {"A", "B", "C"}) text += ReplaceAll(procedure, "NAME", name);
  Remover remover;
  remover.rig.loop.OnIdle([&] { remover.rig.gildex.Cancel(true); });
  EXPECT_EQ(remover.Remove(Module(text)), Module(R"(
Sub A()
    Beep
End Sub

Sub B()
On Error GoTo B_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Beep
' ---- Code Body Ends ---- (Standard)
B_ErrorHandler:
End Sub

Sub C()
On Error GoTo C_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Beep
' ---- Code Body Ends ---- (Standard)
C_ErrorHandler:
End Sub
)"));
}

TEST(RemoveModule, DeclarationsAndHiddenAttributeLinesNeverChange) {
  using host::CodeLine;
  using host::LineEnd;
  using host::RawLine;
  std::vector<CodeLine> lines;
  for (const char* text :
       {"Option Explicit", "Private mValue As Long 'gildexlog", "", "Public Property Get Value() As Long",
        "On Error GoTo Value_ErrorHandler", "' ---- Code Body Starts ----  (Standard)", "    Value = mValue",
        "' ---- Code Body Ends ---- (Standard)", "Value_ErrorHandler:", "End Property"})
    lines.push_back(CodeLine{RawLine{text, LineEnd::CrLf}, {}});
  lines[3].hidden.push_back(RawLine{"Attribute Value.VB_UserMemId = 0", LineEnd::CrLf});
  lines[6].line.end = LineEnd::Lf;
  host::MemoryCodeModule module("clsThing", lines, LineEnd::CrLf, nullptr);
  Remover remover;
  remover.rig.gildex.RemoveModule(module, false);
  const std::vector<CodeLine> after = module.ExportLines();
  ASSERT_EQ(after.size(), 6u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(after[i].line.text, lines[i].line.text) << i;
    EXPECT_EQ(after[i].hidden.size(), lines[i].hidden.size()) << i;
  }
  EXPECT_EQ(after[3].hidden.at(0).text, "Attribute Value.VB_UserMemId = 0");
  EXPECT_EQ(after[4].line.text, "    Value = mValue");
  EXPECT_EQ(after[4].line.end, LineEnd::Lf);  // the user's line keeps its own line end
}

// A code module whose host refuses to delete lines from one line on, as the IDE does for a
// module it has locked.
class LockedModule : public host::CodeModule {
 public:
  LockedModule(std::string_view text, long locked_from)
      : inner_(host::MemoryCodeModule::FromText("modOrders", text)), locked_from_(locked_from) {}
  std::string Text() const { return inner_->Text(); }

  std::string Name() const override { return inner_->Name(); }
  host::VBComponent& Parent() override { return inner_->Parent(); }
  host::CodePane& Pane() override { return inner_->Pane(); }
  std::string Lines(long first, long count) const override { return inner_->Lines(first, count); }
  long CountOfLines() const override { return inner_->CountOfLines(); }
  long CountOfDeclarationLines() const override { return inner_->CountOfDeclarationLines(); }
  void InsertLines(long line, std::string_view text) override { inner_->InsertLines(line, text); }
  void DeleteLines(long first, long count) override {
    if (first + count - 1 >= locked_from_) throw host::HostError(40198, "Module is locked");
    inner_->DeleteLines(first, count);
  }
  void ReplaceLine(long line, std::string_view text) override { inner_->ReplaceLine(line, text); }
  std::string ProcOfLine(long line, host::ProcKind& kind) const override { return inner_->ProcOfLine(line, kind); }
  long ProcStartLine(std::string_view name, host::ProcKind kind) const override {
    return inner_->ProcStartLine(name, kind);
  }
  long ProcBodyLine(std::string_view name, host::ProcKind kind) const override {
    return inner_->ProcBodyLine(name, kind);
  }
  long ProcCountLines(std::string_view name, host::ProcKind kind) const override {
    return inner_->ProcCountLines(name, kind);
  }
  std::vector<host::Member> Members() const override { return inner_->Members(); }
  bool Find(std::string_view target, long& start_line, long& start_column, long& end_line, long& end_column,
            bool whole_word, bool match_case, bool pattern_search) const override {
    return inner_->Find(target, start_line, start_column, end_line, end_column, whole_word, match_case,
                        pattern_search);
  }

 private:
  std::unique_ptr<host::MemoryCodeModule> inner_;
  long locked_from_;
};

TEST(RemoveModule, ABlockThatFailsIsReportedUnderItsOwnNameAndTheWalkGoesOn) {
  const std::string text = Module(R"(
Sub A()
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    x = 1
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub
)");
  Remover remover;
  LockedModule module(text, 4);
  remover.rig.gildex.RemoveModule(module, false);
  EXPECT_EQ(module.Text(), Module(R"(
Sub A()
    x = 1
' ---- Code Body Ends ---- (Standard)
A_ErrorHandler:
End Sub
)"));
  EXPECT_EQ(testing::ReportedNames(remover.rig.dialogs), std::vector<std::string>{"CGildex.RemoveBottomOfProcErrorCode"});

  // With the header stuck in place, its handler statement is still pointed back at 0.
  Remover top;
  LockedModule locked(text, 1);
  top.rig.gildex.RemoveModule(locked, false);
  EXPECT_EQ(locked.Text(), ReplaceAll(text, "On Error GoTo A_ErrorHandler", "On Error GoTo 0"));
  EXPECT_EQ(testing::ReportedNames(top.rig.dialogs),
            (std::vector<std::string>{"CGildex.RemoveTopOfProcErrorCode", "CGildex.RemoveBottomOfProcErrorCode"}));
}

TEST(RemoveBlocks, ReturnTheLinesTheyRemoved) {
  Remover remover;
  auto module = host::MemoryCodeModule::FromText("modOrders", Module(R"(
Sub A()
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    x = 1
x = 1'gildexlog
    On Error GoTo A_ErrorHandler
' ---- Code Body Ends ---- (Standard)
	Exit Sub
A_ErrorHandler:
End Sub
)"));
  EngineRig& rig = remover.rig;
  EXPECT_EQ(rig.gildex.RemoveBottomOfProcErrorCode(*module, "A", 3, 2, 10, "Sub A()"), 3);
  EXPECT_EQ(rig.gildex.RemoveTopOfProcErrorCode(*module, "A", 2, 7), 2);
  rig.gildex.RestoreBodyLines(*module, "A", 2, 5);
  EXPECT_EQ(module->Text(), Module(R"(
Sub A()
    x = 1
    On Error GoTo 0
End Sub
)"));
  // Nothing to find: nothing removed.
  EXPECT_EQ(rig.gildex.RemoveTopOfProcErrorCode(*module, "A", 2, 4), 0);
  EXPECT_EQ(rig.gildex.RemoveBottomOfProcErrorCode(*module, "A", 3, 2, 4, "Sub A()"), 0);
  EXPECT_EQ(module->CheckConsistency(), "");
}

// --- Round trips: insert, then remove. ---

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

TEST(RoundTrip, InsertThenRemoveGivesBackTheModule) {
  const std::string before = Module(R"(
Option Explicit
Private mItems As Collection

' Fills the list.
Public Sub FillList(ByVal Filter As String, _
                    Optional ByVal Limit As Long = 10)
    ' Uses the filter.
    Dim Item As Variant
    For Each Item In mItems
        If Item Like Filter Then lst.AddItem Item
    Next
End Sub

Private Function CountItems() As Long
    CountItems = mItems.Count
    Select Case CountItems
    Case 0
        Beep
    End Select
End Function

Friend Property Let Limit(ByVal Value As Long)
    mLimit = Value
    On Error GoTo 0
End Property
)");
  for (int variant = 0; variant < 8; ++variant) {
    Remover remover;
    remover.rig.gildex.HeaderAfterComments(variant & 1);
    remover.rig.gildex.AutoExit(variant & 2);
    remover.rig.gildex.FullLogging(variant & 4);
    remover.rig.gildex.FullLoggingCode("Debug.Print \"%ProcName%: %PrevLine%\"");
    const std::string inserted = remover.Insert(before);
    ASSERT_NE(inserted, before);
    EXPECT_EQ(remover.Remove(inserted), before) << variant;
  }
}

// The body pass writes every "On Error GoTo 0" as the procedure's handler, and removal writes
// it back as "On Error Goto 0", which the code module renders as VB6 does ("GoTo"); whatever
// followed the statement on its line is gone.
TEST(RoundTrip, AResetStatementComesBackInVb6sSpelling) {
  Remover remover;
  remover.rig.gildex.ReplaceBodyHandlers(true);
  remover.rig.gildex.IgnoreExisting(true);
  const std::string inserted = remover.Insert(Module(R"(
Sub Save()
    Kill "a.tmp"
    on error goto 0 ' stop trapping
    Beep
End Sub
)"));
  EXPECT_EQ(remover.Remove(inserted), Module(R"(
Sub Save()
    Kill "a.tmp"
    On Error GoTo 0
    Beep
End Sub
)"));
}

TEST(RoundTrip, MarkersOffAndAFixedTemplateComeOutToo) {
  Remover remover;
  remover.rig.gildex.BodyCode(false);
  remover.rig.gildex.AutoExit(false);
  // Written in lower case: the module renders the keywords, removal still knows the lines.
  remover.rig.gildex.HeaderCode("on error goto ErrorHandler");
  remover.rig.gildex.FooterCode("exit sub\r\nErrorHandler:\r\n    LogError Err");
  const std::string before = Module(R"(
Sub A()
    x = 1
    y = 2
End Sub
)");
  const std::string inserted = remover.Insert(before);
  EXPECT_EQ(inserted, Module(R"(
Sub A()
On Error GoTo ErrorHandler

    x = 1
    y = 2

Exit Sub
ErrorHandler:
    LogError Err
End Sub
)"));
  EXPECT_EQ(remover.Remove(inserted), before);
}

// Every module of the sample project and of the corpus, written back to disk: the files come
// back byte for byte.
TEST(RoundTrip, RealProjectsComeBackByteForByte) {
  platform::testing::TempDir temp;
  std::vector<fs::path> projects;
  fs::copy(fs::path(GILDEX_SOURCE_DIR) / "data/Sample", temp.Path() / "Sample", fs::copy_options::recursive);
  fs::copy(GILDEX_CORPUS_DIR, temp.Path() / "corpus", fs::copy_options::recursive);
  for (const auto& entry : fs::recursive_directory_iterator(temp.Path()))
    if (entry.path().extension() == ".vbp") projects.push_back(entry.path());
  int compared = 0;
  int inserted = 0;
  for (const fs::path& path : projects) {
    host::MemoryVBE vbe;
    host::LoadResult loaded = host::Load(vbe, path);
    if (!loaded.readable || loaded.HasFatal()) continue;
    std::vector<std::pair<fs::path, std::string>> expected;
    for (host::MemoryProject* project : loaded.projects) {
      for (host::MemoryComponent* component : project->Components()) {
        host::MemoryCodeModule* code = component->MemoryCode();
        if (code == nullptr) continue;
        const std::string before = code->Text();
        const fs::path file = component->FileNames(1);
        const bool comparable = !HoldsGildexText(before) && WithoutTrailingBlankLines(before) == before;
        if (comparable) expected.emplace_back(file, platform::testing::ReadBytes(file));
        Remover remover;
        remover.rig.gildex.InsertModule(*code, component->Name(), project, false);
        if (code->Text() != before) ++inserted;
        remover.rig.gildex.RemoveModule(*code, false);
        ASSERT_EQ(code->CheckConsistency(), "") << file;
        EXPECT_TRUE(remover.rig.dialogs.Asked().empty()) << file;
        if (!comparable) continue;
        EXPECT_EQ(code->Text(), before) << file;
      }
    }
    host::SaveChanged(vbe);
    for (const auto& [file, bytes] : expected) {
      EXPECT_EQ(platform::testing::ReadBytes(file), bytes) << file;
      ++compared;
    }
  }
  EXPECT_GT(compared, 100);
  EXPECT_GT(inserted, 100);
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
    const std::string word = kind.substr(0, kind.find(' '));
    if (pick(2)) text += "\r\n' " + name + ": does its part\r\n";
    text += std::string(pick(3) == 0 ? "Private " : "Public ") + kind + " " + name +
            (kind == "Property Let" ? "(ByVal V As Long, _\r\n        ByVal W As Long)\r\n" : "()\r\n");
    if (pick(3) == 0) text += "    ' what it does\r\n";
    const int body = pick(8);
    for (int b = 0; b < body; ++b) {
      switch (pick(8)) {
        case 0: text += "    Dim x" + std::to_string(b) + " As Long\r\n"; break;
        case 1: text += "    ' note " + std::to_string(b) + "\r\n"; break;
        case 2: text += "    Select Case mCount\r\n    Case 1\r\n        Beep\r\n    End Select\r\n"; break;
        case 3: text += "    If mCount > 0 Then\r\n        mCount = mCount - 1\r\n    End If\r\n"; break;
        case 4: text += "Retry" + std::to_string(b) + ":\r\n"; break;
        case 5: text += "\r\n"; break;
        case 6: text += "    If mCount Then _\r\n        Beep\r\n"; break;
        default: text += "    MsgBox \"Count \" & _\r\n        mCount\r\n"; break;
      }
    }
    text += "End " + word + "\r\n";
  }
  return WithoutTrailingBlankLines(text);
}

TEST(RoundTrip, GeneratedModulesUnderEverySetting) {
  std::mt19937 random(7031);
  for (int round = 0; round < 200; ++round) {
    const std::string before = RandomModule(random);
    Remover remover;
    remover.rig.gildex.HeaderAfterComments(round % 2 == 0);
    remover.rig.gildex.AutoExit(round % 3 == 0);
    remover.rig.gildex.FullLogging(round % 5 == 0);
    remover.rig.gildex.FullLoggingCode("Debug.Print \"%PrevLine%\"");
    remover.rig.gildex.NumberCommentLines(round % 7 == 0);
    const std::string inserted = remover.Insert(before);
    EXPECT_EQ(remover.Remove(inserted), before) << round << "\n" << inserted;
  }
}

}  // namespace
}  // namespace gildex
