// The token tests that classify source lines, and how a failing one is reported.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::ReportedNames;

TEST(LineRules, MatchFirstToken) {
  const struct {
    std::string line, token;
    bool matches;
  } cases[] = {
      {"sub main()", "SUB", true}, {"   Sub", "Sub", true}, {"Subtotal = 1", "Sub", false},
      {"x = Sub1: Sub", "Sub", false},  // only the first occurrence counts
      {"Private Sub Foo()", "Sub", false}, {"End Sub ' done", "End Sub", true}, {"EndSub", "End Sub", false},
      {"", "Sub", false},
      // The trimmed length is compared with the untrimmed position: an indented short line
      // matches even with a letter right after the token.
      {"      Sub1", "Sub", true}, {"   Subtotal", "Sub", false},
      {"' comment", "'", true}, {"'comment", "'", false}, {"'", "'", true}, {"   '", "'", true}, {"  Su", "Sub", false}, {"x = 1 ' note", "'", false},
      {"Function\tF()", "Function", false},  // a tab is not a blank
  };
  EngineRig rig;
  for (const auto& c : cases)
    EXPECT_EQ(rig.gildex.MatchFirstToken(c.line, c.token), c.matches) << '"' << c.line << "\" / " << c.token;
}

TEST(LineRules, StartEndAndDeclarationLines) {
  const struct {
    std::string line;
    bool start, end, declaration;
  } cases[] = {
      {"   Private Sub Foo()", true, false, true}, {"Friend Property Get P() As Long", true, false, true},
      {"Public Static Sub Foo()", false, false, true},
      {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long", false, false, true},
      {"End Sub ' done", false, true, true}, {"  End Function", false, true, true}, {"End Property", false, true, true},
      {"EndSub", false, false, false}, {"End If", false, false, false}, {"End Type", false, false, true},
      {"     ", false, false, true}, {"Const MAX = 10", false, false, true}, {"Global g As Long", false, false, true}, {"x = x + 1", false, false, false},
      {"' Sub Main()", false, false, false}, {"Call Subroutine", false, false, false},
  };
  EngineRig rig;
  for (const auto& c : cases) {
    EXPECT_EQ(rig.gildex.IsStartProc(c.line), c.start) << c.line;
    EXPECT_EQ(rig.gildex.IsEndProc(c.line), c.end) << c.line;
    EXPECT_EQ(rig.gildex.IsDeclarationLine(c.line), c.declaration) << c.line;
  }
}

TEST(LineRules, ProcedureTypes) {
  const struct {
    std::string line;
    int type;
    std::string type_string, proc_string;
  } cases[] = {
      {"Static Property Get Count() As Long", 1, "Property", "Property"},
      {"Private Sub Form_Load()", 3, "Sub", "Sub"}, {"Friend Function Clone() As cItem", 2, "Function", "Function"},
      // Not a procedure start for ProcType; the words in the line still tell.
      {"Public Static Sub Foo()", 0, "Sub", "Sub"},
      {"Private Static Property Get P()", 0, "Property", "Property"},
      {"x = 1", 0, "Function", ""}, {"' a function that sub-divides", 0, "Function", "Function"},
      {"Dim subtotal As Long", 0, "Function", ""},
      {"Function Call sub (x)", 2, "Function", "Sub"},  // " sub " anywhere comes first
  };
  std::string text;
  for (const auto& c : cases) text += c.line + "\r\n";
  auto module = host::MemoryCodeModule::FromText("modTypes", text);
  EngineRig rig;
  long line = 0;
  for (const auto& c : cases) {
    const int type = rig.gildex.ProcType(*module, ++line);
    EXPECT_EQ(type, c.type) << c.line;
    EXPECT_EQ(rig.gildex.ProcTypeString(type, c.line), c.type_string) << c.line;
    EXPECT_EQ(rig.gildex.GetProcString(c.line, false), c.proc_string) << c.line;
    EXPECT_EQ(rig.gildex.GetProcString(c.line, true), cp1252::Upper(c.proc_string)) << c.line;
  }
  // A type code that says something wins over the declaration's words.
  EXPECT_EQ(rig.gildex.ProcTypeString(1, "Sub Main()"), "Property");
  EXPECT_EQ(rig.gildex.ProcTypeString(7, "Public Static Sub Foo()"), "Sub");
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

// ProcKindOf looks from the comment above down to the declaration; SkipJunkLines steps past a
// continued declaration, and with HeaderAfterComments past the comments below it.
TEST(LineRules, ProcedureKindAndTheFirstLineOfTheBody) {
  auto module = host::MemoryCodeModule::FromText("cPerson", testing::Module(R"(
Option Explicit
' The name shown
Public Property Get Name() As String
End Property
Public Property Set Font(ByVal value As StdFont)
End Property
Public Property Let Name(ByVal value As String, _
                         ByVal other As Long)
' Sets it.
   ' Never fails.
'TODO check
    m_Name = value
End Property
Public Sub Reset(ByVal how As Long) ' LET it go
End Sub
)"));
  auto at_end = host::MemoryCodeModule::FromText("modEnd", "Sub A( _\r\n)\r\n'\r\n' x");
  EngineRig rig;
  const struct {
    std::string name;
    long line;
    host::ProcKind kind;
  } kinds[] = {
      {"Name", 2, host::ProcKind::Get}, {"Name", 7, host::ProcKind::Let},
      {"Font", 0, host::ProcKind::Set},     // the declarations at the top say Proc; the host refuses it
      {"Reset", 14, host::ProcKind::Proc},  // " LET " in the comment; the host knows better
  };
  for (const auto& c : kinds) EXPECT_EQ(rig.gildex.ProcKindOf(*module, c.name, c.line), c.kind) << c.name << c.line;
  const struct {
    host::MemoryCodeModule* module;
    long line;
    bool after_comments;
    long result;
  } skips[] = {
      {module.get(), 8, false, 9}, {module.get(), 8, true, 11}, {module.get(), 15, true, 15},
      {at_end.get(), 2, true, 5},  // stops past the end of the module
  };
  for (const auto& c : skips) {
    rig.gildex.HeaderAfterComments(c.after_comments);
    EXPECT_EQ(rig.gildex.SkipJunkLines(*c.module, c.line), c.result) << c.line << " " << c.after_comments;
  }
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(LineRules, SmallProcedureAndTrailingBlankLines) {
  const struct {
    long last, body;
    bool ignore_small;
    std::int32_t min_lines;
    bool small;
  } small_cases[] = {
      {11, 10, false, 0, true}, {12, 10, false, 0, false}, {12, 10, true, 2, true}, {13, 10, true, 2, false},
  };
  EngineRig rig;
  for (const auto& c : small_cases) {
    rig.gildex.IgnoreSmallFunctions(c.ignore_small);
    rig.gildex.MinLines(c.min_lines);
    EXPECT_EQ(rig.gildex.SmallProcedure(c.last, c.body), c.small) << c.last << "-" << c.body;
  }
  const struct {
    std::string before, after;
  } blank_cases[] = {
      {"Option Explicit\r\n\r\nSub A()\r\nEnd Sub\r\n\r\n \r\n\r\n", "Option Explicit\r\n\r\nSub A()\r\nEnd Sub"},
      {"Sub A()\r\n\r\nEnd Sub", "Sub A()\r\n\r\nEnd Sub"},
      {"\r\n  \r\n", ""},
  };
  for (const auto& c : blank_cases) {
    auto module = host::MemoryCodeModule::FromText("modA", c.before);
    rig.gildex.TruncateBlankLinesIn(*module);
    EXPECT_EQ(module->Text(), c.after) << c.before;
  }
}

TEST(LineRules, AHostFailureIsReportedUnderTheOperationsNameAndRetryRunsItAgain) {
  auto module = host::MemoryCodeModule::FromText("modA", "Sub A()\r\nEnd Sub\r\n");
  EngineRig rig;
  rig.dialogs.Answer(platform::vbRetry);
  rig.dialogs.Answer(platform::vbIgnore);
  EXPECT_EQ(rig.gildex.ProcType(*module, 99), 0);
  EXPECT_EQ(ReportedNames(rig.dialogs), (std::vector<std::string>{"CGildex.ProcType", "CGildex.ProcType"}));
  EXPECT_TRUE(rig.dialogs.Asked()[0].prompt.starts_with("Error 9: \r\n")) << rig.dialogs.Asked()[0].prompt;
}

}  // namespace
}  // namespace gildex
