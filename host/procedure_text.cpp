#include "host/procedure_text.h"

#include <vector>

#include "common/nembus_common.h"
#include "host/basic_lexer.h"
#include "host/memory_code_module.h"
#include "host/structural_check.h"

namespace gildex::host {

std::string NotOneProcedure(std::string_view text) {
  const auto module = MemoryCodeModule::FromText("Script", text);
  int procedures = 0;
  for (long line = 1; line <= module->CountOfLines();) {
    ProcKind kind = ProcKind::Proc;
    const std::string name = module->ProcOfLine(line, kind);
    if (name.empty()) {
      const std::string text = module->Lines(line, 1);
      const std::string_view trimmed = TrimSpaces(text);
      if (!trimmed.empty() && !IsCommentLine(trimmed))
        return "line " + std::to_string(line) + " stands outside a procedure";
      ++line;
      continue;
    }
    if (++procedures > 1) return "it holds more than one procedure";
    line = module->ProcStartLine(name, kind) + module->ProcCountLines(name, kind);
  }
  if (procedures == 0) return "it holds no procedure";
  const std::vector<StructureProblem> problems = CheckStructure(*module, "Script");
  if (!problems.empty()) return "line " + std::to_string(problems.front().line) + ": " + problems.front().message;
  return {};
}

}  // namespace gildex::host
