// Fields of script class instances read and written by the evaluator itself (o.Key = v,
// o.Key), without the general call through Object::Get and Put.
#include "platform/vbscript/evaluator.h"

namespace gildex::vbscript {

// The value a local or a global variable holds where it is kept, or null for any other
// expression (evaluating it may run code or declare the name).
const Variant* Interpreter::VariableValue(Expr& e) {
  if (e.kind != ExprKind::Name) return nullptr;
  auto& n = static_cast<NameExpr&>(e);
  if (n.binding == Binding::Local) return frame_->vars[n.slot];
  if (n.binding != Binding::Global) return nullptr;
  GlobalSlot& g = GlobalOf(n);
  return g.kind == GlobalSlot::Kind::Variable ? &g.value : nullptr;
}

// The field `m` names when its object is a variable holding an instance of a script class
// that has a field of that name reachable from here (public, or from inside the instance);
// {null, null} otherwise, for the general path (properties, methods, errors). The variable
// keeps the instance alive while the caller reads or writes the field.
Interpreter::FieldRef Interpreter::FieldOf(MemberExpr& m) {
  if (!m.object) return {nullptr, nullptr};
  const Variant* v = VariableValue(*m.object);
  if (!v || v->type != VT::Object || !v->obj) return {nullptr, nullptr};
  ClassInstance* inst = v->obj->AsInstance();
  if (!inst || !inst->ReachableFrom(*this)) return {nullptr, nullptr};
  const ClassDef& cls = inst->cls_;
  if (m.field_class != &cls) {
    auto f = cls.field_slots.find(m.upper);
    m.field_class = &cls;
    m.field = f == cls.field_slots.end() ? -1 : f->second;
  }
  if (m.field < 0) return {nullptr, nullptr};
  const auto k = static_cast<std::size_t>(m.field);
  if (k >= inst->fields_.size() || (!cls.fields[k].is_public && !InsideOf(inst))) return {nullptr, nullptr};
  return {inst, &inst->fields_[k]};
}

}  // namespace gildex::vbscript
