#pragma once
// The block structure a VB6 compile would reject, checked without a compiler: procedures
// opened and closed with the matching End, If/For/Do/While/Select/With blocks balanced and
// nested inside them, Type and Enum blocks closed, no code between procedures, and every
// label or line number that GoTo, GoSub, Resume or On Error names defined in the same
// procedure. Expressions, names and types are not checked.
//
//   for (const StructureProblem& p : CheckStructure(project))
//     print p.component:p.line: p.message      // "Next without For", "Sub Foo has no End Sub"
#include <string>
#include <vector>

#include "host/vbide.h"

namespace gildex::host {

struct StructureProblem {
  std::string component;
  long line = 0;  // 1-based line of the code module
  std::string message;
};

// The problems of one code module, in line order; empty when its structure is sound.
// Conditional compilation (#If, #Const) is followed as far as the module itself defines
// its constants; names it does not define count as 0, as VB6 counts them.
std::vector<StructureProblem> CheckStructure(CodeModule& module, const std::string& component_name);
// Every component of the project that has code, in component order.
std::vector<StructureProblem> CheckStructure(VBProject& project);

}  // namespace gildex::host
