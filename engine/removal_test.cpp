// Taking error handling out again: the blocks between marker lines (of any template), blocks
// of the current template written without markers, logging lines, handler statements
// pointed back at "On Error GoTo 0", and what is never touched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"

namespace gildex {
namespace {

using testing::Module;
using testing::ModuleCase;
using testing::Operation;
using testing::WithStandard;

// A template without variables, which removal can recognise without markers.
// Written in lower case: the module renders the keywords, and removal still knows the lines.
void FixedTemplate(CGildex& g) {
  g.HeaderCode("on error goto ErrorHandler");
  g.FooterCode("exit sub\r\nErrorHandler:\r\n    LogError Err");
  g.AutoExit(false);
}

TEST(RemoveModule, RecognisesEachShapeOfInsertedCode) {
  const std::string unchanged_start = "Sub A()\n    x = 1\nOn Error GoTo A_ErrorHandler\n";
  const std::string commented = "Sub A()\n    ' Does the work.\nOn Error GoTo A_ErrorHandler\n"
                                "' ---- Code Body Starts ----  (Standard)\n    x = 1\n' ---- Code Body Ends ---- (Standard)\n"
                                "A_ErrorHandler:\nEnd Sub\n";
  const std::string fixed_not_at_top = "Sub A()\nOn Error Resume Next\n    x = 1\nOn Error GoTo ErrorHandler\n\n    y = 2\nEnd Sub\n";
  const std::string unmarked = "Sub A()\nOn Error GoTo A_ErrorHandler\n\n    x = 1\n\n\n\tExit Sub\nA_ErrorHandler:\n"
                               "    MsgBox Err.Description\nEnd Sub\n";
  const std::string fixed_not_above_end =
      "Sub A()\nOn Error Resume Next\n    x = 1\nExit Sub\nErrorHandler:\n    LogError Err\n    y = 2\nEnd Sub\n";
  std::vector<ModuleCase> cases = {
      {"the blocks insertion put in; a handler statement in the body goes back to 0", nullptr,
       "Option Explicit\n\n' Adds one line.\n" +
           WithStandard("Public Sub AddLine(ByVal Amount As Currency, _\n                   ByVal Quantity As Long)",
                        "    Dim Line As Currency\n    On Error GoTo AddLine_ErrorHandler\n    mTotal = mTotal + Line\n") +
           "\n" + WithStandard("Private Property Get Total() As Currency", "    Total = mTotal\n"),
       "Option Explicit\n\n' Adds one line.\nPublic Sub AddLine(ByVal Amount As Currency, _\n                   ByVal Quantity As Long)\n"
       "    Dim Line As Currency\n    On Error GoTo 0\n    mTotal = mTotal + Line\nEnd Sub\n\n"
       "Private Property Get Total() As Currency\n    Total = mTotal\nEnd Property\n"},
      {"the blocks of another template", nullptr,
       "Sub A()\nOn Error GoTo A_ErrorHandler\n' ---- Code Body Starts ----  (Verbose)\n    x = 1\n"
       "' ---- Code Body Ends ---- (Verbose)\n\tExit Sub\nA_ErrorHandler:\n    LogError \"A\", Err\n    Resume Next\nEnd Sub\n",
       "Sub A()\n    x = 1\nEnd Sub\n"},
      {"markers in another letter case", nullptr,
       "Sub A()\nON ERROR GOTO A_ERRORHANDLER\n' ---- CODE BODY STARTS ----  (Standard)\n    x = 1\n"
       "' ---- code body ends ---- (Standard)\nA_ErrorHandler:\nEnd Sub\n",
       "Sub A()\n    x = 1\nEnd Sub\n"},
      {"a header below the procedure's declarations", nullptr,
       "Function Price() As Currency\n\n    Dim p As Currency\n    Static calls As Long\nOn Error GoTo Price_ErrorHandler\n"
       "' ---- Code Body Starts ----  (Standard)\n    Price = p\n' ---- Code Body Ends ---- (Standard)\n\tExit Function\n"
       "Price_ErrorHandler:\nEnd Function\n",
       "Function Price() As Currency\n\n    Dim p As Currency\n    Static calls As Long\n    Price = p\nEnd Function\n"},
      {"a header whose first line is a Dim: removal starts below the declarations", nullptr,
       "Sub A()\nDim strProc As String\nOn Error GoTo A_ErrorHandler\n' ---- Code Body Starts ----  (Standard)\n    x = 1\n"
       "' ---- Code Body Ends ---- (Standard)\nA_ErrorHandler:\nEnd Sub\n",
       "Sub A()\nDim strProc As String\n    x = 1\nEnd Sub\n"},
      {"a procedure that does not begin with an error statement stays", nullptr,
       unchanged_start + "' ---- Code Body Starts ----  (Standard)\n    y = 2\nEnd Sub\n", ""},
      {"On Local Error opens a header too", nullptr,
       "Sub A()\nOn Local Error Goto A_ErrorHandler\n' ---- Code Body Starts ----  (Standard)\n    x = 1\nEnd Sub\n",
       "Sub A()\n    x = 1\nEnd Sub\n"},
      // Without markers a template's lines are found with each variable matching what it was filled in with.
      {"blocks written without markers by a template with variables", nullptr, unmarked,
       "Sub A()\n    x = 1\n\nEnd Sub\n"},
      {"numbered blocks written without markers", nullptr,
       "Sub A()\n10 On Error GoTo A_ErrorHandler\n\n20     x = 1\n\n\n30 \tExit Sub\nA_ErrorHandler:\n"
       "40     MsgBox Err.Description\nEnd Sub\n",
       "Sub A()\n20     x = 1\n\nEnd Sub\n"},
      // Changed by hand, or the user's own handler in the template's words: nothing of it goes,
      // not even the handler statement.
      {"a footer changed by hand keeps the header too", nullptr,
       ReplaceAll(unmarked, "MsgBox Err.Description", "MsgBox Err.Description, vbCritical"), ""},
      {"a header without its empty separator keeps the footer too", nullptr,
       ReplaceAll(unmarked, "_ErrorHandler\n\n", "_ErrorHandler\n"), ""},
      {"the user's own handler in the template's words", nullptr,
       "Sub Save()\nOn Error GoTo Save_ErrorHandler\n    x = 1\n    Exit Sub\nSave_ErrorHandler:\n"
       "    MsgBox Err.Description\nEnd Sub\n", ""},
      {"logging lines, but not the text inside a string", nullptr,
       WithStandard("Sub A()", "    x = 1\nDebug.Print \"A: x = 1\"'gildexlog\n    y = 2 ' 'gildexlog\n"
                               "    s = \"'gildexlog\" 'gildexlog\n    t = \"'gildexlog \"\n"),
       "Sub A()\n    x = 1\n    t = \"'gildexlog \"\nEnd Sub\n"},
      {"handler statements after indentation and after other code", nullptr,
       WithStandard("Sub Save()", "    On Error Resume Next\n        on error goto save_errorhandler ' back\n"
                                  "    If x Then On Error GoTo Save_ErrorHandler\n    On Error GoTo Other_ErrorHandler\n"),
       "Sub Save()\n    On Error Resume Next\n        On Error GoTo 0\n    If x Then On Error GoTo 0\n"
       "    On Error GoTo Other_ErrorHandler\nEnd Sub\n"},
      {"a handler of the user's own", nullptr, "Sub A()\nOn Error Resume Next\nEnd Sub\n", ""},
      {"HeaderAfterComments looks below the comments under the declaration",
       [](CGildex& g) { g.HeaderAfterComments(true); }, commented, "Sub A()\n    ' Does the work.\n    x = 1\nEnd Sub\n"},
      {"without HeaderAfterComments a header below comments stays", nullptr, commented, ""},
      {"trailing blank lines stay", nullptr, "Option Explicit\n\nSub A()\n    x = 1\nEnd Sub\n\n\n   \n", ""},
      {"a fixed template's header, empty separators and footer", FixedTemplate,
       "Sub A()\nOn Error GoTo ErrorHandler\n\n    x = 1\n\nExit Sub\nErrorHandler:\n    LogError Err\nEnd Sub\n",
       "Sub A()\n    x = 1\nEnd Sub\n"},
      // The footer and the exit line above it go; the empty separator above those stays.
      {"a fixed template with the exit line",
       [](CGildex& g) {
         FixedTemplate(g);
         g.AutoExit(true);
       },
       "Function F() As Long\nOn Error GoTo ErrorHandler\n\n    F = 1\n\n\tExit Function\nExit Sub\nErrorHandler:\n"
       "    LogError Err\nEnd Function\n",
       "Function F() As Long\n    F = 1\n\nEnd Function\n"},
      {"a fixed template next to the user's own lines", FixedTemplate,
       "Sub A()\nOn Error GoTo ErrorHandler\n    x = 1\nExit Sub\nErrorHandler:\n    LogError Err\nEnd Sub\n",
       "Sub A()\n    x = 1\nEnd Sub\n"},
      {"a fixed template's header that is not at the top stays", FixedTemplate, fixed_not_at_top, ""},
      {"a fixed template's footer that is not right above End stays", FixedTemplate, fixed_not_above_end, ""},
  };
  // With no template loaded, header and footer are blank: nothing may be deleted on their account.
  const std::string own = "Sub A()\nOn Error Resume Next\n\n    x = 1\n\nEnd Sub\n\nFunction B() As Long\n"
                          "    On Error GoTo Failed\n\n    B = 1\n    Exit Function\nFailed:\n\nEnd Function\n";
  for (const char* blank : {"", "   ", "\r\n", " \r\n \r\n"}) {
    cases.push_back({"blank blocks \"" + std::string(blank) + "\"", [blank](CGildex& g) {
                       g.HeaderCode(blank);
                       g.FooterCode(blank);
                     },
                     own, ""});
  }
  testing::ExpectRewrites(Operation::Remove, cases);
}

TEST(RemoveModule, AProcedureLeftAsItWasIsNamedAndCountedAsHavingNothingToRemove) {
  const std::string inserted = "On Error GoTo A_ErrorHandler\n\n    x = 1\n\nA_ErrorHandler:\n    MsgBox Err.Description\n";
  testing::Engine engine;
  const std::string after = engine.Run(
      Operation::Remove, Module("Sub A()\n" + inserted + "End Sub\n\nSub B()\n" +
                                ReplaceAll(ReplaceAll(inserted, "A_", "B_"), "MsgBox", "Debug.Print") + "End Sub\n"));
  EXPECT_EQ(after.substr(0, after.find("Sub B()")), Module("Sub A()\n    x = 1\nEnd Sub\n\n\n"));
  EXPECT_EQ(engine.progress.statuses,
            std::vector<std::string>{
                "B in modOrders left as it was: its error handling does not match the template Standard."});
  EXPECT_EQ(engine.rig.gildex.Tally().changed, 1);
  EXPECT_EQ(engine.rig.gildex.Tally().already_handled, 1);
}

TEST(RemoveModule, ABlockTheHostRefusesIsReportedUnderItsOwnNameAndTheWalkGoesOn) {
  const std::string text = Module("Sub A()\nOn Error GoTo A_ErrorHandler\n' ---- Code Body Starts ----  (Standard)\n"
                                  "    x = 1\n' ---- Code Body Ends ---- (Standard)\nA_ErrorHandler:\nEnd Sub\n");
  const struct {
    long refuse_from;
    std::string after;
    std::vector<std::string> reported;
  } cases[] = {
      {4, Module("Sub A()\n    x = 1\n' ---- Code Body Ends ---- (Standard)\nA_ErrorHandler:\nEnd Sub\n"),
       {"CGildex.RemoveBottomOfProcErrorCode"}},
      // With the header stuck in place, its handler statement is still pointed back at 0.
      {1, ReplaceAll(text, "On Error GoTo A_ErrorHandler", "On Error GoTo 0"),
       {"CGildex.RemoveTopOfProcErrorCode", "CGildex.RemoveBottomOfProcErrorCode"}},
  };
  for (const auto& c : cases) {
    testing::Engine engine;
    testing::RefusingModule module(text, c.refuse_from);
    engine.rig.gildex.RemoveModule(module, false);
    EXPECT_EQ(module.Text(), c.after);
    EXPECT_EQ(testing::ReportedNames(engine.rig.dialogs), c.reported);
  }
}

}  // namespace
}  // namespace gildex
