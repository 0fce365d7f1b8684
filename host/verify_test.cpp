#include "host/verify.h"

#include <gtest/gtest.h>

#include "host/corpus_test.h"
#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

const char* const kShapes =
    "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\nAttribute VB_Name = \"Shape\"\r\n"
    "Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = True\r\nAttribute VB_PredeclaredId = False\r\n"
    "Attribute VB_Exposed = False\r\n"
    "Option Explicit\r\n"                    // 1
    "Private mWidth As Long\r\n"             // 2
    "\r\n"                                   // 3
    "' The width in twips\r\n"               // 4
    "Public Property Get Width() As Long\r\n"  // 5
    "    Width = mWidth\r\n"                 // 6
    "End Property\r\n"                       // 7
    "\r\n"                                   // 8
    "Friend Property Let Width(ByVal v As Long)\r\n"  // 9
    "    mWidth = v\r\n"                     // 10
    "End Property\r\n"                       // 11
    "\r\n"                                   // 12
    "Function Area() As Long\r\n"            // 13
    "    Area = mWidth * mWidth\r\n"         // 14
    "End Function\r\n"                       // 15
    "\r\n"                                   // 16
    "Private Static Sub Tick()\r\n"          // 17
    "End Sub\r\n";                           // 18

// The report lists components and the procedures the host reports, missing files and
// structure problems at the lines of the file (hidden attribute lines counted).
TEST(Verify, ListsComponentsProceduresAndProblemsAtTheirFileLines) {
  TempDir dir;
  WriteBytes(dir / "Shapes.vbp",
             "Type=Exe\r\nClass=Shape; Shape.cls\r\nModule=Tools; Tools.bas\r\nModule=Gone; Gone.bas\r\nName=\"Shapes\"\r\n");
  WriteBytes(dir / "Shape.cls", kShapes);
  WriteBytes(dir / "Tools.bas",
             "Attribute VB_Name = \"Tools\"\r\n"                     // file line 1
             "Public Function Twice(ByVal n As Long) As Long\r\n"    // 2, module line 1
             "Attribute Twice.VB_Description = \"Doubles n\"\r\n"    // 3, hidden
             "    If n > 0 Then\r\n"                                // 4
             "        Twice = 2 * n\r\n"                            // 5
             "    Next\r\n"                                         // 6
             "End Function\r\n");                                   // 7
  VerifyReport report = VerifyProject(dir / "Shapes.vbp", true);
  EXPECT_EQ(report.ExitCode(), 1);  // Gone.bas is missing
  const std::string project = (dir / "Shapes.vbp").string(), tools = (dir / "Tools.bas").string();
  EXPECT_EQ(FormatVerifyReport(report, true),
            "Project Shapes (" + project + ")\n"
            "  Class           Shape                   Shape.cls\n"
            "      Public  Property Get Width                           3-7 (body 5)\n"
            "      Friend  Property Let Width                           8-11 (body 9)\n"
            "      Public  Function     Area                            12-15 (body 13)\n"
            "      Private Sub          Tick                            16-18 (body 17)\n"
            "  Module          Tools                   Tools.bas\n"
            "      Public  Function     Twice                           1-5 (body 1)\n" +
                project + ":4: error: file not found: \"Gone.bas\"\n" + tools + ":4: structure: If without End If\n" + tools +
                ":6: structure: Next without For\n"
                "2 components in 1 project: 1 errors, 0 warnings, 0 files not written back byte for byte, 2 structure problems\n");
}

TEST(Verify, ExitCodeSaysHowBadItIs) {
  TempDir dir;
  WriteBytes(dir / "Good.vbp", "Type=Exe\r\nClass=Shape; Shape.cls\r\n");
  WriteBytes(dir / "Shape.cls", kShapes);
  WriteBytes(dir / "Warned.vbp", "Type=Exe\r\nClass=Shape; ..\\elsewhere\\Shape.cls\r\n");
  struct Case {
    fs::path path;
    int exit_code;
  };
  EXPECT_EQ(FormatVerifyReport(VerifyProject(dir / "Missing.vbp", false), false),
            "error: cannot read project " + (dir / "Missing.vbp").string() + ": No such file or directory\n");
  for (const Case& c : std::vector<Case>{{dir / "Good.vbp", 0},
                                         {dir / "Warned.vbp", 0},
                                         {dir / "Shape.cls", 0},
                                         {dir / "Missing.vbp", 2},
                                         // A real project with forms, controls and .frx files.
                                         {testing::kCorpus / "billing-app/KwikiBilling.vbp", 0}}) {
    SCOPED_TRACE(c.path.string());
    if (c.path.string().starts_with(testing::kCorpus.string()) && !fs::is_directory(testing::kCorpus)) {
      GTEST_SKIP() << "the other cases passed; the corpus case needs " << testing::kCorpus.string();
    }
    VerifyReport report = VerifyProject(c.path, false);
    EXPECT_EQ(report.ExitCode(), c.exit_code) << FormatVerifyReport(report, false);
  }
}

}  // namespace
}  // namespace gildex::host
