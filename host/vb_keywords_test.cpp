#include "host/vb_keywords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/memory_code_module.h"

namespace gildex::host {
namespace {

TEST(RenderKeywords, KeywordsTakeVb6sCaseAndNothingElseChanges) {
  struct Case {
    std::string given;
    std::string rendered;
  };
  // A sample of the keyword list, not all of it: the list itself is data.
  const std::vector<Case> cases = {
      {"\tExit SUB", "\tExit Sub"},
      {"On Error Goto 0", "On Error GoTo 0"},
      {"    on error goto Save_ErrorHandler", "    On Error GoTo Save_ErrorHandler"},
      {"10  If x Then gosub 20 elseif y then return", "10  If x Then GoSub 20 ElseIf y Then Return"},
      {"Private Function f(byval a as long, BYREF b As string, optional c as variant) as boolean",
       "Private Function f(ByVal a As Long, ByRef b As String, Optional c As Variant) As Boolean"},
      {"const K = true or false xor not a and b mod c", "Const K = True Or False Xor Not a And b Mod c"},
      {"if typeof o is Form then x = empty else x = null", "If TypeOf o Is Form Then x = Empty Else x = Null"},
      {"debug.print x", "Debug.Print x"},
      {"#if DEBUG then", "#If DEBUG Then"},
      // Comments, members, bracketed names and names that contain a keyword stay; so do type suffixes.
      {"x = 1: rem on error goto 0", "x = 1: Rem on error goto 0"},
      {"s = date$ & left$(s, 1)", "s = Date$ & left$(s, 1)"},
      {"rs.close: rs!end = 1: me.print", "rs.close: rs!end = 1: Me.print"},
      {"[end] = endTime + EndIf_1 + subTotal + x.Type", "[end] = endTime + EndIf_1 + subTotal + x.Type"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RenderKeywords(c.given), c.rendered) << c.given;
}

// Only the lines an edit gives the module are rendered; the file's own lines keep every byte.
TEST(RenderKeywords, OnlyEditedLinesAreRendered) {
  auto module = MemoryCodeModule::FromText("modA", "sub A()\r\n    x = 1\r\nend sub");
  module->InsertLines(2, "on error goto A_ErrorHandler");
  module->ReplaceLine(4, "end sub ' exit sub");
  EXPECT_EQ(module->Text(), "sub A()\r\nOn Error GoTo A_ErrorHandler\r\n    x = 1\r\nEnd Sub ' exit sub");
  EXPECT_EQ(module->CheckConsistency(), "");
}

}  // namespace
}  // namespace gildex::host
