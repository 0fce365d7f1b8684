#include "workbench/code_edit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "host/memory_code_module.h"

namespace gildex::workbench {
namespace {

// Each edit of the window's text reaches the module as the edits of whole lines it was, and
// leaves the module holding the text.
TEST(CodeEdit, TheLinesAnEditChangedAreWrittenAndNoOthers) {
  // before, after: the module's text, the window's after the edit; first, last: the lines of `after` the edit
  // touched; edits: what the module reported, (first, removed, added) each.
  struct Row { const char* name; std::string before, after; long first, last; LineChange change; std::string edits; };
  const Row rows[] = {
      {"typed in a line", "a\nb\nc", "a\nbx\nc", 2, 2, {2, 1, 1}, "(2,1,1)"},
      {"typed back as it was", "a\nb\nc", "a\nb\nc", 2, 2, {2, 1, 1}, ""},
      {"a line broken in two", "a\nbc\nd", "a\nb\nc\nd", 2, 3, {2, 1, 2}, "(2,1,1)(3,0,1)"},
      {"two lines joined", "a\nb\nc\nd", "a\nbc\nd", 2, 2, {2, 2, 1}, "(2,1,1)(3,1,0)"},
      {"lines pasted at the end", "a", "a\nb\nc", 1, 3, {1, 1, 3}, "(2,0,2)"},
      {"an empty module typed into", "", "x", 1, 1, {1, 0, 1}, "(1,0,1)"},
      {"all of it deleted", "a\nb", "", 1, 1, {1, 2, 1}, "(1,1,1)(2,1,0)"},
      // Counts that do not add up to a change in place: every line is compared.
      {"replaced past the end", "a\nb", "a\nb\nc\nd", 4, 4, {1, 2, 4}, "(3,0,2)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<host::MemoryCodeModule> module = host::MemoryCodeModule::FromText("Module1", row.before);
    std::string edits;
    module->Edited.Connect([&](long first, long removed, long added) {
      edits += "(" + std::to_string(first) + "," + std::to_string(removed) + "," + std::to_string(added) + ")";
    });
    // The window's text: an empty one still shows one line.
    const auto text = host::MemoryCodeModule::FromText("Text", row.after);
    const LineChange change =
        ChangedLines(module->CountOfLines(), {std::max(1L, text->CountOfLines()), row.after.empty(), row.first, row.last});
    EXPECT_EQ(change, row.change);
    WriteLineChange(*module, change, [&](long line) { return line > text->CountOfLines() ? "" : text->Lines(line, 1); });
    EXPECT_EQ(edits, row.edits);
    EXPECT_EQ(module->Text(), text->Text());
  }
}

}  // namespace
}  // namespace gildex::workbench
