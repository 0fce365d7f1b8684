// The procedure report: which error handling each procedure has, and the text and JSON
// written of it.
#include "tools/procedure_report.h"

#include <gtest/gtest.h>

#include "engine/gildex.h"
#include "tools/json.h"
#include "tools/tools_rig_test.h"

namespace gildex {
namespace {

using testing::ToolsRig;

TEST(ProcedureReport, TellsNoneOwnAndGildexHandlingAsTextAndJson) {
  ToolsRig rig({{"modA.bas", "Attribute VB_Name = \"modA\"\r\n"
                             "Option Explicit\r\n"
                             "Sub Plain()\r\n"
                             "    OnErrorCount = 1\r\n"
                             "End Sub\r\n"
                             "Private Function Own() As Long\r\n"
                             "    On Error GoTo Handler\r\n"
                             "Handler:\r\n"
                             "End Function\r\n"
                             "Friend Sub Local()\r\n"
                             "    on local error resume next\r\n"
                             "End Sub\r\n"
                             "Public Property Get Gr\xF6\xDF" "e() As Long\r\n"
                             "On Error GoTo Gr\xF6\xDF" "e_Err\r\n"
                             "' ---- CODE BODY STARTS ----  (Standard)\r\n"
                             "    Gr\xF6\xDF" "e = 1\r\n"
                             "End Property\r\n"},
                {"modB.bas", "Attribute VB_Name = \"modB\"\r\nPublic X As Long\r\n"}},
               {"modA.bas", "modB.bas"});
  const std::vector<ReportedProject> report = ReportProcedures(rig.vbe, std::string(kDefaultCodeBodyStart));
  EXPECT_EQ(FormatProcedureReport(report, true),
            "modA.Plain\tPublic Sub\tlines 2-4\tnone\n"
            "modA.Own\tPrivate Function\tlines 5-8\town\n"
            "modA.Local\tFriend Sub\tlines 9-11\town\n"
            "modA.Gr\xF6\xDF" "e\tPublic Property Get\tlines 12-16\tgildex\n");
  EXPECT_EQ(ProcedureReportJson(report, true),
            "{\"projects\": [\n"
            "  {\"name\": \"Tools\", \"file\": \"Tools.vbp\", \"procedures\": [\n"
            "    {\"component\": \"modA\", \"name\": \"Plain\", \"kind\": \"Sub\", \"scope\": \"Public\", "
            "\"start_line\": 2, \"end_line\": 4, \"error_handling\": \"none\"},\n"
            "    {\"component\": \"modA\", \"name\": \"Own\", \"kind\": \"Function\", \"scope\": \"Private\", "
            "\"start_line\": 5, \"end_line\": 8, \"error_handling\": \"own\"},\n"
            "    {\"component\": \"modA\", \"name\": \"Local\", \"kind\": \"Sub\", \"scope\": \"Friend\", "
            "\"start_line\": 9, \"end_line\": 11, \"error_handling\": \"own\"},\n"
            "    {\"component\": \"modA\", \"name\": \"Gr\xC3\xB6\xC3\x9F" "e\", \"kind\": \"Property Get\", "
            "\"scope\": \"Public\", \"start_line\": 12, \"end_line\": 16, \"error_handling\": \"gildex\"}\n"
            "  ]}\n]}\n");
  // The marker is the setting's: with another one the inserted block is the procedure's own.
  EXPECT_EQ(ReportProcedures(rig.vbe, "'>> body").at(0).procedures.at(3).handling, ErrorHandling::Own);
  EXPECT_EQ(ProcedureReportJson({}, false), "{\"projects\": []}\n");
}

TEST(ProcedureReport, JsonStringsAreEscapedUtf8) {
  const struct {
    std::string text, json;
  } cases[] = {
      {"", "\"\""},
      {"say \"hi\" \\ done", "\"say \\\"hi\\\" \\\\ done\""},
      {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
      {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
      {std::string("nul\0x", 5), "\"nul\\u0000x\""},
      {"\x80 \xE9 \xFF", "\"\xE2\x82\xAC \xC3\xA9 \xC3\xBF\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

}  // namespace
}  // namespace gildex
