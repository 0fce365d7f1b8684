#pragma once
// The number pass (numbering.cpp) and the unnumber pass (unnumbering.cpp), and the little
// both read a line number by.
#include <string>
#include <string_view>

#include "engine/pass_context.h"

namespace gildex::passes {

void NumberModule(PassContext& pass, host::CodeModule& module, bool selection_only);
void UnNumberModule(PassContext& pass, host::CodeModule& module, bool selection_only);
bool ValidLineForNumbering(PassContext& pass, std::string_view previous_line, std::string_view line);
// The line without its number: a view into `line`.
std::string_view RemoveLineNumber(PassContext& pass, std::string_view line);

// The lines a pass covers: the selection, or the module below its declarations.
struct LineRange {
  long first = 0;
  long last = 0;
};
LineRange RangeOf(host::CodeModule& module, bool selection_only);
// Basic's IsNumeric, for the texts a line label can be.
bool IsNumeric(std::string_view text);

struct PlannedLine {
  long line;
  std::string text;
};

}  // namespace gildex::passes
