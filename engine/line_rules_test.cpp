#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::ReportedNames;

struct TokenCase {
  std::string line;
  std::string token;
  bool matches;
};

TEST(LineRules, MatchFirstToken) {
  const std::vector<TokenCase> cases = {
      {"Sub Main()", "Sub", true},
      {"sub main()", "SUB", true},
      {"   Sub Main()", "Sub", true},
      {"Sub", "Sub", true},
      {"   Sub", "Sub", true},
      {"Subtotal = 1", "Sub", false},
      {"x = Sub1: Sub", "Sub", false},  // only the first occurrence counts
      {"' Sub", "Sub", false},
      {"Private Sub Foo()", "Sub", false},
      {"Private Sub Foo()", "Private Sub", true},
      {"End Sub ' done", "End Sub", true},
      {"EndSub", "End Sub", false},
      {"Dim x", "Sub", false},
      // The trimmed length is compared with the untrimmed position: an indented short
      // line matches even with a letter right after the token.
      {"      Sub1", "Sub", true},
      {"   Subtotal", "Sub", false},
      {"' comment", "'", true},
      {"'comment", "'", false},
      {"'", "'", true},
      {"   '", "'", true},
      {"x = 1 ' note", "'", false},
      {"", "Sub", false},
      {"  Su", "Sub", false},
      {"Function\tF()", "Function", false},  // a tab is not a blank
  };
  EngineRig rig;
  for (const TokenCase& c : cases)
    EXPECT_EQ(rig.gildex.MatchFirstToken(c.line, c.token), c.matches) << '"' << c.line << "\" / " << c.token;
}

struct LineCase {
  std::string line;
  bool start, end, declaration;
};

