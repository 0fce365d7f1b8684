// The To-Do list file: what a file's bytes read as, and a list edited on disk step by step,
// the whole file compared after each step; a damaged or foreign-changed file is never written.
#include <atomic>
#include <thread>

#include <fmt/core.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/test_files.h"
#include "tools/todo_list.h"

namespace gildex {
namespace {

using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using Items = std::vector<ToDoItem>;

TEST(ToDoFile, ReadsItemsOrSaysWhichLineIsDamaged) {
  const std::string sig = std::string(kToDoSignature) + "\r\n";
  struct Case {
    std::string bytes;
    Items items;
    std::string problem;  // empty: reads as `items`
  };
  const std::vector<Case> cases = {
      {sig, {}, ""},
      {sig + "[ ] Number the forms\r\n[x] Caf\xE9 \t tab\r\n", {{false, "Number the forms"}, {true, "Caf\xE9 \t tab"}}, ""},
      {"", {}, "line 1: the file is empty, without the line \"Gildex To-Do list 1\""},
      {"Gildex To-Do list 2\r\n", {}, "line 1: not a To-Do list: it starts \"Gildex To-Do list 2\""},
      {sig + "[ ] cut off", {}, "line 2: the last line has no line end (the file was cut off)"},
      {sig + "[ ] a\n[ ] b\r\n", {}, "line 2: a lone CR or LF; lines end with CR LF"},
      {sig + "[X] upper case\r\n", {}, "line 2: an item starts \"[ ] \" or \"[x] \""},
      {sig + "[ ]   \r\n", {}, "line 2: an item's text is empty"},
      {sig + "[ ] a\r\n[ ] bell\x07\r\n", {}, "line 3: an item's text holds the control character 0x07"},
  };
  for (const Case& c : cases) {
    std::string problem;
    const auto items = ParseToDoFile(c.bytes, problem);
    EXPECT_EQ(problem, c.problem) << c.bytes;
    if (c.problem.empty()) {
      ASSERT_TRUE(items) << c.bytes;
      EXPECT_EQ(*items, c.items) << c.bytes;
      EXPECT_EQ(FormatToDoFile(*items), c.bytes) << "written back byte for byte";
    }
  }
  EXPECT_EQ(ToDoFileOf("/p/Orders/Orders.vbp"), "/p/Orders/todo.dat");
  EXPECT_EQ(ToDoFileOf("/Orders.vbp"), "/todo.dat");
  EXPECT_EQ(ToDoFileOf(""), "");
}

TEST(ToDoFile, EditsAreWrittenAtOnceAndRefusalsWriteNothing) {
  platform::testing::TempDir dir;
  const std::string file = (dir.Path() / "todo.dat").string();
  ToDoList list;
  list.FileName(file);
  ASSERT_EQ(list.Load(), "") << "no file yet: an empty list";
  const std::string sig = std::string(kToDoSignature) + "\r\n";
  struct Step {
    std::string what;
    std::function<std::string()> run;
    std::string problem;
    std::string file;  // the whole file after the step; "-" none
  };
  const std::vector<Step> steps = {
      {"done on an empty list", [&] { return list.MarkDone(1); }, "there is no item 1: the list is empty", "-"},
      {"add", [&] { return list.Add("Number the forms"); }, "", sig + "[ ] Number the forms\r\n"},
      {"add trims", [&] { return list.Add("  Caf\xE9  "); }, "", sig + "[ ] Number the forms\r\n[ ] Caf\xE9\r\n"},
      {"add two lines", [&] { return list.Add("a\r\nb"); }, "an item is one line: its text holds a line break",
       sig + "[ ] Number the forms\r\n[ ] Caf\xE9\r\n"},
      {"add blank", [&] { return list.Add(" \t "); }, "an item's text is empty", ""},
      {"done 2", [&] { return list.MarkDone(2); }, "", sig + "[ ] Number the forms\r\n[x] Caf\xE9\r\n"},
      {"done 0", [&] { return list.MarkDone(0); }, "there is no item 0: the items are 1 to 2", ""},
      {"remove 3", [&] { return list.Remove(3); }, "there is no item 3: the items are 1 to 2", ""},
      {"remove 1", [&] { return list.Remove(1); }, "", sig + "[x] Caf\xE9\r\n"},
      {"open again", [&] { return list.MarkDone(1, false); }, "", sig + "[ ] Caf\xE9\r\n"},
      {"changed by another program: the add goes into their file", [&] {
         WriteBytes(file, sig + "[ ] theirs\r\n");
         return list.Add("mine");
       },
       "", sig + "[ ] theirs\r\n[ ] mine\r\n"},
      {"their item moved: found by its text", [&] {
         WriteBytes(file, sig + "[ ] new\r\n[ ] theirs\r\n[ ] mine\r\n");
         return list.MarkDone(2);
       },
       "", sig + "[ ] new\r\n[ ] theirs\r\n[x] mine\r\n"},
      {"their edit of the same item wins", [&] {
         WriteBytes(file, sig + "[ ] new\r\n[ ] theirs\r\n[ ] mine, reworded\r\n");
         return list.Remove(3);
       },
       "item 3 was changed by another program since the list was read; load it again (nothing was written)",
       sig + "[ ] new\r\n[ ] theirs\r\n[ ] mine, reworded\r\n"},
      {"damaged", [&] {
         WriteBytes(file, sig + "- [ ] hand-edited\r\n");
         return list.Load();
       },
       file + ": line 2: an item starts \"[ ] \" or \"[x] \"; the list is left as it is", sig + "- [ ] hand-edited\r\n"},
      {"add to a damaged list", [&] { return list.Add("x"); },
       file + " is damaged; repair or remove it first (nothing was written)", sig + "- [ ] hand-edited\r\n"},
      {"remove from a damaged list", [&] { return list.Remove(1); }, "there is no item 1: the list is empty", ""},
  };
  std::string expected = "-";
  for (const Step& step : steps) {
    EXPECT_EQ(step.run(), step.problem) << step.what;
    if (!step.file.empty()) expected = step.file;
    EXPECT_EQ(std::filesystem::exists(file) ? ReadBytes(file) : "-", expected) << step.what;
  }
  EXPECT_TRUE(list.Damaged());
  EXPECT_TRUE(list.Items().empty());
}

// Runs adding at the same moment each keep their item: every write goes into the file as
// the one before left it.
TEST(ToDoFile, ConcurrentAddsLoseNoItem) {
  platform::testing::TempDir dir;
  const std::string file = (dir.Path() / "todo.dat").string();
  std::vector<std::thread> writers;
  std::atomic<int> failed{0};
  for (int i = 0; i < 10; ++i)
    writers.emplace_back([&, i] {
      for (int j = 0; j < 2; ++j) {
        ToDoList own;
        own.FileName(file);
        if (!own.Load().empty() || !own.Add(fmt::format("w{}-{}", i, j)).empty()) ++failed;
      }
    });
  for (std::thread& writer : writers) writer.join();
  std::string problem;
  const auto items = ParseToDoFile(ReadBytes(file), problem);
  EXPECT_EQ(failed.load(), 0);
  EXPECT_EQ(items ? items->size() : 0u, 20u) << problem;
}

}  // namespace
}  // namespace gildex
