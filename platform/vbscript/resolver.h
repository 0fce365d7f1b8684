#pragma once
// Binds every name of a parsed unit to a local, member or global slot or to the library
// before it runs, so the evaluator never looks names up by string.
#include "platform/vbscript/runtime.h"

namespace gildex::vbscript {

struct ResolveScope {
  ProcDef* proc = nullptr;    // Execute or Eval inside a procedure: its locals are visible
  ClassDef* cls = nullptr;
  // Execute (not ExecuteGlobal) inside a procedure: its Dim adds locals to the running
  // frame, named here (upper-cased name -> index among the frame's added locals).
  std::map<std::string, int>* execute_locals = nullptr;
};

// Declares the unit's globals (procedures, classes, variables, constants) in `globals`
// and resolves every body. On a compile error nothing is left declared.
void Resolve(Unit& unit, GlobalTable& globals, ResolveScope scope = {});
// For Eval: one expression in `scope`.
void ResolveExpression(ExprPtr& expr, GlobalTable& globals, ResolveScope scope, bool explicit_vars);

}  // namespace gildex::vbscript
