// What each procedure looks like after the template went in: header and start marker at the
// top of the body, end marker, exit line and footer above End, and the body pass.
#include <gtest/gtest.h>

#include <string>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"

namespace gildex {
namespace {

using testing::Operation;
using testing::WithStandard;

const std::string kSave = "Sub Save()\n    Put #1, , mData\n    Close #1\nEnd Sub\n";
const std::string kStart = "' ---- Code Body Starts ----  (Standard)\n", kEnd = "' ---- Code Body Ends ---- (Standard)\n";

const std::string kPost = "Sub Post(ByVal Customer As String, _\n         ByVal Amount As Currency)\n    ' Posts one amount.\n"
                          "    Ledger.Add Customer, Amount\nEnd Sub\n";

// kSave with `top` above its body and `bottom` below it.
std::string Save(const std::string& top, const std::string& bottom) {
  return "Sub Save()\n" + top + "    Put #1, , mData\n    Close #1\n" + bottom + "End Sub\n";
}

void Blocks(CGildex& g, const std::string& header, const std::string& footer) {
  g.HeaderCode(header);
  g.FooterCode(footer);
}

TEST(InsertModule, PutsTheTemplateAroundEachBody) {
  auto named = [](const char* name) { return std::string("    MsgBox Err.Description, vbCritical, \"") + name + "\""; };
  testing::ExpectRewrites(Operation::Insert, {
      {"every procedure gets its own names; trailing blank lines stay",
       [](CGildex& g) { g.FooterCode("%ProcName%_ErrorHandler:\r\n    MsgBox Err.Description, vbCritical, \"%ProcName%\""); },
       "Option Explicit\n\n' Adds one line.\nPublic Sub AddLine(ByVal Amount As Currency)\n    mTotal = mTotal + Amount\n"
       "End Sub\n\nPrivate Function Total() As Currency\n    Dim c As Currency\n    Total = mTotal\nEnd Function\n\n"
       "Friend Property Get Count() As Long\n    Count = mCount\nEnd Property\n\n\n",
       "Option Explicit\n\n' Adds one line.\n" +
           WithStandard("Public Sub AddLine(ByVal Amount As Currency)", "    mTotal = mTotal + Amount\n", named("AddLine")) +
           "\n" + WithStandard("Private Function Total() As Currency", "    Dim c As Currency\n    Total = mTotal\n", named("Total")) +
           "\n" + WithStandard("Friend Property Get Count() As Long", "    Count = mCount\n", named("Count")) + "\n"},
      {"Property Get, Let and Set of one name each get their handler", nullptr,
       "Property Get Name() As String\n    Name = mName\nEnd Property\n\nProperty Let Name(ByVal v As String)\n"
       "    mName = v\nEnd Property\n\nProperty Set Name(ByVal v As Object)\n    Set mName = v\nEnd Property\n",
       WithStandard("Property Get Name() As String", "    Name = mName\n") + "\n" +
           WithStandard("Property Let Name(ByVal v As String)", "    mName = v\n") + "\n" +
           WithStandard("Property Set Name(ByVal v As Object)", "    Set mName = v\n")},
      {"no exit line without AutoExit", [](CGildex& g) { g.AutoExit(false); g.FooterCode("Exit Sub\r\nSave_ErrorHandler:"); },
       kSave, Save("On Error GoTo Save_ErrorHandler\n" + kStart, kEnd + "Exit Sub\nSave_ErrorHandler:\n")},
      {"markers off leave empty lines in their place", [](CGildex& g) { g.BodyCode(false); }, kSave,
       Save("On Error GoTo Save_ErrorHandler\n\n", "\n\tExit Sub\nSave_ErrorHandler:\n    MsgBox Err.Description\n")},
      {"a blank footer inserts nothing, not even its marker",
       [](CGildex& g) { Blocks(g, "On Error GoTo %ProcName%_ErrorHandler", "  "); }, kSave,
       Save("On Error GoTo Save_ErrorHandler\n" + kStart, "")},
      {"a blank header inserts nothing, not even its marker", [](CGildex& g) { Blocks(g, "", "Save_ErrorHandler:"); },
       kSave, Save("", kEnd + "\tExit Sub\nSave_ErrorHandler:\n")},
      {"two blank blocks insert nothing", [](CGildex& g) { Blocks(g, " ", ""); }, kSave, ""},
      {"the header goes below a continued declaration", [](CGildex& g) { g.FooterCode(""); }, kPost,
       ReplaceAll(kPost, "    ' Posts", "On Error GoTo Post_ErrorHandler\n" + kStart + "    ' Posts")},
      {"HeaderAfterComments puts it below the comments too", [](CGildex& g) { g.FooterCode(""); g.HeaderAfterComments(true); },
       kPost, ReplaceAll(kPost, "    Ledger", "On Error GoTo Post_ErrorHandler\n" + kStart + "    Ledger")},
      {"ReplaceBodyHandlers points reset statements at the procedure's handler",
       [](CGildex& g) { g.ReplaceBodyHandlers(true); g.IgnoreExisting(true); },
       "Sub Save()\n    On Error GoTo 0\nOn error goto 0 ' stop ignoring\n    If mDirty Then On Error GoTo 0\nEnd Sub\n",
       WithStandard("Sub Save()", "    On Error GoTo Save_ErrorHandler\nOn Error GoTo Save_ErrorHandler\n"
                                  "    If mDirty Then On Error GoTo 0\n")},
      {"full logging follows every statement that could be numbered",
       [](CGildex& g) {
         g.FullLogging(true);
         g.FullLoggingCode("Trace \"%ProcName%: %PrevLine%\" ");
         g.FooterCode("");
       },
       "Sub Save(ByVal Name As String)\n    Dim hFile As Integer\n    ' open it\n    hFile = FreeFile\n\n"
       "    MsgBox \"Saving \" & _\n        Name\n    Close #hFile\nEnd Sub\n",
       "Sub Save(ByVal Name As String)\nOn Error GoTo Save_ErrorHandler\n' ---- Code Body Starts ----  (Standard)\n"
       "    Dim hFile As Integer\n    ' open it\n    hFile = FreeFile\nTrace \"Save: hFile = FreeFile\" 'gildexlog\n\n"
       "    MsgBox \"Saving \" & _\n        Name\n    Close #hFile\nTrace \"Save: Close #hFile\" 'gildexlog\nEnd Sub\n"},
      {"logging comment lines when they are numbered, quotes turned to apostrophes",
       [](CGildex& g) {
         g.FullLogging(true);
         g.NumberCommentLines(true);
         g.FullLoggingCode("Trace \"%PrevLine%\" ");
         Blocks(g, "", "");
       },
       "Sub Save()\n    Status = \"Saved\"\n    ' done\nEnd Sub\n",
       "Sub Save()\n    Status = \"Saved\"\nTrace \"Status = 'Saved'\" 'gildexlog\n    ' done\nTrace \"' done\" 'gildexlog\nEnd Sub\n"},
      {"update mode replaces the blocks of the same template only",
       [](CGildex& g) {
         g.UpdateMode(true);
         g.IgnoreExisting(true);
         Blocks(g, "On Error GoTo %ProcName%_ErrorHandler\r\nTrace \"%ProcName%\"",
                "%ProcName%_ErrorHandler:\r\n    LogError \"%ProcName%\"");
       },
       WithStandard("Sub Save()", "    Kill mFile\n") +
           "\nSub Load()\nOn Error GoTo Load_ErrorHandler\n' ---- Code Body Starts ----  (Logging)\n    Open mFile For Input As #1\n"
           "' ---- Code Body Ends ---- (Logging)\n\tExit Sub\nLoad_ErrorHandler:\nEnd Sub\n",
       "Sub Save()\nOn Error GoTo Save_ErrorHandler\nTrace \"Save\"\n' ---- Code Body Starts ----  (Standard)\n    Kill mFile\n"
       "' ---- Code Body Ends ---- (Standard)\n\tExit Sub\nSave_ErrorHandler:\n    LogError \"Save\"\nEnd Sub\n\n"
       "Sub Load()\nOn Error GoTo Load_ErrorHandler\nTrace \"Load\"\n' ---- Code Body Starts ----  (Standard)\n"
       "On Error GoTo Load_ErrorHandler\n' ---- Code Body Starts ----  (Logging)\n    Open mFile For Input As #1\n"
       "' ---- Code Body Ends ---- (Logging)\n\tExit Sub\nLoad_ErrorHandler:\n' ---- Code Body Ends ---- (Standard)\n"
       "\tExit Sub\nLoad_ErrorHandler:\n    LogError \"Load\"\nEnd Sub\n"},
      {"a module of declarations only stays as it was", nullptr,
       "Option Explicit\nPublic Const APP_TITLE As String = \"Orders\"\nPublic Type OrderLine\n    Amount As Currency\nEnd Type\n", ""},
  });
}

}  // namespace
}  // namespace gildex