TEST(LineRules, StartEndAndDeclarationLines) {
  const std::vector<LineCase> cases = {
      {"Sub Main()", true, false, true},
      {"   Private Sub Foo()", true, false, true},
      {"Public Function F() As Long", true, false, true},
      {"Friend Property Get P() As Long", true, false, true},
      {"Property Let P(ByVal v As Long)", true, false, true},
      {"Public Static Sub Foo()", false, false, true},
      {"Static Function F()", false, false, true},
      {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long", false, false, true},
      {"End Sub", false, true, true},
      {"End Sub ' done", false, true, true},
      {"  End Function", false, true, true},
      {"End Property", false, true, true},
      {"EndSub", false, false, false},
      {"End If", false, false, false},
      {"End Type", false, false, true},
      {"", false, false, true},
      {"     ", false, false, true},
      {"Dim i As Integer", false, false, true},
      {"Const MAX = 10", false, false, true},
      {"Global g As Long", false, false, true},
      {"Option Explicit", false, false, true},
      {"Type POINT", false, false, true},
      {"x = x + 1", false, false, false},
      {"' Sub Main()", false, false, false},
      {"Call Subroutine", false, false, false},
  };
  EngineRig rig;
  for (const LineCase& c : cases) {
    EXPECT_EQ(rig.gildex.IsStartProc(c.line), c.start) << c.line;
    EXPECT_EQ(rig.gildex.IsEndProc(c.line), c.end) << c.line;
    EXPECT_EQ(rig.gildex.IsDeclarationLine(c.line), c.declaration) << c.line;
  }
}

struct TypeCase {
  std::string line;
  int type;
  std::string type_string;
  std::string proc_string;
};

TEST(LineRules, ProcedureTypes) {
  const std::vector<TypeCase> cases = {
      {"Public Property Get Name() As String", 1, "Property", "Property"},
      {"Property Set Font(ByVal f As StdFont)", 1, "Property", "Property"},
      {"Static Property Get Count() As Long", 1, "Property", "Property"},
      {"Private Sub Form_Load()", 3, "Sub", "Sub"},
      {"Sub Main()", 3, "Sub", "Sub"},
      {"Static Sub Tick()", 3, "Sub", "Sub"},
      {"Function Area(ByVal r As Double) As Double", 2, "Function", "Function"},
      {"Static Function F()", 2, "Function", "Function"},
      {"Friend Function Clone() As cItem", 2, "Function", "Function"},
      // Not a procedure start for ProcType; the words in the line still tell.
      {"Public Static Sub Foo()", 0, "Sub", "Sub"},
      {"Public Static Function Foo()", 0, "Function", "Function"},
      {"Private Static Property Get P()", 0, "Property", "Property"},
      {"x = 1", 0, "Function", ""},
      {"' a function that sub-divides", 0, "Function", "Function"},
      {"Dim subtotal As Long", 0, "Function", ""},
      // " sub " anywhere comes first.
      {"Function Call sub (x)", 2, "Function", "Sub"},
  };
  std::string text;
  for (const TypeCase& c : cases) text += c.line + "\r\n";
  auto module = host::MemoryCodeModule::FromText("modTypes", text);
  EngineRig rig;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const TypeCase& c = cases[i];
    const int type = rig.gildex.ProcType(*module, static_cast<long>(i) + 1);
    EXPECT_EQ(type, c.type) << c.line;
    EXPECT_EQ(rig.gildex.ProcTypeString(type, c.line), c.type_string) << c.line;
    EXPECT_EQ(rig.gildex.GetProcString(c.line, false), c.proc_string) << c.line;
    EXPECT_EQ(rig.gildex.GetProcString(c.line, true), cp1252::Upper(c.proc_string)) << c.line;
  }
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(LineRules, ProcTypeStringTakesTheCodeFirst) {
  EngineRig rig;
  EXPECT_EQ(rig.gildex.ProcTypeString(1, "Sub Main()"), "Property");
  EXPECT_EQ(rig.gildex.ProcTypeString(2, ""), "Function");
  EXPECT_EQ(rig.gildex.ProcTypeString(3, ""), "Sub");
  EXPECT_EQ(rig.gildex.ProcTypeString(7, "Public Static Sub Foo()"), "Sub");
}

constexpr const char* kClassModule =
    "Option Explicit\r\n"
    "Private m_Name As String\r\n"
    "\r\n"
    "' The name shown\r\n"
    "Public Property Get Name() As String\r\n"
    "    Name = m_Name\r\n"
    "End Property\r\n"
    "\r\n"
    "Public Property Let Name(ByVal value As String)\r\n"
    "    m_Name = value\r\n"
    "End Property\r\n"
    "\r\n"
    "Public Property Set Font(ByVal value As StdFont)\r\n"
    "End Property\r\n"
    "\r\n"
    "Public Sub Reset(ByVal how As Long) ' LET it go\r\n"
    "    m_Name = \"\"\r\n"
    "End Sub\r\n";

TEST(LineRules, ProcedureKindOfADeclaration) {
  struct Case {
    std::string name;
    long line;
    host::ProcKind kind;
  };
  const std::vector<Case> cases = {
      {"Name", 4, host::ProcKind::Get},  // from the comment above, down to the declaration
      {"Name", 5, host::ProcKind::Get},
      {"Name", 9, host::ProcKind::Let},
      {"Font", 13, host::ProcKind::Set},
      {"Font", 0, host::ProcKind::Set},  // the declarations at the top say Proc; the host refuses it
      {"Reset", 16, host::ProcKind::Proc},  // " LET " in the comment; the host knows better
  };
  auto module = host::MemoryCodeModule::FromText("cPerson", kClassModule);
  EngineRig rig;
  for (const Case& c : cases) EXPECT_EQ(rig.gildex.ProcKindOf(*module, c.name, c.line), c.kind) << c.name << c.line;
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(LineRules, SkipJunkLinesStepsPastContinuationsAndComments) {
  const std::string text =
      "Public Function Total(ByVal a As Long, _\r\n"  // 1
      "                      ByVal b As Long) _\r\n"  // 2
      "                      As Long\r\n"              // 3
      "' Adds two numbers.\r\n"                        // 4
      "   ' Never fails.\r\n"                          // 5
      "'TODO check overflow\r\n"                       // 6
      "    Total = a + b\r\n"                          // 7
      "End Function\r\n"                               // 8
      "Sub Plain()\r\n"                                // 9
      "    Beep\r\n"                                   // 10
      "End Sub\r\n";                                   // 11
  struct Case {
    long line;
    bool after_comments;
    long result;
  };
  const std::vector<Case> cases = {
      {2, false, 4}, {2, true, 6}, {10, false, 10}, {10, true, 10}, {4, true, 6},
  };
  auto module = host::MemoryCodeModule::FromText("modMath", text);
  EngineRig rig;
  for (const Case& c : cases) {
    rig.gildex.HeaderAfterComments(c.after_comments);
    EXPECT_EQ(rig.gildex.SkipJunkLines(*module, c.line), c.result) << c.line << " " << c.after_comments;
  }
}

TEST(LineRules, SkipJunkLinesStopsAtTheEndOfTheModule) {
  auto module = host::MemoryCodeModule::FromText("modEnd", "Sub A( _\r\n)\r\n'\r\n' x");
  EngineRig rig;
  rig.gildex.HeaderAfterComments(true);
  EXPECT_EQ(rig.gildex.SkipJunkLines(*module, 2), 5);
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(LineRules, SmallProcedure) {
  struct Case {
    long last, body;
    bool ignore_small;
    std::int32_t min_lines;
    bool small;
  };
  const std::vector<Case> cases = {
      {11, 10, false, 0, true},  {12, 10, false, 0, false}, {12, 10, true, 2, true},
      {13, 10, true, 2, false},  {10, 10, false, 0, true},  {40, 10, true, 30, true},
      {41, 10, true, 30, false},
  };
  EngineRig rig;
  for (const Case& c : cases) {
    rig.gildex.IgnoreSmallFunctions(c.ignore_small);
    rig.gildex.MinLines(c.min_lines);
    EXPECT_EQ(rig.gildex.SmallProcedure(c.last, c.body), c.small) << c.last << "-" << c.body;
  }
}

TEST(LineRules, TruncateBlankLinesIn) {
  struct Case {
    std::string before, after;
  };
  const std::vector<Case> cases = {
      {"Sub A()\r\nEnd Sub\r\n\r\n   \r\n", "Sub A()\r\nEnd Sub"},
      {"Option Explicit\r\n\r\nSub A()\r\nEnd Sub\r\n\r\n \r\n\r\n", "Option Explicit\r\n\r\nSub A()\r\nEnd Sub"},
      {"Sub A()\r\n\r\nEnd Sub", "Sub A()\r\n\r\nEnd Sub"},
      {"\r\n  \r\n", ""},
      {"", ""},
  };
  EngineRig rig;
  for (const Case& c : cases) {
    auto module = host::MemoryCodeModule::FromText("modA", c.before);
    rig.gildex.TruncateBlankLinesIn(*module);
    EXPECT_EQ(module->Text(), c.after) << c.before;
  }
}

TEST(LineRules, HostFailureIsReportedUnderTheOperationsName) {
  auto module = host::MemoryCodeModule::FromText("modA", "Sub A()\r\nEnd Sub\r\n");
  EngineRig rig;
  EXPECT_EQ(rig.gildex.ProcType(*module, 99), 0);
  ASSERT_EQ(rig.dialogs.Asked().size(), 1u);
  const platform::MessageBox& box = rig.dialogs.Asked()[0];
  EXPECT_EQ(box.title, "Gildex Error.");
  EXPECT_EQ(box.style, platform::vbAbortRetryIgnore | platform::vbExclamation);
  EXPECT_EQ(ReportedNames(rig.dialogs), std::vector<std::string>{"CGildex.ProcType"});
  EXPECT_EQ(box.prompt.rfind("Error 9: \r\n", 0), 0u) << box.prompt;
}

TEST(LineRules, RetryRunsTheOperationAgain) {
  auto module = host::MemoryCodeModule::FromText("modA", "Sub A()\r\nEnd Sub\r\n");
  EngineRig rig;
  rig.dialogs.Answer(platform::vbRetry);
  rig.dialogs.Answer(platform::vbIgnore);
  EXPECT_EQ(rig.gildex.ProcType(*module, 0), 0);
  EXPECT_EQ(ReportedNames(rig.dialogs), (std::vector<std::string>{"CGildex.ProcType", "CGildex.ProcType"}));
}

}  // namespace
}  // namespace gildex
