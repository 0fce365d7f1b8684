#include "workbench/code_edit.h"

#include <algorithm>

namespace gildex::workbench {

LineChange ChangedLines(long module_lines, const TextEdit& edit) {
  // One empty line is what an empty module looks like.
  const long text_lines = edit.empty && edit.text_lines == 1 && module_lines == 0 ? 0 : edit.text_lines;
  LineChange change{edit.first, 0, edit.last - edit.first + 1};
  change.old_lines = change.new_lines - (text_lines - module_lines);
  if (module_lines == 0 || text_lines == 0 || change.old_lines < 0 || change.first - 1 + change.old_lines > module_lines)
    return {1, module_lines, text_lines};
  return change;
}

void WriteLineChange(host::CodeModule& module, const LineChange& change,
                     const std::function<std::string(long)>& text_line) {
  const long common = std::min(change.old_lines, change.new_lines);
  for (long k = 0; k < common; ++k) {
    const std::string text = text_line(change.first + k);
    if (module.Lines(change.first + k, 1) != text) module.ReplaceLine(change.first + k, text);
  }
  if (change.new_lines > common) {
    std::string joined;
    for (long k = common; k < change.new_lines; ++k) {
      if (k > common) joined += "\r\n";
      joined += text_line(change.first + k);
    }
    module.InsertLines(change.first + common, joined);
  } else if (change.old_lines > common) {
    module.DeleteLines(change.first + common, change.old_lines - common);
  }
}

}  // namespace gildex::workbench
