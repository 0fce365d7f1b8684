#pragma once
// The remove pass: takes inserted error handling out of a module's procedures again.
#include <string>

#include "engine/pass_context.h"

namespace gildex::passes {

void RemoveModule(PassContext& pass, host::CodeModule& module, bool selection_only);
// Whether remove would find blocks of the current template in the procedure at `body`..`last`
// (by their marker lines, or without them by the template's own lines).
bool HoldsTemplateBlocks(PassContext& pass, host::CodeModule& module, long body, long last);
long RemoveTopOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name, long top_line,
                              long last_line);
void RestoreBodyLines(PassContext& pass, host::CodeModule& module, const std::string& proc_name, long top_line,
                      long last_line);
long RemoveBottomOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name,
                                 int type_code, long top_line, long end_line, const std::string& declaration_line);

}  // namespace gildex::passes
