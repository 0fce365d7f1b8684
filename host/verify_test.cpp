#include "host/verify.h"

#include <gtest/gtest.h>

#include "host/host_test.h"
#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using testing::TempDir;
using testing::SmallProject;
using testing::WriteBytes;

// The report lists components and the procedures the host reports, missing files and
// structure problems at the lines of the file (hidden attribute lines counted).
TEST(Verify, ListsComponentsProceduresAndProblemsAtTheirFileLines) {
  SmallProject small;
  WriteBytes(small.vbp, ReadBytes(small.vbp) + "Module=Tools; Tools.bas\r\nModule=Gone; Gone.bas\r\n");
  WriteBytes(small.dir / "Tools.bas",
             "Attribute VB_Name = \"Tools\"\r\n"                     // file line 1
             "Public Function Twice(ByVal n As Long) As Long\r\n"    // 2, module line 1
             "Attribute Twice.VB_Description = \"Doubles n\"\r\n"    // 3, hidden
             "    If n > 0 Then\r\n"                                // 4
             "        Twice = 2 * n\r\n"                            // 5
             "    Next\r\n"                                         // 6
             "End Function\r\n"                                     // 7
             "Public Property Let Size(ByVal v As Long)\r\nEnd Property\r\n");
  VerifyReport report = VerifyProject(small.vbp, true);
  EXPECT_EQ(report.ExitCode(), 1);  // Gone.bas is missing
  const std::string project = small.vbp.string(), tools = (small.dir / "Tools.bas").string();
  EXPECT_EQ(FormatVerifyReport(report, true),
            "Project Orders (" + project + ")\n"
            "  Form            frmMain                 Main.frm\n"
            "      Private Sub          cmdOK_Click                     2-5 (body 3)\n"
            "  Module          Util                    Util.bas\n"
            "      Public  Sub          Ping                            2-5 (body 3)\n"
            "  Class           Thing                   Thing.cls\n"
            "      Public  Property Get Count                           2-5 (body 3)\n"
            "  Module          Tools                   Tools.bas\n"
            "      Public  Function     Twice                           1-5 (body 1)\n"
            "      Public  Property Let Size                            6-7 (body 6)\n" +
                project + ":7: error: file not found: \"Gone.bas\"\n" + tools + ":4: structure: If without End If\n" + tools +
                ":6: structure: Next without For\n"
                "4 components in 1 project: 1 error, 0 warnings, 0 files not written back byte for byte, 2 structure problems\n");
}

TEST(Verify, ExitCodeSaysHowBadItIs) {
  SmallProject small;
  const TempDir& dir = small.dir;
  WriteBytes(dir / "Warned.vbp", "Type=Exe\r\nClass=Thing; ..\\elsewhere\\Thing.cls\r\n");
  EXPECT_EQ(FormatVerifyReport(VerifyProject(dir / "Missing.vbp", false), false),
            "error: cannot read project " + (dir / "Missing.vbp").string() + ": No such file or directory\n");
  // A form with its .frx is in the small project; the corpus's loading and writing back are the loader's test.
  for (const auto& [path, exit_code] : std::vector<std::pair<fs::path, int>>{
           {small.vbp, 0}, {dir / "Warned.vbp", 0}, {dir / "Thing.cls", 0}, {dir / "Missing.vbp", 2}}) {
    VerifyReport report = VerifyProject(path, false);
    EXPECT_EQ(report.ExitCode(), exit_code) << path << "\n" << FormatVerifyReport(report, false);
  }
}

}  // namespace
}  // namespace gildex::host
