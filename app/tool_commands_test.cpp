// `gildex report`, `finder`, `info` and `verify --json` as a user runs them on the sample
// project and on the corpus.
#include "app/tool_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/command_line_test.h"
#include "host/host_test.h"
#include "session/sample_project_test.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;

TEST(ToolCommands, ReportFinderAndInfoOnTheSample) {
  testing::SampleProject sample;
  // Files are named relative to the current folder.
  const ScopedCwd cwd(sample.dir.Path());
  const fs::path folder = sample.dir / "Sample";
  const std::string project = sample.Project(), address = (folder / "clsAddress.cls").string();
  // The layout of the information and of the listing is tools' own; here the command's part.
  const std::string address_info = "Component Name : clsAddress\nFilename : " + address + "\nLines of code : 67\n";
  const fs::path clip = sample.dir / "clip.txt";
  const std::string street = "\r\nPublic Property Get Street() As String\r\n    Street = mStreet\r\nEnd Property";
  const struct {
    std::vector<std::string> args;
    int code;
    std::string out;  // found on standard output (JSON: all of it); on failure nothing but the gate's lines
    std::string err;  // found on standard error
  } cases[] = {
      {{"report", project, "--json"}, 0, ReadBytes(fs::path(GILDEX_SOURCE_DIR) / "app/testdata/sample_report.json"), ""},
      {{"info", "CLSADDRESS", "--project", project}, 0, address_info, ""},
      {{"info", address}, 0, address_info, ""},
      {{"info", address, "--project", project}, 0, address_info, ""},
      {{"info", "clsNothing", "--project", project}, 2, "", "no component named or loaded from clsNothing in "},
      {{"info", (folder / "missing.bas").string()}, 2, "", "missing.bas"},
      {{"finder", address}, 0, "clsAddress.Street\tPublic Property Let\tlines 21-27\nclsAddress.ZipCode\t", ""},
      {{"finder", address, "--show", "street", "--show", "Changed"}, 0,
       "\nPublic Property Get Street() As String\n    Street = mStreet\nEnd Property\nPublic Event Changed()\n", ""},
      {{"finder", address, "--project", project, "--show", "Street", "--copy", clip.string()}, 0, "",
       "bytes of code put on the clipboard"},
      {{"finder", address, "--show", "Nope"}, 2, "", "clsAddress has no method, property or event named Nope; it has: "
                                                     "Changed Class_Initialize Street ZipCode City Country IsBlank"},
      {{"finder", address, "--copy", clip.string()}, 2, "", "--project and --copy go with --show only"},
      {{"finder", address, "--json", "--show", "Street"}, 2, "", "does not go with --show"},
      {{"report", (folder / "missing.vbp").string()}, 2, "", "missing.vbp"},
      {{"report", project, "--check"}, 1, "Sample/modGlobals.bas:67: Main has no error handling\n",
       "gildex: 147 procedures that insert would treat have no error handling"},
      {{"report", project, "--check", "--quiet", "--json", "--sarif", "-"}, 2, "", "give --sarif a file"},
  };
  for (const auto& c : cases) {
    const Ran run = RunGildex(c.args);
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    EXPECT_EQ(run.code, c.code) << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_TRUE(c.args.back() != "--json" || run.out == c.out) << "nothing around the JSON";
    EXPECT_TRUE(c.code == 0 || c.args.back() == "--check" || run.out.empty()) << run.out;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadBytes(clip), street);
  EXPECT_EQ(sample.Changed(), std::vector<std::string>{});

  // After an insertion with the default settings, which writes no markers, the gate lets the
  // project pass: that the report knows Gildex's blocks by the template's lines is the
  // procedure report's test (tools/procedure_report_test.cpp).
  ASSERT_EQ(RunGildex({"templates", "default", "Standard"}).code, 0);
  ASSERT_EQ(RunGildex({"insert", project, "--yes", "--quiet"}).code, 0);
  EXPECT_EQ(RunGildex({"report", project, "--check", "--quiet"}).code, 0);
}

// The SARIF log against what the 2.1.0 schema requires, and the values code scanning reads.
TEST(ToolCommands, SarifLogHoldsWhatTheSchemaRequires) {
  testing::SampleProject sample;
  fs::create_directory(sample.dir / ".git");  // the repository root, which the URIs start from
  const fs::path log = sample.dir / "gildex.sarif";
  ASSERT_EQ(RunGildex({"report", sample.Project(), "--sarif", log.string(), "--quiet"}).code, 0);
  const auto sarif = nlohmann::json::parse(ReadBytes(log));
  EXPECT_EQ(sarif.at("version"), "2.1.0");
  EXPECT_TRUE(sarif.at("$schema").get<std::string>().ends_with("sarif-2.1.0.json"));
  ASSERT_EQ(sarif.at("runs").size(), 1u);
  const auto& driver = sarif["runs"][0].at("tool").at("driver");
  EXPECT_EQ(driver.at("name"), "gildex");
  for (const auto& rule : driver.at("rules")) EXPECT_TRUE(rule.at("id").is_string());
  const auto& results = sarif["runs"][0].at("results");
  EXPECT_EQ(results.size(), 147u);
  for (const auto& result : results) {
    EXPECT_TRUE(result.at("message").at("text").is_string());
    EXPECT_EQ(driver["rules"].at(result.at("ruleIndex").get<std::size_t>()).at("id"), result.at("ruleId"));
    EXPECT_EQ(std::set<std::string>({"none", "note", "warning", "error"}).count(result.at("level")), 1u);
    const auto& where = result.at("locations").at(0).at("physicalLocation");
    EXPECT_TRUE(where.at("artifactLocation").at("uri").get<std::string>().starts_with("Sample/"));
    EXPECT_GE(where.at("region").at("startLine").get<long>(), 1);
  }
}

// The documents are written by hand for diffs to read well: every one must still parse, file
// names that are not UTF-8 included. A project that cannot be loaded says why and prints none.
TEST(ToolCommands, JsonOfEveryCorpusProjectParses) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  ScratchHome scratch;
  for (const fs::path& project : host::testing::CorpusFiles({".vbp"}))
    for (const char* command : {"report", "verify"}) {
      const Ran run = RunGildex({command, "--json", project.string()});
      if (run.code == 2 && run.out.empty()) {
        EXPECT_FALSE(run.err.empty()) << command << " " << project;
      } else {
        EXPECT_TRUE(nlohmann::json::accept(run.out)) << command << " " << project << "\n" << run.out.substr(0, 2000);
      }
    }
}

}  // namespace
}  // namespace gildex::app
