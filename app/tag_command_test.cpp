// `gildex tag` as a user runs it, one command after another on a copy of the sample project:
// the module compared after each. How an insert reads the tags is the engine's test.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line_test.h"
#include "common/nembus_common.h"
#include "platform/test_files.h"
#include "session/sample_project_test.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;

TEST(TagCommand, TagsAndUntagsMembersAsTheWindowDoes) {
  testing::SampleProject sample;
  const fs::path folder = sample.dir / "Sample";
  const std::string vbp = sample.Project();
  const fs::path module = folder / "modGlobals.bas";
  const std::string original = ReadBytes(module);
  const std::string main = "Public Sub Main()\r\n";
  const std::string read_ini = "Optional ByVal Default As String = \"\") As String\r\n";
  auto tagged = [&](const std::string& text, const std::string& line, const std::string& name) {
    return ReplaceAll(text, line, line.substr(0, line.size() - 2) + " ' GX2/" + name + "\r\n");
  };
  const std::string both = tagged(tagged(original, main, "Standard"), read_ini, "Standard");
  const std::string logging = ReplaceAll(tagged(original, read_ini, "Logging"), main, "Public Sub Main() \r\n");
  const struct {
    std::vector<std::string> args;
    int code;
    std::string said;  // a part of standard output for 0, of standard error otherwise
    std::string after;
    std::string component = "modGlobals";
  } cases[] = {
      {{}, 0, "Main\tMethod\t\nReadIni\tMethod\t\n", original},
      {{"--proc", "Main"}, 2, "no template is chosen", original},
      {{"--proc", "Nope", "--template", "Standard"}, 2, "modGlobals has no method, property or event \"Nope\"", original},
      {{}, 2, "no component named \"modnope\" in the project Orders", original, "modnope"},
      {{"--proc", "main", "--proc", "READINI", "--template", "Standard", "--dry-run"}, 0,
       "-Public Sub Main()\r\n+Public Sub Main() ' GX2/Standard\r\n", original},
      {{"--proc", "main", "--proc", "READINI", "--template", "Standard"}, 0, "ReadIni\tMethod\tStandard\n", both},
      {{"--proc", "Main", "--template", "Standard", "--check"}, 0, "", both},
      // Apply tags every checked member for the template in use, as the window does.
      {{"--untag", "Main", "--template", "Logging"}, 0, "Main\tMethod\t\nReadIni\tMethod\tLogging\n", logging},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"tag", vbp, "--component", c.component};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Ran run = RunGildex(args);
    const std::string what = c.args.empty() ? c.component : c.args.front() + " " + c.args.back();
    EXPECT_EQ(run.code, c.code) << what << "\n" << run.err;
    EXPECT_NE((c.code == 0 ? run.out : run.err).find(c.said), std::string::npos) << what << "\n" << run.out << run.err;
    EXPECT_EQ(ReadBytes(module), c.after) << what;
  }
  EXPECT_EQ(RunGildex({"tag", vbp, "--component", "modGlobals", "--untag", "Main", "--template", "Logging"}).Summary(),
            "gildex: nothing to change.");
  EXPECT_EQ(RunGildex({"tag", vbp, "--component", "modGlobals", "--untag", "readini", "--proc", "Main", "--template",
                       "Logging", "--check"})
                .Summary(),
            "gildex: 1 procedure tagged for Logging, 1 tag removed; 1 file would be written.");
}

}  // namespace
}  // namespace gildex::app
