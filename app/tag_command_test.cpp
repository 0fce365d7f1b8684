// `gildex tag` as a user runs it, one command after another on a copy of the sample project:
// the module compared after each. How an insert reads the tags is the engine's test.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/command_line_test.h"
#include "common/nembus_common.h"
#include "session/sample_project_test.h"

namespace gildex::app {
namespace {

using platform::testing::ReadBytes;

TEST(TagCommand, TagsAndUntagsMembersAsTheWindowDoes) {
  testing::SampleProject sample;
  const std::filesystem::path module = sample.dir / "Sample" / "modGlobals.bas";
  const std::string original = ReadBytes(module);
  const std::string main = "Public Sub Main()\r\n";
  const std::string read_ini = "Optional ByVal Default As String = \"\") As String\r\n";
  auto tagged = [&](const std::string& text, const std::string& line, const std::string& name) {
    return ReplaceAll(text, line, line.substr(0, line.size() - 2) + " ' GX2/" + name + "\r\n");
  };
  const std::string both = tagged(tagged(original, main, "Standard"), read_ini, "Standard");
  const std::string logging = ReplaceAll(tagged(original, read_ini, "Logging"), main, "Public Sub Main() \r\n");
  RunSteps({"tag", sample.Project(), "--component"}, module,
           {{{"modGlobals"}, 0, "Main\tMethod\t\nReadIni\tMethod\t\n", original},
            {{"modGlobals", "--proc", "Main"}, 2, "no template is chosen", original},
            {{"modGlobals", "--proc", "Nope", "--template", "Standard"}, 2,
             "modGlobals has no method, property or event \"Nope\"", original},
            {{"modnope"}, 2, "no component named \"modnope\" in the project Orders", original},
            {{"modGlobals", "--proc", "main", "--proc", "READINI", "--template", "Standard", "--dry-run"}, 0,
             "-Public Sub Main()\r\n+Public Sub Main() ' GX2/Standard\r\n", original},
            {{"modGlobals", "--proc", "main", "--proc", "READINI", "--template", "Standard"}, 0,
             "ReadIni\tMethod\tStandard\n", both},
            {{"modGlobals", "--proc", "Main", "--template", "Standard", "--check"}, 0, "", both},
            // Apply tags every checked member for the template in use, as the window does.
            {{"modGlobals", "--untag", "Main", "--template", "Logging"}, 0, "Main\tMethod\t\nReadIni\tMethod\tLogging\n",
             logging}});
  const std::string vbp = sample.Project();
  EXPECT_EQ(RunGildex({"tag", vbp, "--component", "modGlobals", "--untag", "Main", "--template", "Logging"}).Summary(),
            "gildex: nothing to change.");
  EXPECT_EQ(RunGildex({"tag", vbp, "--component", "modGlobals", "--untag", "readini", "--proc", "Main", "--template",
                       "Logging", "--check"})
                .Summary(),
            "gildex: 1 procedure tagged for Logging, 1 tag removed; 1 file would be written.");
}

}  // namespace
}  // namespace gildex::app
