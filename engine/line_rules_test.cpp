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
      {"' comment", "'", true}, {"'comment", "'", false}, {"'", "'", true}, {"   '", "'", true}, {"  Su", "Sub", false},
      {"x = 1 ' note", "'", false},
      {"Function\tF()", "Function", false},  // a tab is not a blank
  };
  EngineRig rig;
  for (const auto& c : cases)
    EXPECT_EQ(rig.gildex.MatchFirstToken(c.line, c.token), c.matches) << '"' << c.line << "\" / " << c.token;
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
