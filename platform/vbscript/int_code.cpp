// Integer and Long arithmetic without Variants: expressions over literals and variables
// flattened into postfix code on first use, and the loop that runs it.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/vbscript/evaluator.h"

namespace gildex::vbscript {

namespace {
// Literals of Integer or Long type and variables (locals and globals), joined by + - * \ Mod:
// what EvalIntegral may compute, depending on what the variables hold when it runs.
bool IntegralShape(const Expr& e) {
  switch (e.kind) {
    case ExprKind::Literal: {
      const VT t = static_cast<const LiteralExpr&>(e).value.type;
      return t == VT::Integer || t == VT::Long;
    }
    case ExprKind::Name: {
      const Binding b = static_cast<const NameExpr&>(e).binding;
      return b == Binding::Local || b == Binding::Global;
    }
    case ExprKind::Paren: return IntegralShape(*static_cast<const ParenExpr&>(e).inner);
    case ExprKind::Binary: {
      auto& b = static_cast<const BinaryExpr&>(e);
      return b.op <= BinaryOp::Sub && b.op != BinaryOp::Pow && b.op != BinaryOp::Div && IntegralShape(*b.left) &&
             IntegralShape(*b.right);
    }
    default: return false;
  }
}
}  // namespace

// Integer and Long arithmetic over literals and variables without making Variants, the
// common case of loops and counters. False when any operand is something else, or the result
// would overflow to Double or divide by zero: nothing has run then (only literals and
// variables were read), so the caller evaluates the expression the general way.
Interpreter::IntResult Interpreter::EvalInt(Expr& e) {
  const Variant* v;
  if (e.kind == ExprKind::Name) {
    auto& n = static_cast<NameExpr&>(e);
    if (n.binding == Binding::Local) {
      v = frame_->vars[n.slot];
    } else if (n.binding == Binding::Global) {
      v = GlobalValue(GlobalOf(n), n.fallback, frame_->vars);
      if (!v) return {0, 0};
    } else {
      return {0, 0};
    }
  } else if (e.kind == ExprKind::Literal) {
    v = &static_cast<LiteralExpr&>(e).value;
  } else if (e.kind == ExprKind::Binary) {
    return EvalIntBinary(static_cast<BinaryExpr&>(e));
  } else if (e.kind == ExprKind::Paren) {
    return EvalInt(*static_cast<ParenExpr&>(e).inner);
  } else {
    return {0, 0};
  }
  if (v->type == VT::Integer) return {v->i, 1};
  if (v->type == VT::Long) return {v->i, 2};
  return {0, 0};
}

namespace {
// A literal or a name, parentheses taken off; null for anything else.
const Expr* Leaf(const Expr* e) {
  while (e->kind == ExprKind::Paren) e = static_cast<const ParenExpr&>(*e).inner.get();
  return e->kind == ExprKind::Literal || e->kind == ExprKind::Name ? e : nullptr;
}

// Appends the postfix code of an integral-shaped expression; returns the stack depth it needs.
int FlattenIntegral(const Expr& e, std::vector<BinaryExpr::IntOp>& code, GlobalTable& globals) {
  using Op = BinaryExpr::IntOp;
  switch (e.kind) {
    case ExprKind::Literal: {
      const Variant& v = static_cast<const LiteralExpr&>(e).value;
      code.push_back({Op::Push, Op::FromConst, v.type == VT::Long, 0, v.i});
      return 1;
    }
    case ExprKind::Name: {
      auto& n = static_cast<const NameExpr&>(e);
      if (n.binding == Binding::Local) code.push_back({Op::Push, Op::FromLocal, false, n.slot, 0});
      else code.push_back({Op::Push, Op::FromGlobal, false, n.fallback, 0, &globals.slots[static_cast<std::size_t>(n.slot)]});
      return 1;
    }
    case ExprKind::Paren: return FlattenIntegral(*static_cast<const ParenExpr&>(e).inner, code, globals);
    default: {
      auto& b = static_cast<const BinaryExpr&>(e);
      // A right operand that is a Const or variable goes into the op itself; so does a left
      // one of + and * when the right is not (s + (i Mod 7) * 3 takes one op fewer).
      const Expr* left_expr = b.left.get();
      const Expr* right_expr = b.right.get();
      if ((b.op == BinaryOp::Add || b.op == BinaryOp::Mul) && Leaf(left_expr) && !Leaf(right_expr))
        std::swap(left_expr, right_expr);
      const int left = FlattenIntegral(*left_expr, code, globals);
      right_expr = Leaf(right_expr) ? Leaf(right_expr) : right_expr;
      int right = 0;
      Op operand{Op::Push, Op::Stack, false, 0, 0};
      if (right_expr->kind == ExprKind::Literal || right_expr->kind == ExprKind::Name) {
        std::vector<Op> one;
        FlattenIntegral(*right_expr, one, globals);
        operand = one.front();
      } else {
        right = FlattenIntegral(*right_expr, code, globals);
      }
      switch (b.op) {
        case BinaryOp::Add: operand.code = Op::Add; break;
        case BinaryOp::Sub: operand.code = Op::Sub; break;
        case BinaryOp::Mul: operand.code = Op::Mul; break;
        case BinaryOp::Mod: operand.code = Op::Mod; break;
        default: operand.code = Op::IntDiv; break;
      }
      code.push_back(operand);
      return std::max(left, right + 1);
    }
  }
}
}  // namespace

Interpreter::IntResult Interpreter::EvalIntBinary(BinaryExpr& b) {
  if (b.integral_shape == 0) {
    b.integral_shape = IntegralShape(b) ? 1 : 2;
    if (b.integral_shape == 1 && FlattenIntegral(b, b.int_code, globals_) > int_ops::kIntStack) b.int_code.clear();
    for (auto& op : b.int_code) op.fused = BinaryExpr::IntOp::Fused(op.operand, op.code);
    using Op = BinaryExpr::IntOp;
    const auto& code = b.int_code;
    b.local_and_const = code.size() == 2 && code[0].operand == Op::FromLocal && code[1].operand == Op::FromConst &&
                        code[1].code <= Op::Mul;
  }
  if (b.integral_shape == 2) return {0, 0};
  if (!b.int_code.empty()) return RunInt(b);
  const IntResult l = EvalInt(*b.left);
  if (l.rank == 0) return {0, 0};
  const IntResult r = EvalInt(*b.right);
  if (r.rank == 0) return {0, 0};
  const std::int64_t x = l.value, y = r.value;
  std::int64_t value;
  switch (b.op) {
    case BinaryOp::Add: value = x + y; break;
    case BinaryOp::Sub: value = x - y; break;
    case BinaryOp::Mul: value = x * y; break;
    case BinaryOp::Mod:
      if (y == 0) return {0, 0};
      value = x % y;
      break;
    default:  // IntDiv
      if (y == 0) return {0, 0};
      value = x / y;
      break;
  }
  if (l.rank == 1 && r.rank == 1 && value >= -32768 && value <= 32767) return {value, 1};
  if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
    return {value, 2};
  return {0, 0};
}

// EvalIntBinary's arithmetic over the postfix code (RunIntOps), out of line for the many places
// that run it seldom.
Interpreter::IntResult Interpreter::RunIntCode(const std::vector<BinaryExpr::IntOp>& code) {
  std::int64_t value = 0;
  const int rank = RunIntOps(code, frame_->vars, value);
  return {value, rank};
}

// A Let of a global (script-level code): Integer or Long arithmetic over literals and
// variables is written into a variable holding no string, array or object as bits; any
// other value, or a name not yet a variable, goes the general way.
Interpreter::Flow Interpreter::AssignGlobal(AssignStmt& st) {
  auto& target = static_cast<NameExpr&>(*st.target);
  GlobalSlot& g = GlobalOf(target);
  if (g.kind == GlobalSlot::Kind::Variable && !g.value.HasHeap()) {
    IntResult r{0, 0};
    if (st.value->kind != ExprKind::Binary) {
      r = EvalInt(*st.value);
    } else if (auto& b = static_cast<BinaryExpr&>(*st.value); !b.int_code.empty()) {
      r = RunIntCode(b.int_code);
    } else if (b.integral_shape != 2) {
      r = EvalIntBinary(b);
      if (!b.int_code.empty()) st.int_assign = 2;  // flattened now: ExecBlock runs it from here on
    }
    if (r.rank != 0) {
      g.value.type = r.rank == 1 ? VT::Integer : VT::Long;
      g.value.i = r.value;
      return Flow::Normal;
    }
  }
  Assign(target, EvalExpr(*st.value), false);
  return Flow::Normal;
}

}  // namespace gildex::vbscript
