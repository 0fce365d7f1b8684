// `gildex todo` and `gildex comment` as a user runs them, one command after another on a copy
// of the sample project; the whole To-Do file and the module compared after each.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line_test.h"
#include "platform/test_files.h"
#include "session/sample_project_test.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;

TEST(ToDoCommand, EditsTheProjectsListAndRefusesBadInputWritingNothing) {
  testing::SampleProject sample;
  const fs::path folder = sample.dir / "Sample";
  const std::string vbp = sample.Project(), file = (folder / "todo.dat").string();
  const std::string sig = "Gildex To-Do list 1\r\n", none = "(no file)";
  const struct {
    std::vector<std::string> args;
    int code;
    std::string said;  // standard output for 0, a part of standard error otherwise
    std::string after;
  } cases[] = {
      {{"list"}, 0, "", none},
      {{"add", "Number the forms"}, 0, "1. [ ] Number the forms\n", sig + "[ ] Number the forms\r\n"},
      {{"add", "Caf\xC3\xA9"}, 0, "1. [ ] Number the forms\n2. [ ] Caf\xC3\xA9\n",
       sig + "[ ] Number the forms\r\n[ ] Caf\xE9\r\n"},
      {{"add", "\xE4\xB8\xAD"}, 2, "has no place in Windows-1252", sig + "[ ] Number the forms\r\n[ ] Caf\xE9\r\n"},
      {{"done", "2"}, 0, "1. [ ] Number the forms\n2. [x] Caf\xC3\xA9\n", sig + "[ ] Number the forms\r\n[x] Caf\xE9\r\n"},
      {{"remove", "-1"}, 2, "an item is given by its number", sig + "[ ] Number the forms\r\n[x] Caf\xE9\r\n"},
      {{"remove", "1"}, 0, "1. [x] Caf\xC3\xA9\n", sig + "[x] Caf\xE9\r\n"},
      {{}, 2, "wants an action", sig + "[x] Caf\xE9\r\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"todo", vbp};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Ran run = RunGildex(args);
    const std::string what = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(run.code, c.code) << what << " " << run.err;
    if (c.code == 0) {
      EXPECT_EQ(run.out, c.said) << what;
    } else {
      EXPECT_NE(run.err.find(c.said), std::string::npos) << what << "\n" << run.err;
    }
    EXPECT_EQ(fs::exists(file) ? ReadBytes(file) : none, c.after) << what;
  }
  // The list lives beside a project file only.
  EXPECT_EQ(RunGildex({"todo", (folder / "modGlobals.bas").string(), "list"}).code, 2);
}

// The comment block goes above the procedure, after one empty line of its own; a dry run
// prints it as a diff and --check answers with the exit code, both writing nothing.
TEST(CommentCommand, InsertsTheBlockAboveTheProcedure) {
  testing::SampleProject sample;
  const std::string vbp = sample.Project();
  const fs::path module = sample.dir / "Sample" / "modGlobals.bas";
  const std::string original = ReadBytes(module);
  const std::string anchor = "Private mNextOrderNo As Long\r\n\r\n";
  ASSERT_NE(original.find(anchor), std::string::npos);
  std::string commented = original;
  commented.insert(original.find(anchor) + anchor.size(), "' Main of modGlobals, Orders\r\n\r\n");
  const struct {
    std::vector<std::string> args;
    int code;
    std::string said;  // a part of standard output for 0, of standard error otherwise
    std::string after;
  } cases[] = {
      {{"--proc", "Main"}, 2, "no comment block is set", original},
      {{"--proc", "Nope"}, 2, "no procedure named \"Nope\"", original},
      {{"--proc", "Main", "--component", "clsCustomer"}, 2, "no procedure named \"Main\" in clsCustomer", original},
      {{"--proc", "main", "--dry-run"}, 0, "+' Main of modGlobals, Orders\r\n+\r\n", original},
      {{"--proc", "Main", "--check"}, 1, "", original},
      {{"--proc", "Main", "--check", "--dry-run"}, 2, "choose one", original},
      {{"--proc", "Main"}, 0, "", commented},
  };
  for (const auto& c : cases) {
    // Every case after the first has a comment block set.
    if (&c == &cases[1]) {
      // Written as plain text: it still goes in as a comment, not as code.
      ASSERT_EQ(RunGildex({"options", "set", "CommentTemplate", "%ProcName% of %ModuleName%, %ProjectName%"}).code, 0);
    }
    std::vector<std::string> args = {"comment", vbp};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Ran run = RunGildex(args);
    EXPECT_EQ(run.code, c.code) << c.args.back() << " " << run.err;
    EXPECT_NE((c.code == 0 ? run.out : run.err).find(c.said), std::string::npos) << c.args.back() << "\n" << run.out << run.err;
    EXPECT_EQ(ReadBytes(module), c.after) << c.args.back();
  }
}

}  // namespace
}  // namespace gildex::app
