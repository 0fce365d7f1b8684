// What one procedure looks like after the template went in: header and start marker at the
// top of the body, end marker, exit line and footer above End, and the body pass.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"

namespace gildex {
namespace {

using testing::EngineRig;

using testing::Module;

// The engine with the template most users start from.
struct Inserter {
  Inserter() {
    testing::UseStandardTemplate(rig.gildex, "    MsgBox Err.Description, vbCritical, \"%ProcName%\"");
  }

  std::string Insert(std::string_view text) {
    return testing::Rewritten(
        text, [&](host::CodeModule& module) { rig.gildex.InsertModule(module, "modOrders", nullptr, false); });
  }

  EngineRig rig;
};

TEST(InsertHandler, GoesAroundTheBodyBetweenMarkerLines) {
  Inserter inserter;
  inserter.rig.gildex.AutoExit(false);
  inserter.rig.gildex.FooterCode("Exit Sub\r\nA_ErrorHandler:");
  EXPECT_EQ(inserter.Insert(Module(R"(
Sub A()
    x = 1
    y = 2
End Sub
)")),
            Module(R"(
Sub A()
On Error GoTo A_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    x = 1
    y = 2
' ---- Code Body Ends ---- (Standard)
Exit Sub
A_ErrorHandler:
End Sub
)"));
  EXPECT_TRUE(inserter.rig.dialogs.Asked().empty());
}

TEST(InsertHandler, EveryProcedureOfAModuleGetsItsOwnNames) {
  Inserter inserter;
  EXPECT_EQ(inserter.Insert(Module(R"(
Option Explicit
Private mTotal As Currency

' Adds one order line to the total.
Public Sub AddLine(ByVal Amount As Currency)
    mTotal = mTotal + Amount
    Refresh
End Sub

Private Function Total() As Currency
    Dim c As Currency
    Total = mTotal
End Function

Friend Property Get Count() As Long
    Count = mCount
    Beep
End Property


)")),
            Module(R"(
Option Explicit
Private mTotal As Currency

' Adds one order line to the total.
Public Sub AddLine(ByVal Amount As Currency)
On Error GoTo AddLine_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    mTotal = mTotal + Amount
    Refresh
' ---- Code Body Ends ---- (Standard)
	Exit Sub
AddLine_ErrorHandler:
    MsgBox Err.Description, vbCritical, "AddLine"
End Sub

Private Function Total() As Currency
On Error GoTo Total_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Dim c As Currency
    Total = mTotal
' ---- Code Body Ends ---- (Standard)
	Exit Function
Total_ErrorHandler:
    MsgBox Err.Description, vbCritical, "Total"
End Function

Friend Property Get Count() As Long
On Error GoTo Count_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Count = mCount
    Beep
' ---- Code Body Ends ---- (Standard)
	Exit Property
Count_ErrorHandler:
    MsgBox Err.Description, vbCritical, "Count"
End Property
)"));
}

TEST(InsertHandler, MarkersOffLeaveEmptyLinesInTheirPlace) {
  Inserter inserter;
  inserter.rig.gildex.BodyCode(false);
  EXPECT_EQ(inserter.Insert(Module(R"(
Public Function Load() As Boolean
    Load = True
    Beep
End Function
)")),
            Module(R"(
Public Function Load() As Boolean
On Error GoTo Load_ErrorHandler

    Load = True
    Beep

	Exit Function
Load_ErrorHandler:
    MsgBox Err.Description, vbCritical, "Load"
End Function
)"));
}

TEST(InsertHandler, ABlankBlockInsertsNothingNotEvenItsMarker) {
  struct Case {
    std::string header, footer, expected;
  };
  const std::vector<Case> cases = {
      {"On Error GoTo %ProcName%_ErrorHandler", "  ", Module(R"(
Sub Save()
On Error GoTo Save_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Put #1, , mData
    Close #1
End Sub
)")},
      {"", "Save_ErrorHandler:", Module(R"(
Sub Save()
    Put #1, , mData
    Close #1
' ---- Code Body Ends ---- (Standard)
	Exit Sub
Save_ErrorHandler:
End Sub
)")},
      {" ", "", Module(R"(
Sub Save()
    Put #1, , mData
    Close #1
End Sub
)")},
  };
  for (const Case& c : cases) {
    Inserter inserter;
    inserter.rig.gildex.HeaderCode(c.header);
    inserter.rig.gildex.FooterCode(c.footer);
    EXPECT_EQ(inserter.Insert(Module(R"(
Sub Save()
    Put #1, , mData
    Close #1
End Sub
)")),
              c.expected)
        << "header [" << c.header << "] footer [" << c.footer << "]";
  }
}

TEST(InsertHandler, HeaderGoesBelowAContinuedDeclarationAndOptionallyItsComments) {
  const std::string before = Module(R"(
Public Sub Post(ByVal Customer As String, _
                ByVal Amount As Currency)
    ' Posts one amount.
    ' Never called with a negative amount.
    Ledger.Add Customer, Amount
End Sub
)");
  Inserter plain;
  plain.rig.gildex.FooterCode("");
  EXPECT_EQ(plain.Insert(before), Module(R"(
Public Sub Post(ByVal Customer As String, _
                ByVal Amount As Currency)
On Error GoTo Post_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    ' Posts one amount.
    ' Never called with a negative amount.
    Ledger.Add Customer, Amount
End Sub
)"));
  Inserter after_comments;
  after_comments.rig.gildex.FooterCode("");
  after_comments.rig.gildex.HeaderAfterComments(true);
  EXPECT_EQ(after_comments.Insert(before), Module(R"(
Public Sub Post(ByVal Customer As String, _
                ByVal Amount As Currency)
    ' Posts one amount.
    ' Never called with a negative amount.
On Error GoTo Post_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Ledger.Add Customer, Amount
End Sub
)"));
}

TEST(InsertHandler, ResetStatementsInTheBodyPointAtTheProceduresHandler) {
  Inserter inserter;
  inserter.rig.gildex.ReplaceBodyHandlers(true);
  inserter.rig.gildex.IgnoreExisting(true);
  EXPECT_EQ(inserter.Insert(Module(R"(
Sub Save()
    Kill mBackup
    On Error GoTo 0
On error goto 0 ' stop ignoring
    If mDirty Then On Error GoTo 0
    Close #1
End Sub
)")),
            Module(R"(
Sub Save()
On Error GoTo Save_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Kill mBackup
    On Error GoTo Save_ErrorHandler
On Error GoTo Save_ErrorHandler
    If mDirty Then On Error GoTo 0
    Close #1
' ---- Code Body Ends ---- (Standard)
	Exit Sub
Save_ErrorHandler:
    MsgBox Err.Description, vbCritical, "Save"
End Sub
)"));
}

TEST(InsertHandler, FullLoggingFollowsEveryStatementThatCouldBeNumbered) {
  const std::string before = Module(R"(
Sub Save(ByVal Name As String)
    Dim hFile As Integer
    ' open it
    hFile = FreeFile

    MsgBox "Saving " & _
        Name
    Close #hFile
End Sub
)");
  Inserter inserter;
  inserter.rig.gildex.FullLogging(true);
  inserter.rig.gildex.FullLoggingCode("Trace \"%ProcName%: %PrevLine%\" ");
  inserter.rig.gildex.FooterCode("");
  EXPECT_EQ(inserter.Insert(before), Module(R"(
Sub Save(ByVal Name As String)
On Error GoTo Save_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Dim hFile As Integer
    ' open it
    hFile = FreeFile
Trace "Save: hFile = FreeFile" 'gildexlog

    MsgBox "Saving " & _
        Name
    Close #hFile
Trace "Save: Close #hFile" 'gildexlog
End Sub
)"));

  Inserter comments;
  comments.rig.gildex.FullLogging(true);
  comments.rig.gildex.NumberCommentLines(true);
  comments.rig.gildex.FullLoggingCode("Trace \"%PrevLine%\" ");
  comments.rig.gildex.HeaderCode("");
  comments.rig.gildex.FooterCode("");
  EXPECT_EQ(comments.Insert(Module(R"(
Sub Save()
    Status = "Saved"
    ' done
End Sub
)")),
            Module(R"(
Sub Save()
    Status = "Saved"
Trace "Status = 'Saved'" 'gildexlog
    ' done
Trace "' done" 'gildexlog
End Sub
)"));
}

TEST(InsertHandler, ReapplyingReplacesTheBlocksOfTheSameTemplateOnly) {
  Inserter inserter;
  inserter.rig.gildex.UpdateMode(true);
  inserter.rig.gildex.IgnoreExisting(true);
  inserter.rig.gildex.HeaderCode("On Error GoTo %ProcName%_ErrorHandler\r\nTrace \"%ProcName%\"");
  inserter.rig.gildex.FooterCode("%ProcName%_ErrorHandler:\r\n    LogError \"%ProcName%\"");
  EXPECT_EQ(inserter.Insert(Module(R"(
Sub Save()
On Error GoTo Save_ErrorHandler
' ---- Code Body Starts ----  (Standard)
    Kill mFile
    Beep
' ---- Code Body Ends ---- (Standard)
	Exit Sub
Save_ErrorHandler:
    MsgBox Err.Description
End Sub

Sub Load()
On Error GoTo Load_ErrorHandler
' ---- Code Body Starts ----  (Logging)
    Open mFile For Input As #1
' ---- Code Body Ends ---- (Logging)
	Exit Sub
Load_ErrorHandler:
End Sub
)")),
            Module(R"(
Sub Save()
On Error GoTo Save_ErrorHandler
Trace "Save"
' ---- Code Body Starts ----  (Standard)
    Kill mFile
    Beep
' ---- Code Body Ends ---- (Standard)
	Exit Sub
Save_ErrorHandler:
    LogError "Save"
End Sub

Sub Load()
On Error GoTo Load_ErrorHandler
Trace "Load"
' ---- Code Body Starts ----  (Standard)
On Error GoTo Load_ErrorHandler
' ---- Code Body Starts ----  (Logging)
    Open mFile For Input As #1
' ---- Code Body Ends ---- (Logging)
	Exit Sub
Load_ErrorHandler:
' ---- Code Body Ends ---- (Standard)
	Exit Sub
Load_ErrorHandler:
    LogError "Load"
End Sub
)"));
}

TEST(InsertHandler, BlocksReturnTheLinesTheyAdded) {
  EngineRig rig;
  rig.gildex.DefaultTemplate("Standard");
  rig.gildex.BodyCode(true);
  rig.gildex.AutoExit(true);
  auto module = host::MemoryCodeModule::FromText("modA", Module(R"(
Property Let Total(ByVal Value As Currency)
    mTotal = Value
End Property
)"));
  EXPECT_EQ(rig.gildex.insertTopOfProcErrorCode(*module, "Total", 2, "On Error GoTo Total_ErrorHandler\nDim x"), 3);
  EXPECT_EQ(rig.gildex.InsertBottomOfProcErrorCode(*module, "Total", 1, module->Lines(1, 1), "Total_ErrorHandler:", 6),
            3);
  EXPECT_EQ(module->Text(), Module(R"(
Property Let Total(ByVal Value As Currency)
On Error GoTo Total_ErrorHandler
Dim x
' ---- Code Body Starts ----  (Standard)
    mTotal = Value
' ---- Code Body Ends ---- (Standard)
	Exit Property
Total_ErrorHandler:
End Property
)"));
  EXPECT_EQ(module->CheckConsistency(), "");
  // A type code that says nothing falls back on the declaration's own word.
  EXPECT_EQ(rig.gildex.InsertBottomOfProcErrorCode(*module, "Total", 0, "Public Static Sub Total()", "", 9), 3);
  EXPECT_EQ(module->Lines(10, 1), "\tExit Sub");
}

TEST(InsertHandler, ABlockThatFailsIsReportedUnderItsOwnName) {
  EngineRig rig;
  auto module = host::MemoryCodeModule::FromText("modA", "Sub A()\r\nEnd Sub");
  platform::ScriptedDialogs& dialogs = rig.dialogs;
  dialogs.Answer(platform::vbAbort);
  dialogs.Answer(platform::vbAbort);
  EXPECT_EQ(rig.gildex.insertTopOfProcErrorCode(*module, "A", 40, "On Error Resume Next"), 0);
  EXPECT_EQ(rig.gildex.InsertBottomOfProcErrorCode(*module, "A", 3, "Sub A()", "A_ErrorHandler:", 40), 0);
  EXPECT_EQ(testing::ReportedNames(dialogs),
            (std::vector<std::string>{"CGildex.insertTopOfProcErrorCode", "CGildex.InsertBottomOfProcErrorCode"}));
  EXPECT_EQ(module->Text(), "Sub A()\r\nEnd Sub");
}

TEST(BodyPass, ReturnsTheCorrectionThatPutsTheLastLineOnEnd) {
  struct Case {
    long first, last;
    long correction, last_after;
  };
  // Line 5 holds "End Sub"; lines 6 and 7 belong to no procedure.
  const std::vector<Case> cases = {
      {2, 5, 0, 5},
      {2, 7, -2, 7},
      {2, 4, 0, 4},  // no End line in reach
      {5, 5, 0, 5},
  };
  for (const Case& c : cases) {
    EngineRig rig;
    rig.gildex.ReplaceBodyHandlers(true);
    auto module = host::MemoryCodeModule::FromText("modA", Module(R"(
Sub A()
    On Error GoTo 0
    x = 1
    y = 2
End Sub
' trailing
' lines
)"));
    long last = c.last;
    EXPECT_EQ(rig.gildex.BodyPass(*module, "A", c.first, last, "SUB", "Public"), c.correction)
        << c.first << "-" << c.last;
    EXPECT_EQ(last, c.last_after);
  }
}

TEST(BodyPass, LoggingMovesTheLastLineDown) {
  EngineRig rig;
  rig.gildex.FullLogging(true);
  rig.gildex.FullLoggingCode("Trace \"%PrevLine%\" ");
  auto module = host::MemoryCodeModule::FromText("modA", Module(R"(
Sub A()
    x = 1
    y = 2
End Sub
)"));
  long last = 5;
  EXPECT_EQ(rig.gildex.BodyPass(*module, "A", 2, last, "SUB", "Public"), -1);
  EXPECT_EQ(last, 7);
  EXPECT_EQ(module->Lines(6, 1), "End Sub");
  EXPECT_EQ(module->CheckConsistency(), "");
}

}  // namespace
}  // namespace gildex
