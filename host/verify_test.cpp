#include "host/verify.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/corpus_test.h"
#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;
using platform::testing::WriteBytes;
using ::testing::HasSubstr;

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

TEST(Verify, ListsComponentsAndTheProceduresTheHostReports) {
  TempDir dir;
  WriteBytes(dir / "Shapes.vbp", "Type=Exe\r\nClass=Shape; Shape.cls\r\nModule=Gone; Gone.bas\r\nName=\"Shapes\"\r\n");
  WriteBytes(dir / "Shape.cls", kShapes);
  VerifyReport report = VerifyProject(dir / "Shapes.vbp", true);
  ASSERT_EQ(report.projects.size(), 1u);
  ASSERT_EQ(report.projects[0].components.size(), 1u);
  const ComponentInfo& shape = report.projects[0].components[0];
  EXPECT_EQ(shape.type_name, "Class");
  EXPECT_EQ(shape.name, "Shape");
  EXPECT_EQ(shape.file, "Shape.cls");
  std::vector<std::string> procedures;
  for (const ProcedureInfo& p : shape.procedures)
    procedures.push_back(p.scope + " " + p.kind + " " + p.name + " " + std::to_string(p.start_line) + "-" +
                         std::to_string(p.end_line) + " body " + std::to_string(p.body_line));
  EXPECT_EQ(procedures, (std::vector<std::string>{
                            "Public Property Get Width 3-7 body 5",
                            "Friend Property Let Width 8-11 body 9",
                            "Public Function Area 12-15 body 13",
                            "Private Sub Tick 16-18 body 17",
                        }));
  EXPECT_EQ(report.ExitCode(), 1);  // Gone.bas is missing
  std::string text = FormatVerifyReport(report, true);
  EXPECT_THAT(text, HasSubstr((dir / "Shapes.vbp").string() + ":3: error: file not found: \"Gone.bas\"\n"));
  EXPECT_THAT(text, HasSubstr("  Class           Shape                   Shape.cls\n"));
  EXPECT_THAT(text, HasSubstr("      Friend  Property Let Width"));
  EXPECT_THAT(text, HasSubstr("1 components in 1 project: 1 errors, 0 warnings, 0 files not written back"));
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

TEST(Verify, ReportsStructureProblemsAtTheirFileLines) {
  TempDir dir;
  WriteBytes(dir / "Shapes.vbp", "Type=Exe\r\nClass=Shape; Shape.cls\r\nModule=Tools; Tools.bas\r\n");
  WriteBytes(dir / "Shape.cls", kShapes);
  WriteBytes(dir / "Tools.bas",
             "Attribute VB_Name = \"Tools\"\r\n"                     // file line 1
             "Public Function Twice(ByVal n As Long) As Long\r\n"    // 2, module line 1
             "Attribute Twice.VB_Description = \"Doubles n\"\r\n"    // 3, hidden
             "    If n > 0 Then\r\n"                                // 4
             "        Twice = 2 * n\r\n"                            // 5
             "    Next\r\n"                                         // 6
             "End Function\r\n");                                   // 7
  VerifyReport report = VerifyProject(dir / "Shapes.vbp", false);
  EXPECT_EQ(report.ExitCode(), 1);
  std::string tools = (dir / "Tools.bas").string();
  EXPECT_EQ(FormatVerifyReport(report, false),
            "Project Shapes (" + (dir / "Shapes.vbp").string() + ")\n"
            "  Class           Shape                   Shape.cls\n"
            "  Module          Tools                   Tools.bas\n" +
                tools + ":4: structure: If without End If\n" +
                tools + ":6: structure: Next without For\n"
                        "2 components in 1 project: 0 errors, 0 warnings, 0 files not written back byte for byte, "
                        "2 structure problems\n");
}

}  // namespace
}  // namespace gildex::host
