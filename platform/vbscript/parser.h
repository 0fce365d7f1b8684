#pragma once
// Recursive descent over the tokens, one function per grammar rule. Compile errors are
// ScriptExceptions with VBScript's numbers, line and column.
#include <memory>
#include <string_view>

#include "platform/vbscript/ast.h"

namespace gildex::vbscript {

// A whole script (AddCode, ExecuteGlobal, Execute). Nesting deeper than the native stack
// allows below `stack_limit` (see StackLimitBelow; null: a budget from here) raises
// "Out of stack space" (28).
std::unique_ptr<Unit> ParseScript(std::string_view source, const char* stack_limit = nullptr);
// One expression (Eval).
ExprPtr ParseExpression(std::string_view source, const char* stack_limit = nullptr);

}  // namespace gildex::vbscript
