#pragma once
// What the evaluator's source files share: the frame of a running call and the integer
// arithmetic they all run inline.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/vbscript/interpreter.h"

namespace gildex::vbscript {

// The instance of a call outside any class.
inline const std::shared_ptr<Object> kNoObject;

struct Interpreter::Frame {
  Variant** vars = nullptr;
  // The instance a method runs on (null outside classes). It points at the reference its
  // caller holds for the whole call (a caller's frame, or the object's own shared_from_this
  // for a call through Get or Put), which keeps the instance alive.
  const std::shared_ptr<Object>* me = &kNoObject;
  ProcDef* proc = nullptr;
  const std::string* source = nullptr;
  const Variant* with = nullptr;  // the object of the innermost With block running
  bool resume_next = false;
  // Locals that Dim inside Execute added; made on first use, as few procedures run Execute.
  struct Added {
    MemoryCharge charge;  // the locals Execute added, given back when the call returns
    std::map<std::string, int> names;
    std::deque<Variant> values;  // a deque: ByRef arguments may point at them
    // Out of line, so a frame's end (nearly always without any) stays a test of a pointer.
    ~Added();
  };
  std::unique_ptr<Added> added;
};

// RunIntCode with the commonest shape, a local plus, minus or times a constant (i + 1,
// n - 1), unrolled where it is called.
[[gnu::always_inline]] inline Interpreter::IntResult Interpreter::RunInt(const BinaryExpr& b) {
  if (!b.local_and_const) return RunIntCode(b.int_code);
  const BinaryExpr::IntOp& op = b.int_code[1];
  const Variant* v = frame_->vars[b.int_code[0].slot];
  if (v->type != VT::Integer && v->type != VT::Long) return {0, 0};
  const std::int64_t x = v->i, y = op.value;
  using Op = BinaryExpr::IntOp;
  const std::int64_t value = op.code == Op::Add ? x + y : op.code == Op::Sub ? x - y : x * y;
  if (value != static_cast<std::int32_t>(value)) return {0, 0};
  const bool is_long = v->type == VT::Long || op.is_long || value != static_cast<std::int16_t>(value);
  return {value, is_long ? 2 : 1};
}

// The value a global variable or constant holds, as Slot and InvokeName read it (an
// undeclared name inside a procedure is its implicit local `fallback`); null when the name is
// not yet a variable or is a procedure or class, whose reading the general way handles.
[[gnu::always_inline]] inline const Variant* GlobalValue(const GlobalSlot& g, int fallback, Variant** vars) {
  if (g.kind == GlobalSlot::Kind::Variable || g.kind == GlobalSlot::Kind::Constant) return &g.value;
  if (g.kind == GlobalSlot::Kind::Undeclared && fallback >= 0 && vars) return vars[fallback];
  return nullptr;
}

namespace int_ops {
using IntOp = BinaryExpr::IntOp;
inline constexpr int kIntStack = 16;

// x Mod y or x \ y (y not 0) in 32 bits where both fit, as Integer and Long operands do: a
// 64-bit division costs several times as much.
[[gnu::always_inline]] inline std::int64_t Divide(std::int64_t x, std::int64_t y, bool mod) {
  if (x == static_cast<std::int32_t>(x) && y == static_cast<std::int32_t>(y) && y != -1) {
    const auto a = static_cast<std::int32_t>(x), b = static_cast<std::int32_t>(y);
    return mod ? a % b : a / b;
  }
  return mod ? x % y : x / y;
}

// An op's operand into `y`; false when a variable holds neither Integer nor Long (or a global
// is not yet a variable). The top of the stack lives in `acc`: a Stack operand is the top,
// and the value below it becomes the top.
template <IntOp::Operand O>
[[gnu::always_inline]] inline bool Fetch(const IntOp& op, Variant** vars, std::int64_t& y, std::int64_t& acc,
                                         const std::int64_t* below, int& top, unsigned& is_long) {
  if constexpr (O == IntOp::Stack) {
    y = acc;
    acc = below[--top];
    return true;
  } else if constexpr (O == IntOp::FromConst) {
    y = op.value;
    is_long |= op.is_long;
    return true;
  } else {
    const Variant* v = O == IntOp::FromLocal ? vars[op.slot] : GlobalValue(*op.global, op.slot, vars);
    if (O == IntOp::FromGlobal && !v) return false;
    // Integer (2) and Long (3) in one test; the low bit tells Long.
    const unsigned t = static_cast<unsigned>(v->type) - static_cast<unsigned>(VT::Integer);
    if (t > 1) return false;
    is_long |= t;
    y = v->i;
    return true;
  }
}

// acc = acc op y; false on division by zero or a result beyond Long.
template <IntOp::Code C>
[[gnu::always_inline]] inline bool Apply(std::int64_t& acc, std::int64_t y, unsigned& is_long) {
  if constexpr (C == IntOp::Add) acc += y;
  else if constexpr (C == IntOp::Sub) acc -= y;
  else if constexpr (C == IntOp::Mul) acc *= y;
  else {
    if (y == 0) return false;
    acc = Divide(acc, y, C == IntOp::Mod);
    // A remainder is no larger than the value divided, whose range is already counted.
    if constexpr (C == IntOp::Mod) return true;
  }
  if (acc != static_cast<std::int32_t>(acc)) return false;
  is_long |= acc != static_cast<std::int16_t>(acc);
  return true;
}

template <IntOp::Operand O, IntOp::Code C>
[[gnu::always_inline]] inline bool Step(const IntOp& op, Variant** vars, std::int64_t& acc, std::int64_t* below,
                                        int& top, unsigned& is_long) {
  std::int64_t y;
  if (!Fetch<O>(op, vars, y, acc, below, top, is_long)) return false;
  if constexpr (C == IntOp::Push) {
    below[top++] = acc;
    acc = y;
    return true;
  } else {
    return Apply<C>(acc, y, is_long);
  }
}
}  // namespace int_ops

// EvalIntBinary's arithmetic over the postfix code, with the same refusals (a local holding
// another type, division by zero, a result beyond Long). The result is a Long when any
// operand is one or any step leaves the range of Integer, which is what ranking each node
// as EvalIntBinary does comes to. Each op is one case of one switch over its operand and
// code together, and the top of the stack stays in a register. Gives the rank (1 Integer,
// 2 Long, 0 refused) and sets `value`; inline for the loop bodies that run it every turn.
[[gnu::always_inline]] inline int RunIntOps(const std::vector<BinaryExpr::IntOp>& code, Variant** vars,
                                            std::int64_t& value) {
  using IntOp = BinaryExpr::IntOp;
  std::int64_t below[int_ops::kIntStack];
  int top = 0;
  std::int64_t acc = 0;
  unsigned is_long = 0;
  for (const IntOp& op : code) {
    bool ok;
    switch (op.fused) {
#define GILDEX_INT_STEP(O, C) \
  case IntOp::Fused(IntOp::O, IntOp::C): ok = int_ops::Step<IntOp::O, IntOp::C>(op, vars, acc, below, top, is_long); break;
#define GILDEX_INT_STEPS(O) \
  GILDEX_INT_STEP(O, Push) GILDEX_INT_STEP(O, Add) GILDEX_INT_STEP(O, Sub) GILDEX_INT_STEP(O, Mul) \
  GILDEX_INT_STEP(O, Mod) GILDEX_INT_STEP(O, IntDiv)
      GILDEX_INT_STEPS(Stack)
      GILDEX_INT_STEPS(FromConst)
      GILDEX_INT_STEPS(FromLocal)
      GILDEX_INT_STEPS(FromGlobal)
#undef GILDEX_INT_STEPS
#undef GILDEX_INT_STEP
      default: ok = false; break;
    }
    if (!ok) return 0;
  }
  value = acc;
  return is_long ? 2 : 1;
}

[[gnu::always_inline]] inline bool CompareIntegral(BinaryOp op, std::int64_t x, std::int64_t y) {
  switch (op) {
    case BinaryOp::Eq: return x == y;
    case BinaryOp::Ne: return x != y;
    case BinaryOp::Lt: return x < y;
    case BinaryOp::Gt: return x > y;
    case BinaryOp::Le: return x <= y;
    default: return x >= y;
  }
}

}  // namespace gildex::vbscript
