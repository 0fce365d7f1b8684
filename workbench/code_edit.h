#pragma once
// Which lines of a code module the user changed by editing its code window's text, and their
// writing into the module, so that the add-in hears of whole lines replaced, inserted and
// deleted as in VB6, and a line typed back as it was is not written at all.
#include <functional>
#include <string>

#include "host/vbide.h"

namespace gildex::workbench {

// An edit of the window's text, in its lines as they are after it.
struct TextEdit {
  long text_lines = 0;       // lines of the text now (an empty text has one)
  bool empty = false;        // the text is empty
  long first = 1, last = 1;  // the first and last line (from 1) the edit touched
};

// Lines [first, first + old_lines) of the module become lines [first, first + new_lines) of
// the text.
struct LineChange {
  long first = 1, old_lines = 0, new_lines = 0;
  bool operator==(const LineChange&) const = default;
};

// The lines an edit changed, given the module's count before it. An edit that is not a change
// of whole lines in place (the text emptied or filled, a count that does not add up) replaces
// all of them.
LineChange ChangedLines(long module_lines, const TextEdit& edit);

// Writes the change: each line that differs replaced, those beyond inserted or deleted.
// `text_line(n)` is line n of the text.
void WriteLineChange(host::CodeModule& module, const LineChange& change,
                     const std::function<std::string(long)>& text_line);

}  // namespace gildex::workbench
