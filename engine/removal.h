#pragma once
// The remove pass: takes inserted error handling out of a module's procedures again.
#include <string>

#include "engine/pass_context.h"

namespace gildex::passes {

void RemoveModule(PassContext& pass, host::CodeModule& module, bool selection_only);
long RemoveTopOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name, long top_line,
                              long last_line);
void RestoreBodyLines(PassContext& pass, host::CodeModule& module, const std::string& proc_name, long top_line,
                      long last_line);
long RemoveBottomOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name,
                                 int type_code, long top_line, long end_line, const std::string& declaration_line);

}  // namespace gildex::passes
