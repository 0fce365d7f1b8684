#include "host/structural_check.h"

#include <gtest/gtest.h>


#include "host/host_test.h"
#include "host/memory_code_module.h"
#include "host/project_loader.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;

std::string Describe(const std::vector<StructureProblem>& problems) {
  std::string text;
  for (const StructureProblem& p : problems)
    text += p.component + ":" + std::to_string(p.line) + ": " + p.message + "\n";
  return text;
}

// Real projects that VB6 compiles: the check must find nothing in any of them.
TEST(StructuralCheck, EveryCorpusAndSampleProjectIsSound) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  std::vector<fs::path> projects = testing::CorpusFiles({".vbp"});
  projects.push_back(fs::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp");
  for (const fs::path& path : projects) {
    SCOPED_TRACE(path.string());
    MemoryVBE vbe;
    LoadResult loaded = Load(vbe, path);
    ASSERT_TRUE(loaded.readable) << loaded.error;
    ASSERT_EQ(loaded.projects.size(), 1u);
    EXPECT_EQ(Describe(CheckStructure(*loaded.projects[0])), "");
  }
  EXPECT_EQ(projects.size(), 18u);
}

// Each broken module has one fault (or a few); the problems name the line where VB6 would stop.
TEST(StructuralCheck, FindsTheFaultsOfBrokenModulesAndAcceptsWhatVbAccepts) {
  const std::vector<std::pair<std::string, std::string>> cases = {  // the module's text, its problems
      {"Option Explicit\nEnd Sub\n", "2: End Sub without Sub\n"},
      {"Sub Foo()\n  x = 1\n\nFunction Bar()\nEnd Function\n", "1: Sub Foo has no End Sub\n"},  // procedure never ended
      // last procedure never ended
      {"Public Property Get Name() As String\n  Name = \"a\"\n", "1: Property Get Name has no End Property\n"},
      {"Function Foo() As Long\nEnd Sub\n", "2: Function Foo ends with End Sub\n"},
      {"Sub Foo()\n  Next\nEnd Sub\n", "2: Next without For\n"},
      {"Sub Foo()\n  For i = 1 To 3\n    x = i\nEnd Sub\n", "2: For without Next\n"},
      {"Sub Foo()\n  For i = 1 To 3\n  Next j\nEnd Sub\n", "3: Next j does not match For i\n"},
      {"Sub Foo()\n  For i = 1 To 3\n  Next j, i\nEnd Sub\n", "3: Next j does not match For i\n3: Next without For\n"},
      {"Sub Foo()\n  x = 1\n  End If\nEnd Sub\n", "3: End If without block If\n"},
      // single-line If is no block
      {"Sub Foo()\n  If x Then y = 1\n  End If\nEnd Sub\n", "3: End If without block If\n"},
      // If Then with a comment is a block
      {"Sub Foo()\n  If x Then ' go on\n    y = 1\nEnd Sub\n", "2: If without End If\n"},
      {"Sub Foo()\n  Else\nEnd Sub\n", "2: Else without block If\n"},
      // ElseIf inside a For of the If
      {"Sub Foo()\n  If a Then\n    For i = 1 To 2\n  ElseIf b Then\n    Next\n  End If\nEnd Sub\n",
       "4: ElseIf without block If\n"},
      {"Sub Foo()\n  Loop Until x\nEnd Sub\n", "2: Loop without Do\n"},
      {"Sub Foo()\n  Do While x\n  x = x - 1\nEnd Sub\n", "2: Do without Loop\n"},
      {"Sub Foo()\n  While x\nEnd Sub\n", "2: While without Wend\n"},
      {"Sub Foo()\n  Case 1\nEnd Sub\n", "2: Case without Select Case\n"},
      {"Sub Foo()\n  Select Case x\n  Case 1\nEnd Sub\n", "2: Select Case without End Select\n"},
      // blocks crossed
      {"Sub Foo()\n  Do\n    If x Then\n  Loop\n  End If\nEnd Sub\n",
       "3: If without End If\n5: End If without block If\n"},
      {"Sub Foo()\n  On Error GoTo Foo_Err\n  x = 1\nFoo_Error:\nEnd Sub\n", "2: label Foo_Err not defined in Foo\n"},
      // label of another procedure
      {"Sub A()\nDone:\nEnd Sub\nSub B()\n  GoTo Done\nEnd Sub\n", "5: label Done not defined in B\n"},
      // undefined line number in Resume and GoSub
      {"Sub Foo()\n10 x = 1\n  Resume 20\n  GoSub 10\nEnd Sub\n", "3: line number 20 not defined in Foo\n"},
      // single-line If jumping to a line number
      {"Sub Foo()\n  If x Then 100 Else GoTo There\nEnd Sub\n",
       "2: line number 100 not defined in Foo\n2: label There not defined in Foo\n"},
      {"Sub Foo()\n  On n GoTo A, 20, B\nA:\nB:\nEnd Sub\n", "2: line number 20 not defined in Foo\n"},  // computed GoTo
      {"Sub Foo()\nAgain:\nAgain: x = 1\nEnd Sub\n", "3: label Again defined twice in Foo\n"},
      {"Sub A()\nEnd Sub\nx = 1\nSub B()\nEnd Sub\n", "3: statement outside a procedure\n"},
      {"Private Type Point\n  X As Long\nSub A()\nEnd Sub\n", "1: Type Point has no End Type\n"},
      {"Option Explicit\nEnd Enum\n", "2: End Enum without Enum\n"},
      {"Sub A()\n  Type P\n    X As Long\n  End Type\nEnd Sub\n", "2: Type P inside a procedure\n"},
      {"Sub A()\n  Type P\n    X As Long\nEnd Sub\n", "2: Type P inside a procedure\n2: Type P has no End Type\n"},
      // continued lines count from their first line
      {"Sub A()\n  x = 1 + _\n      2: For i = 1 _\n   To 3\nEnd Sub\n", "2: For without Next\n"},
      {"#If Win32 Then\nSub A()\nEnd Sub\n", "1: #If without #End If\n"},
      // the taken #If branch is checked
      {"#Const Old = 0\n#If Old Then\nSub A()\nEnd Sub\n#Else\nSub A()\n#End If\n", "6: Sub A has no End Sub\n"},
      // Forms that look unbalanced to a line-by-line reading but compile.
      // one-line blocks and Case bodies
      {"Sub A()\n  Do: DoEvents: Loop Until x\n  Select Case k: Case 1: y = 1: Case Else: y = 2: End Select\n"
       "  With Me: .Caption = \"a: b\": End With\n  For i = 1 To 2: Next i\nEnd Sub\n", ""},
      // single-line Ifs with colons and Else
      {"Sub A()\n  If a Then b: c Else d: e\n  If a Then: b = 1\n  If a Then If b Then c Else d\n"
       "  If a Then _\n    Exit Sub\nEnd Sub\n", ""},
      // Next closing two counters with type suffixes
      {"Sub A()\n  For i% = 1 To 2\n    For J = 1 To 2\n  Next j, I%\nEnd Sub\n", ""},
      // error handling forms without labels
      {"Sub A()\n  On Error GoTo 0\n  On Error GoTo -1\n  On Error Resume Next\n  Resume Next\n  Resume\n"
       "  Resume 0\nEnd Sub\n", ""},
      // labels and line numbers as jump targets
      {"Function F() As Long\n  On Local Error GoTo 100\n  GoSub Work\n  Exit Function\nWork: F = 1: Return\n"
       "100 F = -1\n105 End Function\n", ""},
      // member names that are keywords
      {"Sub A()\n  With obj\n    .Type = 1: .Loop = 2\n    If .Then Then .Next = 1\n  End With\nEnd Sub\n", ""},
      // declarations between procedures and in Type and Enum
      {"Option Explicit\nDefInt A-Z\nPrivate Type T\n  Next As Long\nEnd Type\nSub A()\nEnd Sub\n"
       "Public Enum E\n  [Do] = 1\nEnd Enum\nPrivate Declare Function F Lib \"k\" () As Long\n", ""},
      // deeply nested single-line Ifs
      {"Sub A()\n" + [] {
         std::string line;
         for (int i = 0; i < 5000; ++i) line += "If a Then b Else ";
         return line;
       }() + "x = 1\nEnd Sub\n", ""},
      // the branch #If does not take is not checked
      {"#If Win16 Then\nSub A(\n#ElseIf Win32 Then\nSub A()\nEnd Sub\n#Else\nEnd If\n#End If\n", ""},
  };
  for (const auto& [text, problems] : cases) {
    std::string found;
    for (const StructureProblem& p : CheckStructure(*MemoryCodeModule::FromText("Module1", text), "Module1"))
      found += std::to_string(p.line) + ": " + p.message + "\n";
    EXPECT_EQ(found, problems) << text;
  }
}

