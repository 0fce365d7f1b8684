// `gildex todo` and `gildex comment` as a user runs them, one command after another on a copy
// of the sample project; the whole To-Do file and the module compared after each.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line_test.h"
#include "session/sample_project_test.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;

// The file's format and the list's rules are the To-Do list's (tools/todo_list_test.cpp); here
// the listing, the typed text's conversion and the refusals.
TEST(ToDoCommand, EditsTheProjectsListAndRefusesBadInputWritingNothing) {
  testing::SampleProject sample;
  const fs::path folder = sample.dir / "Sample";
  const std::string one = "Gildex To-Do list 1\r\n[ ] Number the forms\r\n", two = one + "[ ] Caf\xE9\r\n";
  const std::string done = one + "[x] Caf\xE9\r\n";
  RunSteps({"todo", sample.Project()}, folder / "todo.dat",
           {{{"list"}, 0, "", kNoFile},
            {{"add", "Number the forms"}, 0, "1. [ ] Number the forms\n", one},
            {{"add", "Caf\xC3\xA9"}, 0, "1. [ ] Number the forms\n2. [ ] Caf\xC3\xA9\n", two},
            {{"add", "\xE4\xB8\xAD"}, 2, "has no place in Windows-1252", two},
            {{"done", "2"}, 0, "1. [ ] Number the forms\n2. [x] Caf\xC3\xA9\n", done},
            {{"remove", "-1"}, 2, "an item is given by its number", done},
            {{"remove", "1"}, 0, "1. [x] Caf\xC3\xA9\n", "Gildex To-Do list 1\r\n[x] Caf\xE9\r\n"},
            {{}, 2, "wants an action", "Gildex To-Do list 1\r\n[x] Caf\xE9\r\n"}},
           true);
  // The list lives beside a project file only.
  EXPECT_EQ(RunGildex({"todo", (folder / "modGlobals.bas").string(), "list"}).code, 2);
}

// The comment block goes above the procedure, after one empty line of its own; a dry run
// prints it as a diff and --check answers with the exit code, both writing nothing.
TEST(CommentCommand, InsertsTheBlockAboveTheProcedure) {
  testing::SampleProject sample;
  const fs::path module = sample.dir / "Sample" / "modGlobals.bas";
  const std::string original = ReadBytes(module), anchor = "Private mNextOrderNo As Long\r\n\r\n";
  ASSERT_NE(original.find(anchor), std::string::npos);
  std::string commented = original;
  commented.insert(original.find(anchor) + anchor.size(), "' Main of modGlobals, Orders\r\n\r\n");
  const std::vector<std::string> command = {"comment", sample.Project()};
  RunSteps(command, module, {{{"--proc", "Main"}, 2, "no comment block is set", original}});
  // Written as plain text: it still goes in as a comment, not as code.
  ASSERT_EQ(RunGildex({"options", "set", "CommentTemplate", "%ProcName% of %ModuleName%, %ProjectName%"}).code, 0);
  RunSteps(command, module,
           {{{"--proc", "Nope"}, 2, "no procedure named \"Nope\"", original},
            {{"--proc", "Main", "--component", "clsCustomer"}, 2, "no procedure named \"Main\" in clsCustomer", original},
            {{"--proc", "main", "--dry-run"}, 0, "+' Main of modGlobals, Orders\r\n+\r\n", original},
            {{"--proc", "Main", "--check"}, 1, "", original},
            {{"--proc", "Main", "--check", "--dry-run"}, 2, "choose one", original},
            {{"--proc", "Main"}, 0, "", commented}});
}

}  // namespace
}  // namespace gildex::app
