#pragma once
// The insert pass: the module driver (driver.cpp) walks a module's procedures and decides which
// get the template; the blocks themselves go in here (insertion.cpp). Every function takes the
// settings, the template and the run state through the pass's context.
#include <string>

#include "engine/pass_context.h"

namespace gildex::passes {

void InsertModule(PassContext& pass, host::CodeModule& module, const std::string& component_name,
                  host::VBProject* project, bool selection_only);
// Whether insert would treat the procedure: its size, the skip tag and InsertInto let it
// through (the handling it already has aside).
bool InsertTakes(PassContext& pass, const host::CodeModule& module, const std::string& name, host::ProcKind kind);
// `declaration`: the declaration line, or all of its lines when continued (the template
// tag stands on the last).
bool FailRestrictions(PassContext& pass, const std::string& type_text, const std::string& proc_name,
                      const std::string& declaration);
// In the active code pane: the procedure containing `line`; selects it when `select`.
bool FindProcAtLine(PassContext& pass, long line, long& first_line, long& last_line, bool select);

long insertTopOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name,
                              long insertion_line, const std::string& expanded_header);
// Returns the correction of `last_line` (0 or negative) that puts it on the End line.
long BodyPass(PassContext& pass, host::CodeModule& module, const std::string& proc_name, long first_line,
              long& last_line, const std::string& proc_type, const std::string& scope);
long InsertBottomOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name,
                                 int type_code, const std::string& declaration_line, const std::string& expanded_footer,
                                 long insertion_line);

}  // namespace gildex::passes
