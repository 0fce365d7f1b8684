#include "platform/vbscript/resolver.h"

#include <gtest/gtest.h>

#include "platform/vbscript/errors.h"
#include "platform/vbscript/parser.h"

namespace gildex::vbscript {
namespace {

// How each name on the right of `Probe = ...` assignments in the first procedure is bound.
std::string Bindings(const Unit& unit) {
  std::string out;
  for (const auto& s : unit.procs[0]->body) {
    if (s->kind != StmtKind::Assign) continue;
    const Expr& e = *static_cast<const AssignStmt&>(*s).value;
    if (e.kind == ExprKind::Literal) {
      out += "literal ";
      continue;
    }
    const auto& n = static_cast<const NameExpr&>(e.kind == ExprKind::Call ? *static_cast<const CallExpr&>(e).target : e);
    static const char* kNames[] = {"unresolved", "local", "global", "field", "member", "builtin"};
    out += std::string(kNames[static_cast<int>(n.binding)]) + (n.fallback >= 0 ? "+implicit" : "") + " ";
  }
  return out;
}

TEST(ResolverTest, NamesAreBoundToSlotsBeforeRunning) {
  GlobalTable globals;
  auto unit = ParseScript(
      "Dim g\r\nConst Limit = 3\r\n"
      "Function F(p)\r\n  Dim l\r\n  x = p\r\n  x = l\r\n  x = g\r\n  x = Limit\r\n  x = Len(p)\r\n  x = vbCrLf\r\n"
      "  x = Later\r\n  x = F\r\nEnd Function\r\n");
  Resolve(*unit, globals);
  EXPECT_EQ(Bindings(*unit), "local local global literal builtin literal global+implicit local ");
  EXPECT_EQ(unit->procs[0]->local_count, 5);  // p, F's result, l, and the implicit x and Later
  EXPECT_EQ(globals.slots[static_cast<std::size_t>(globals.Find("G"))].kind, GlobalSlot::Kind::Variable);
  EXPECT_EQ(globals.slots[static_cast<std::size_t>(globals.Find("F"))].kind, GlobalSlot::Kind::Procedure);
}

TEST(ResolverTest, ARedefinedNameLeavesNothingDeclared) {
  GlobalTable globals;
  auto unit = ParseScript("Dim a\r\nSub a()\r\nEnd Sub\r\n");
  try {
    Resolve(*unit, globals);
    ADD_FAILURE();
  } catch (const ScriptException& e) {
    EXPECT_EQ(e.error.number, 1041);
  }
  EXPECT_TRUE(globals.slots.empty());
  EXPECT_EQ(globals.Find("A"), -1);
}

}  // namespace
}  // namespace gildex::vbscript
