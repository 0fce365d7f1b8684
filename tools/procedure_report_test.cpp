// The procedure report: which error handling each procedure has, whether an insertion would
// treat it, and where it stands in its file.
#include "tools/procedure_report.h"

#include <gtest/gtest.h>

#include "engine/engine_rig_test.h"
#include "tools/tools_rig_test.h"

namespace gildex {
namespace {

using testing::ToolsRig;

TEST(ProcedureReport, TellsHandlingTreatmentAndFileLines) {
  ToolsRig rig({{"clsA.cls", std::string(testing::kClassHeader) +
                                 "Attribute VB_Name = \"clsA\"\r\nOption Explicit\r\n"
                                 "Sub Plain()\r\nAttribute Plain.VB_Description = \"hidden\"\r\n    OnErrorCount = 1\r\nEnd Sub\r\n"
                                 "Private Function Own() As Long\r\n    On Error GoTo Handler\r\nHandler:\r\nEnd Function\r\n"
                                 "Sub Tiny()\r\nEnd Sub\r\nSub Skipped() '<<>>\r\n    Beep\r\nEnd Sub\r\n"
                                 "Public Property Get Gr\xF6\xDF" "e() As Long\r\nOn Error GoTo Gr\xF6\xDF" "e_Err\r\n"
                                 "' ---- CODE BODY STARTS ----  (Standard)\r\n    Gr\xF6\xDF" "e = 1\r\nEnd Property\r\n"
                                 "Sub Unmarked()\r\nOn Error GoTo Unmarked_Err\r\n\r\n    Beep\r\n\r\n"
                                 "Unmarked_Err:\r\n    Log \"Unmarked\"\r\nEnd Sub\r\n"}},
               {"clsA.cls"});
  testing::EngineRig engine;
  engine.gildex.CodeBodyStart(std::string(kDefaultCodeBodyStart));
  // Written without marker lines: found by the template's lines, the variables as wildcards.
  engine.gildex.HeaderCode("On Error GoTo %ProcName%_Err");
  engine.gildex.FooterCode("%ProcName%_Err:\r\n    Log \"%ProcName%\"");
  const std::vector<ReportedProject> report = ReportProcedures(rig.vbe, engine.gildex);
  EXPECT_EQ(FormatProcedureReport(report, true),
            "clsA.Plain\tPublic Sub\tlines 2-4\tnone\n"
            "clsA.Own\tPrivate Function\tlines 5-8\town\n"
            "clsA.Tiny\tPublic Sub\tlines 9-10\tnone\n"
            "clsA.Skipped\tPublic Sub\tlines 11-13\tnone\n"
            "clsA.Gr\xF6\xDF" "e\tPublic Property Get\tlines 14-18\tgildex\n"
            "clsA.Unmarked\tPublic Sub\tlines 19-26\tgildex\n");
  const std::vector<ReportedProcedure>& rows = report.at(0).procedures;
  // The file's own lines: four header lines and the name above the code, the hidden line below Plain's declaration.
  EXPECT_EQ(rows[0].procedure.file_line, 7);
  EXPECT_EQ(rows[0].procedure.file_end_line, 10);
  EXPECT_EQ(rows[1].procedure.file_line, 11);
  EXPECT_EQ(rows[0].file, rig.Path("clsA.cls"));
  // Too small and skip-tagged procedures are none of insert's business.
  const auto names = [](const std::vector<ReportedProcedure>& list) {
    std::string text;
    for (const ReportedProcedure& row : list) text += row.procedure.name + " ";
    return text;
  };
  EXPECT_EQ(names(WithoutHandling(report)), "Plain ");
  engine.gildex.InsertInto("Function");
  EXPECT_EQ(names(WithoutHandling(ReportProcedures(rig.vbe, engine.gildex))), "");
  // Another marker and another template: the inserted blocks read as the procedures' own.
  engine.gildex.CodeBodyStart("'>> body");
  engine.gildex.HeaderCode("On Error GoTo Fail");
  const std::vector<ReportedProject> other = ReportProcedures(rig.vbe, engine.gildex);
  EXPECT_EQ(other.at(0).procedures.at(4).handling, ErrorHandling::Own);
  EXPECT_EQ(other.at(0).procedures.at(5).handling, ErrorHandling::Own);
}

}  // namespace
}  // namespace gildex