TEST(StructuralCheck, EveryClosingLineRemovedFromARealModuleIsFound) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  const std::vector<std::string_view> closers = {"End If", "Next", "Loop", "Wend", "End Select",
                                                 "End With", "End Sub", "End Function", "End Property"};
  MemoryVBE vbe;
  LoadResult loaded = Load(vbe, testing::kCorpus / "billing-app/KwikiBilling.vbp");
  ASSERT_TRUE(loaded.readable) << loaded.error;
  int removed = 0;
  for (MemoryComponent* component : loaded.projects[0]->Components()) {
    MemoryCodeModule* code = component->MemoryCode();
    if (!code) continue;
    for (std::string_view closer : closers) {
      for (long line = 1; line <= code->CountOfLines(); ++line) {
        std::string text = code->Lines(line, 1);
        std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos || !cp1252::EqualsNoCase(text.substr(first), closer)) continue;
        auto broken = MemoryCodeModule::FromText(component->Name(), code->Text());
        broken->DeleteLines(line);
        SCOPED_TRACE(component->Name() + ":" + std::to_string(line) + " " + text);
        EXPECT_FALSE(CheckStructure(*broken, component->Name()).empty());
        ++removed;
        break;
      }
    }
  }
  EXPECT_EQ(removed, 196);
}

}  // namespace
}  // namespace gildex::host
