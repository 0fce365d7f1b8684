// The token tests that classify source lines, and how a failing one is reported.
#include <gtest/gtest.h>

#include <string>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "engine/line_rules.h"
#include "host/memory_code_module.h"

namespace gildex {
namespace {

using testing::EngineRig;

TEST(LineRules, MatchFirstToken) {
  using lines::After;
  constexpr After N = After::NextCharacter, R = After::RestOfLine;
  const struct {
    std::string line, token;
    After after;
    bool matches;
  } cases[] = {
      {"sub main()", "SUB", N, true}, {"   Sub", "Sub", N, true}, {"Subtotal = 1", "Sub", N, false},
      {"x = Sub1: Sub", "Sub", N, false},  // only the first occurrence counts
      {"Private Sub Foo()", "Sub", N, false}, {"End Sub ' done", "End Sub", N, true},
      {"EndSub", "End Sub", N, false}, {"", "Sub", N, false},
      // The trimmed length is compared with the untrimmed position: an indented short line
      // matches even with a letter right after the token.
      {"      Sub1", "Sub", N, true}, {"   Subtotal", "Sub", N, false},
      {"' comment", "'", N, true}, {"'comment", "'", N, false}, {"'", "'", N, true}, {"   '", "'", N, true},
      {"  Su", "Sub", N, false}, {"x = 1 ' note", "'", N, false},
      {"Function\tF()", "Function", N, false},  // a tab is not a blank
      // The event-code converter wants the token alone on its line.
      {"   end function   ", "End Function", R, true}, {"End Sub ' done", "End Sub", R, false},
      {"x = 1: End Sub", "End Sub", R, false}, {"  End SubX", "End Sub", R, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lines::MatchFirstToken(c.line, c.token, c.after), c.matches) << '"' << c.line << "\" / " << c.token;
  EXPECT_TRUE(lines::IsEndProc("End Property", R));
  EXPECT_FALSE(lines::IsEndProc("End If", R));
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

}  // namespace
}  // namespace gildex
