#pragma once
// Recursive descent over the tokens, one function per grammar rule. Compile errors are
// ScriptExceptions with VBScript's numbers, line and column.
#include <memory>
#include <string_view>

#include "platform/vbscript/ast.h"

namespace gildex::vbscript {

// A whole script (AddCode, ExecuteGlobal, Execute).
std::unique_ptr<Unit> ParseScript(std::string_view source);
// One expression (Eval).
ExprPtr ParseExpression(std::string_view source);

}  // namespace gildex::vbscript
