#pragma once
// What the evaluator's source files share: the frame of a running call and the integer
// arithmetic they all run inline.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

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
