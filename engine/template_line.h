#pragma once
// Recognising the lines a template wrote into a procedure after its variables were filled in,
// when no marker line says where they are: each line of the template is compared with one
// line of the module, every variable standing for whatever it was filled in with.
#include <string_view>

namespace gildex {

// Whether `line` is what `template_line` (one line of a template block) becomes once
// InsertUserVars has filled it in: compared without letter case, every variable it fills
// (%ProcName%, %ModuleName%, %[NAME]% and the rest, spelt as it replaces them) matching any
// text within the line. A variable alone on its line matches any line.
bool MatchesTemplateLine(std::string_view template_line, std::string_view line);

}  // namespace gildex
