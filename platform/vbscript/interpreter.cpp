#include "platform/vbscript/interpreter.h"

#include <array>
#include <deque>
#include <map>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "platform/vbscript/evaluator.h"
#include "platform/vbscript/objects.h"
#include "platform/vbscript/parser.h"
#include "platform/vbscript/resolver.h"
#include "platform/vbscript/scanner.h"

namespace gildex::vbscript {


Interpreter::Frame::Added::~Added() = default;

namespace {

constexpr std::int64_t kErrorSteps = 100;

class FrameScope {
 public:
  FrameScope(Interpreter::Frame*& slot, Interpreter::Frame* frame) : slot_(slot), saved_(slot) { slot = frame; }
  ~FrameScope() { slot_ = saved_; }

 private:
  Interpreter::Frame*& slot_;
  Interpreter::Frame* saved_;
};

// An Integer (rank 1) or Long (rank 2) written over a slot that holds nothing on the heap,
// without making a Variant; false when the slot holds a text, an object or an array.
[[gnu::always_inline]] inline bool StoreIntBits(Variant* slot, int rank, std::int64_t value) {
  if (slot->HasHeap()) return false;
  slot->type = rank == 1 ? VT::Integer : VT::Long;
  slot->i = value;
  return true;
}

}  // namespace

// Every call from the host: fresh budget, and the error reported with the line's text.
struct Interpreter::Entry {
  Interpreter& in;
  bool outermost;
  std::shared_ptr<MemoryMeter> saved_meter;
  explicit Entry(Interpreter& i) : in(i), outermost(i.host_depth_ == 0), saved_meter(CurrentMeter()) {
    in.meter_->limit = in.limits.max_memory;
    CurrentMeter() = in.meter_;
    if (outermost) {
      const auto now = std::chrono::steady_clock::now();
      in.deadline_ = in.limits.max_milliseconds > 0 ? now + std::chrono::milliseconds(in.limits.max_milliseconds)
                                                     : std::chrono::steady_clock::time_point::max();
      in.next_ask_ = now;
      in.steps_ = 0;
      in.depth_ = 0;
      in.stack_limit_ = StackLimitBelow(static_cast<const char*>(__builtin_frame_address(0)));
    }
    in.ArmSteps();
    ++in.host_depth_;
  }
  ~Entry() {
    --in.host_depth_;
    CurrentMeter() = std::move(saved_meter);
  }
};

ClassInstance::ClassInstance(Interpreter& in, ClassDef& cls, std::shared_ptr<bool> alive)
    : cls_(cls), fields_((charge.Add(static_cast<std::int64_t>(sizeof(ClassInstance) + cls.fields.size() * sizeof(Variant))),
                          cls.fields.size())),
      name_(cls.name), in_(in), alive_(std::move(alive)) {}

Variant ClassInstance::Get(Interpreter& in, const std::string& name, std::span<Variant* const> args) {
  if (!*alive_ || &in != &in_) ThrowRuntime(424);
  const bool inside = in.InsideOf(this);
  if (name.empty()) {
    if (!cls_.default_member) ThrowRuntime(438);
    return in.CallProc(*cls_.default_member, shared_from_this(), args);
  }
  if (auto f = cls_.field_slots.find(name); f != cls_.field_slots.end() && (inside || cls_.fields[f->second].is_public)) {
    Variant& v = fields_[f->second];
    if (args.empty()) return v;
    // o.Member(i): an array's element, or an object's default member.
    if (v.IsObject() && v.obj) return v.obj->Get(in, "", args);
    if (!v.IsArray()) ThrowRuntime(13, cls_.fields[f->second].name);
    std::vector<std::int64_t> index;
    for (auto* a : args) index.push_back(ToLong(*a));
    return v.arr->items[v.arr->Offset(index)];
  }
  ProcDef* proc = nullptr;
  if (auto g = cls_.getters.find(name); g != cls_.getters.end()) proc = g->second;
  else if (auto m = cls_.methods.find(name); m != cls_.methods.end()) proc = m->second;
  if (!proc || (!proc->is_public && !inside)) {
    ThrowRuntime(438, name);
  }
  if (proc->params.empty() && !args.empty()) {
    // o.Items(1) with a Property Get Items of no parameters indexes what it returns.
    Variant result = in.CallProc(*proc, shared_from_this(), {});
    if (result.IsArray()) {
      std::vector<std::int64_t> index;
      for (auto* a : args) index.push_back(ToLong(*a));
      return result.arr->items[result.arr->Offset(index)];
    }
    if (result.IsObject() && result.obj) return result.obj->Get(in, "", args);
    ThrowRuntime(450, proc->name);
  }
  return in.CallProc(*proc, shared_from_this(), args);
}

void ClassInstance::Put(Interpreter& in, const std::string& name, std::span<Variant* const> args, const Variant& value,
                        bool set) {
  if (!*alive_ || &in != &in_) ThrowRuntime(424);
  const bool inside = in.InsideOf(this);
  if (auto f = cls_.field_slots.find(name); f != cls_.field_slots.end() && (inside || cls_.fields[f->second].is_public)) {
    Variant& v = fields_[f->second];
    if (args.empty()) {
      charge.Replace(v, value);
      v = value;
      return;
    }
    if (!v.IsArray()) ThrowRuntime(13, cls_.fields[f->second].name);
    std::vector<std::int64_t> index;
    for (auto* a : args) index.push_back(ToLong(*a));
    ArrayValue& arr = MutableArray(v);
    Variant& item = arr.items[arr.Offset(index)];
    arr.charge.Replace(item, value);
    item = value;
    return;
  }
  auto& map = set ? cls_.setters : cls_.letters;
  auto it = name.empty() ? map.end() : map.find(name);
  if (it == map.end() || (!it->second->is_public && !inside)) ThrowRuntime(438, name);
  std::vector<Variant*> all(args.begin(), args.end());
  Variant copy = value;
  all.push_back(&copy);
  in.CallProc(*it->second, shared_from_this(), all);
}

void ClassInstance::ClearReferences() {
  std::vector<Variant> fields = std::move(fields_);
  fields_.clear();
}

void ClassInstance::LastRelease(const std::shared_ptr<Object>& self) {
  // After a reset the class definition may be gone: only the alive flag may be read.
  if (!*alive_ || terminated_ || !cls_.terminate) return;
  in_.QueueTerminate(self);
}

namespace {

// What GetRef returns. The procedure belongs to code the interpreter holds until a reset,
// so the reference goes dead with the alive flag.
class ProcRef : public Object {
 public:
  ProcRef(Interpreter& in, ProcDef& proc, std::shared_ptr<bool> alive) : in_(in), proc_(proc), alive_(std::move(alive)) {}
  std::string TypeName() const override { return "Object"; }
  Variant Get(Interpreter& in, const std::string& name, std::span<Variant* const> args) override {
    if (!*alive_ || &in != &in_) ThrowRuntime(424);
    if (!name.empty()) ThrowRuntime(438, name);
    return in.CallProc(proc_, nullptr, args);
  }

 private:
  Interpreter& in_;
  ProcDef& proc_;
  std::shared_ptr<bool> alive_;
};

}  // namespace

Interpreter::Interpreter(const platform::Clock& clock) : clock_(clock), alive_(std::make_shared<bool>(true)) {}

Interpreter::~Interpreter() {
  *alive_ = false;
  terminations_.clear();
  BreakCycles();
}

void Interpreter::Track(const std::shared_ptr<Object>& object) {
  if (created_.size() >= 1024 && created_.size() == created_.capacity()) {
    std::erase_if(created_, [](const std::weak_ptr<Object>& w) { return w.expired(); });
  }
  created_.push_back(object);
}

void Interpreter::BreakCycles() {
  std::vector<std::weak_ptr<Object>> created = std::move(created_);
  for (auto& weak : created)
    if (std::shared_ptr<Object> o = weak.lock()) o->ClearReferences();
}

void Interpreter::Reset() {
  *alive_ = false;
  terminations_.clear();
  BreakCycles();
  globals_ = GlobalTable();
  names_.Add(-names_.Bytes());
  units_.clear();
  err_.Clear();
  alive_ = std::make_shared<bool>(true);
}

void Interpreter::CheckString(std::size_t size) const {
  if (size > limits.max_string)
    ThrowLimit(14, "Out of string space: a string would exceed " + std::to_string(limits.max_string) + " bytes");
}

void Interpreter::StepLimit() const {
  ThrowLimit(kStepLimitError, "Script stopped after " + std::to_string(limits.max_steps) +
                                  " steps: it may be in an endless loop");
}

void Interpreter::Poll() {
  const auto now = std::chrono::steady_clock::now();
  if (now >= deadline_ || now >= next_ask_) PollSlow(now);
}

void Interpreter::PollSlow(std::chrono::steady_clock::time_point now) {
  if (host_depth_ == 0) return;  // between calls from the host nothing runs against a budget
  if (now >= next_ask_) {
    next_ask_ = now + std::chrono::milliseconds(50);
    if (limits.cancelled && limits.cancelled()) ThrowLimit(kCancelledError, "Operation was cancelled by user.");
  }
  if (now >= deadline_) {
    const std::int64_t ms = limits.max_milliseconds;
    std::string seconds = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
      const std::string part = std::to_string(1000 + ms % 1000);  // "1250" for .25
      seconds += "." + part.substr(1, part.find_last_not_of('0'));
    }
    ThrowLimit(kTimeLimitError, "Script stopped after " + seconds + (ms == 1000 ? " second" : " seconds") +
                                    ": it may be in an endless loop or working on too much data");
  }
}

void Interpreter::Tick() {
  if (++steps_ > step_check_) StepChecks();
}

void Interpreter::CheckNativeStack() const {
  if (StackExhausted(stack_limit_)) ThrowOutOfStack();
}

// Execute and Eval nest like calls: text that executes itself ends with "Out of stack space".
struct Interpreter::Nesting {
  Interpreter& in;
  explicit Nesting(Interpreter& i) : in(i) {
    if (in.depth_ >= in.limits.max_depth) ThrowOutOfStack();
    in.CheckNativeStack();
    ++in.depth_;
  }
  ~Nesting() { --in.depth_; }
  Nesting(const Nesting&) = delete;
  Nesting& operator=(const Nesting&) = delete;
};

// n values and n pointers from the call stacks, cleared and given back when it ends. The
// pointers of a call with few slots (nearly every call) are kept here, on the native stack:
// nothing outlives the call that could point at them.
struct Interpreter::Slots {
  static constexpr std::size_t kNativeRefs = 8;
  Interpreter& in;
  SlabStack<Variant>::Mark value_mark;
  SlabStack<Variant*>::Mark ref_mark;  // when the pointers were pushed
  Variant* values;
  Variant** refs;
  std::size_t n;
  Variant* native_refs[kNativeRefs];
  [[gnu::always_inline]] Slots(Interpreter& i, std::size_t count) : in(i), value_mark(i.variants_.Top()), n(count) {
    if (n <= kNativeRefs) {
      refs = native_refs;
      values = in.variants_.Push(n);
      return;
    }
    ref_mark = in.pointers_.Top();
    refs = in.pointers_.Push(n);
    try {
      values = in.variants_.Push(n);
    } catch (...) {
      in.pointers_.PopTo(ref_mark);
      throw;
    }
  }
  // Slots below `args_first` hold arguments; they are freed after the rest, as a separate
  // stack of argument temporaries would be, so Class_Terminate runs in the same order.
  std::size_t args_first = 0;
  [[gnu::always_inline]] ~Slots() {
    for (std::size_t k = args_first; k < n; ++k) Clear(values[k]);
    for (std::size_t k = 0; k < args_first; ++k) Clear(values[k]);
    in.variants_.PopTo(value_mark);
    if (refs != native_refs) in.pointers_.PopTo(ref_mark);
  }
  Slots(const Slots&) = delete;
  Slots& operator=(const Slots&) = delete;
  [[gnu::always_inline]] static void Clear(Variant& v) {
    if (v.HasHeap()) {
      v = Variant();
    } else {
      v.type = VT::Empty;
      v.i = 0;
    }
  }
};

bool Interpreter::InsideOf(const Object* instance) const { return frame_ && frame_->me->get() == instance; }

void Interpreter::QueueTerminate(std::shared_ptr<Object> instance) {
  terminations_.push_back(std::move(instance));
  step_check_ = std::min(step_check_, steps_);  // the next statement runs it first
}

// The clock is read once every this many steps: a few microseconds apart even on slow steps.
constexpr std::int64_t kPollSteps = 1024;

void Interpreter::ArmSteps() {
  step_check_ = terminations_.empty() ? std::min(steps_ + kPollSteps, limits.max_steps)
                                      : std::min(steps_, limits.max_steps);
}

void Interpreter::StepChecks() {
  if (steps_ > limits.max_steps) StepLimit();
  Poll();
  if (!terminations_.empty()) RunTerminations();
  ArmSteps();
}

void Interpreter::RunTerminations() {
  while (!terminations_.empty()) {
    std::shared_ptr<Object> o = std::move(terminations_.back());
    terminations_.pop_back();
    auto* inst = static_cast<ClassInstance*>(o.get());
    inst->terminated_ = true;
    try {
      CallProc(*inst->cls_.terminate, o, {});
    } catch (const ScriptException& e) {
      if (!e.catchable) throw;
    }
  }
}

namespace {
// What a variable costs beside its value: its slot, its name twice (slot and index) and the
// index's node, and the short string it may hold uncharged (strings are charged from 4 KB).
constexpr std::int64_t kVariableBytes = sizeof(GlobalSlot) + 160 + 4096;
// Parsed code per byte of source, measured on typical scripts with room to spare.
constexpr std::int64_t kCodeBytesPerSourceByte = 128;
}  // namespace

void Interpreter::ChargeNames(std::size_t globals_before) {
  if (globals_.slots.size() > globals_before)
    names_.Add(static_cast<std::int64_t>(globals_.slots.size() - globals_before) * kVariableBytes);
}

std::unique_ptr<Unit> Interpreter::Compile(std::string_view source, ResolveScope scope) {
  auto unit = ParseScript(source, stack_limit_);
  for (auto& p : unit->procs) p->source = &unit->source;
  for (auto& c : unit->classes)
    for (auto& p : c->procs) p->source = &unit->source;
  const std::size_t globals_before = globals_.slots.size();
  const std::size_t locals_before = scope.execute_locals ? scope.execute_locals->size() : 0;
  try {
    Resolve(*unit, globals_, scope);
  } catch (...) {
    ChargeNames(globals_before);
    throw;
  }
  ChargeNames(globals_before);
  if (scope.execute_locals && scope.execute_locals->size() > locals_before && frame_ && frame_->added)
    frame_->added->charge.Add(static_cast<std::int64_t>(scope.execute_locals->size() - locals_before) * kVariableBytes);
  return unit;
}

void Interpreter::RunUnit(Unit& unit, bool new_frame) {
  // Arrays declared with bounds at script level exist before the first statement runs.
  if (new_frame) {
    Frame top;
    top.source = &unit.source;
    FrameScope scope(frame_, &top);
    ExecBlock(unit.body);
  } else {
    const std::string* saved = frame_->source;
    frame_->source = &unit.source;
    try {
      ExecBlock(unit.body);
    } catch (...) {
      frame_->source = saved;
      throw;
    }
    frame_->source = saved;
  }
  RunTerminations();
}

namespace {
void FillText(ScriptError& e, std::string_view source) {
  if (e.line > 0 && e.text.empty()) e.text = SourceLine(source, e.line);
}
}  // namespace

void Interpreter::AddCode(std::string_view source) {
  Entry entry(*this);
  std::unique_ptr<Unit> unit;
  try {
    unit = Compile(source, {});
  } catch (ScriptException& e) {
    FillText(e.error, source);
    throw;
  }
  Unit& u = *unit;
  units_.push_back(std::move(unit));
  try {
    RunUnit(u, true);
  } catch (ScriptException& e) {
    err_.Set(e.error);
    throw;
  }
}

Variant Interpreter::Eval(std::string_view expression) {
  Entry entry(*this);
  Frame top;
  std::string text(expression);
  top.source = &text;
  FrameScope scope(frame_, &top);
  try {
    Variant result = EvalText(expression);
    result.Uncharge();  // the host's now
    return result;
  } catch (ScriptException& e) {
    if (e.error.line == 0) e.error.line = 1;
    FillText(e.error, text);
    throw;
  }
}

Variant Interpreter::Run(std::string_view procedure, std::span<const Variant> args) {
  Entry entry(*this);
  int slot = globals_.Find(cp1252::Upper(procedure));
  if (slot < 0 || globals_.slots[slot].kind != GlobalSlot::Kind::Procedure) ThrowRuntime(35, procedure);
  std::vector<Variant> copies(args.begin(), args.end());
  std::vector<Variant*> ptrs;
  for (auto& c : copies) ptrs.push_back(&c);
  Frame top;
  FrameScope scope(frame_, &top);
  Variant result = CallProc(*globals_.slots[slot].proc, nullptr, ptrs);
  RunTerminations();
  result.Uncharge();  // the host's now
  return result;
}

void Interpreter::ExecuteStatement(std::string_view source) {
  Entry entry(*this);
  Frame top;
  std::string text(source);
  top.source = &text;
  FrameScope scope(frame_, &top);
  try {
    ExecuteText(text, true);
  } catch (ScriptException& e) {
    FillText(e.error, text);
    err_.Set(e.error);
    throw;
  }
}

ResolveScope Interpreter::ProcScope() {
  ResolveScope scope;
  if (frame_ && frame_->proc) {
    scope.proc = frame_->proc;
    scope.cls = frame_->proc->owner;
    if (!frame_->added) frame_->added = std::make_unique<Frame::Added>();
    scope.execute_locals = &frame_->added->names;
  }
  return scope;
}

void Interpreter::MakeAddedLocals() {
  if (frame_ && frame_->added) frame_->added->values.resize(frame_->added->names.size());
}

namespace {
void CheckExecuteText(std::string_view source) {
  if (source.size() > kMaxExecuteText)
    ThrowRuntimeText(7, "Out of memory: the text given to Execute, ExecuteGlobal or Eval is " +
                            std::to_string(source.size()) + " bytes; at most " + std::to_string(kMaxExecuteText) +
                            " are run, as its parsed code takes many times its size");
}
}  // namespace

void Interpreter::ExecuteText(std::string_view source, bool global) {
  CheckExecuteText(source);
  Nesting nesting(*this);
  ResolveScope scope;
  if (!global) scope = ProcScope();
  std::unique_ptr<Unit> unit;
  try {
    unit = Compile(source, scope);
  } catch (...) {
    MakeAddedLocals();
    throw;
  }
  MakeAddedLocals();
  // The host's own code is not charged: the budget is for what the script makes.
  unit->charge.Add(static_cast<std::int64_t>(sizeof(Unit) + source.size() * kCodeBytesPerSourceByte));
  Unit& u = *unit;
  // Code that declared procedures or classes must outlive this call; plain statements need not.
  const bool keep = !u.procs.empty() || !u.classes.empty();
  if (keep) units_.push_back(std::move(unit));
  RunUnit(u, global || !frame_);
}

Variant Interpreter::EvalText(std::string_view expression) {
  CheckExecuteText(expression);
  Nesting nesting(*this);
  ExprPtr e = ParseExpression(expression, stack_limit_);
  ResolveScope scope = ProcScope();
  const std::size_t globals_before = globals_.slots.size();
  ResolveExpression(e, globals_, scope, frame_ && frame_->proc && frame_->proc->explicit_vars);
  ChargeNames(globals_before);
  Variant v = EvalExpr(*e);
  return v;
}

template <typename Take>
[[gnu::always_inline]] inline auto Interpreter::RunProc(ProcDef& proc, const std::shared_ptr<Object>& me, Slots& locals,
                                                        Take&& take) {
  Variant* storage = locals.values;
  Frame frame;
  frame.vars = locals.refs;
  frame.me = &me;
  frame.proc = &proc;
  frame.source = proc.source;
  FrameScope scope(frame_, &frame);
  ++depth_;
  struct DepthGuard {
    int& d;
    ~DepthGuard() { --d; }
  } guard{depth_};
  ExecBlock(proc.body);
  return take(proc.result_slot >= 0 ? &storage[static_cast<std::size_t>(proc.result_slot)] : nullptr);
}

Variant Interpreter::CallProc(ProcDef& proc, const std::shared_ptr<Object>& me, std::span<Variant* const> args) {
  if (args.size() != proc.params.size()) ThrowRuntime(450, proc.name);
  if (depth_ >= limits.max_depth) ThrowOutOfStack();
  CheckNativeStack();
  Slots locals(*this, static_cast<std::size_t>(proc.local_count));
  Variant* storage = locals.values;
  Variant** vars = locals.refs;
  for (std::size_t k = 0; k < locals.n; ++k) vars[k] = &storage[k];
  for (std::size_t k = 0; k < args.size(); ++k) {
    if (proc.params[k].by_val) {
      storage[k] = *args[k];
      storage[k].HoldInVariable();
    } else {
      vars[k] = args[k];
    }
  }
  return RunProc(proc, me, locals, [](Variant* result) { return result ? std::move(*result) : Variant(); });
}

// Arguments none of which is an array element (those travel through an ArgPack, to be
// written back), evaluated straight into the callee's slots: no second stack of temporaries
// and no copies. Order and meaning are CallProc's after PackArgs: every argument is
// evaluated first, then ByVal parameters copy the variables they were given.
bool Interpreter::DirectArgs(NameExpr& callee, const std::vector<ExprPtr>* args) const {
  // What decides it is fixed where the call is written: kept on the callee's name.
  if (callee.direct_args != 0) return callee.direct_args == 1;
  const bool direct = ArgsAreValues(args);
  callee.direct_args = direct ? 1 : 2;
  return direct;
}

bool Interpreter::ArgsAreValues(const std::vector<ExprPtr>* args) const {
  if (!args) return true;
  for (const auto& a : *args) {
    if (a->kind != ExprKind::Call) continue;
    auto& c = static_cast<const CallExpr&>(*a);
    if (c.args.empty() || c.target->kind != ExprKind::Name) continue;
    auto& n = static_cast<const NameExpr&>(*c.target);
    const bool self_call = n.binding == Binding::Local && frame_->proc && n.slot == frame_->proc->result_slot;
    if (n.binding != Binding::Builtin && !self_call) return false;
  }
  return true;
}

template <typename Take>
[[gnu::always_inline]] inline auto Interpreter::CallDirectWith(ProcDef& proc, const std::shared_ptr<Object>& me,
                                                               std::vector<ExprPtr>* args, Take&& take) {
  const std::size_t n = args ? args->size() : 0;
  Slots locals(*this, std::max(static_cast<std::size_t>(proc.local_count), n));
  locals.args_first = n;
  Variant* storage = locals.values;
  Variant** vars = locals.refs;
  for (Variant **ref = vars, **end = vars + locals.n, *value = storage; ref != end; ++ref, ++value) {
    *ref = value;
    // Kept a plain loop: vectorised, its set-up costs more than the two or three slots of
    // a usual call take.
    asm("" : "+r"(value));
  }
  for (std::size_t k = 0; k < n; ++k) {
    Expr& a = *(*args)[k];
    if (a.kind == ExprKind::Name && IsVariable(static_cast<NameExpr&>(a))) {
      if (Variant* ref = Slot(static_cast<NameExpr&>(a))) {
        vars[k] = ref;
        continue;
      }
    }
    if (a.kind == ExprKind::Binary) {
      // Integer arithmetic (n - 1) is written into the slot's bits, with no Variant made.
      auto& b = static_cast<BinaryExpr&>(a);
      if (!b.int_code.empty()) {
        const IntResult r = RunInt(b);
        if (r.rank != 0) {
          storage[k].type = r.rank == 1 ? VT::Integer : VT::Long;
          storage[k].i = r.value;
          continue;
        }
      }
    }
    // Made in the slot itself (Empty, as every slot not taken is) rather than moved there.
    Variant* slot = &storage[k];
    std::destroy_at(slot);
    try {
      new (slot) Variant(EvalExpr(a));
    } catch (...) {
      new (slot) Variant();
      throw;
    }
    slot->HoldInVariable();
  }
  if (n != proc.param_count) ThrowRuntime(450, proc.name);
  // The native stack is checked by ExecBlock as the body starts.
  if (depth_ >= limits.max_depth) ThrowOutOfStack();
  for (std::size_t k = 0; proc.by_val_params > 0 && k < n; ++k) {
    if (proc.params[k].by_val && vars[k] != &storage[k]) {
      storage[k] = *vars[k];
      storage[k].HoldInVariable();
      vars[k] = &storage[k];
    }
  }
  return RunProc(proc, me, locals, take);
}

Variant Interpreter::CallDirect(ProcDef& proc, const std::shared_ptr<Object>& me, std::vector<ExprPtr>* args) {
  return CallDirectWith(proc, me, args, [](Variant* result) { return result ? std::move(*result) : Variant(); });
}

// CallDirect for an operand of integer arithmetic: an Integer or Long result is taken from
// the callee's slot as bits, with no Variant made; any other result goes to `spill`.
Interpreter::IntResult Interpreter::CallDirectInt(ProcDef& proc, const std::shared_ptr<Object>& me,
                                                  std::vector<ExprPtr>* args, Spill& spill) {
  return CallDirectWith(proc, me, args, [&spill](Variant* result) -> IntResult {
    if (!result) {
      *spill = Variant();
      return {0, 0};
    }
    if (result->type == VT::Integer) return {result->i, 1};
    if (result->type == VT::Long) return {result->i, 2};
    *spill = std::move(*result);
    return {0, 0};
  });
}

// An assignment of Integer or Long arithmetic, already flattened, to a local or a global
// variable holding no string, array or object: the bits are written in place without going
// through Exec, the common case of counters and sums in loops. False when it does not apply;
// nothing has run then.
inline bool Interpreter::AssignInPlace(Stmt& s) {
  if (!s.int_assign) return false;
  auto& st = static_cast<AssignStmt&>(s);
  IntResult r;
  if (s.int_assign == 3) {
    // Another local's Integer or Long (Fib = n).
    const Variant* v = frame_->vars[st.value_local];
    const unsigned t = static_cast<unsigned>(v->type) - static_cast<unsigned>(VT::Integer);
    if (t > 1) return false;
    r = {v->i, static_cast<int>(t) + 1};
  } else {
    auto& b = static_cast<BinaryExpr&>(*st.value);
    r = s.int_assign == 1 ? RunInt(b) : RunIntCode(b.int_code);
    if (r.rank == 0) return false;
  }
  auto& n = static_cast<NameExpr&>(*st.target);
  Variant* slot;
  if (s.int_assign != 2) slot = frame_->vars[n.slot];
  else if (n.global->kind == GlobalSlot::Kind::Variable) slot = &n.global->value;
  else return false;
  return StoreIntBits(slot, r.rank, r.value);
}

Interpreter::Flow Interpreter::ExecBlock(Block& block, std::size_t first) {
  CheckNativeStack();
  auto it = block.begin() + static_cast<std::ptrdiff_t>(first), end = block.end();
  while (it != end) {
    StmtPtr& s = *it++;
    if (++steps_ > step_check_) StepChecks();
    if (AssignInPlace(*s)) continue;
    Flow flow;
    try {
      if (s->kind == StmtKind::If && it == end) {
        // An If that ends the block (a function's usual body) runs its branch in this loop:
        // what follows the branch is what follows the block.
        Block& branch = Branch(static_cast<IfStmt&>(*s));
        it = branch.begin();
        end = branch.end();
        continue;
      }
      if (s->kind == StmtKind::Assign) {
        auto& st = static_cast<AssignStmt&>(*s);
        flow = st.shape == 4 ? AssignCombined(st, static_cast<BinaryExpr&>(*st.value)) : ExecAssign(st);
      } else {
        flow = Exec(*s);
      }
    } catch (ScriptException& e) {
      if (e.error.line == 0) {
        e.error.line = s->line;
        e.error.column = s->column;
        if (frame_->source) e.error.text = SourceLine(*frame_->source, s->line);
      }
      if (!e.catchable || !frame_->resume_next) throw;
      Resumed(e);
      continue;
    } catch (const std::bad_alloc&) {
      ScriptError e;
      e.number = 7;
      e.description = "Out of memory";
      e.source = kRuntimeSource;
      e.line = s->line;
      e.column = s->column;
      throw ScriptException(std::move(e), false);
    }
    if (flow != Flow::Normal) return flow;
  }
  return Flow::Normal;
}

// A loop's body: its leading assignments of integer code run here, as ExecBlock would run
// them, without a call per turn; the first other statement and the rest go to ExecBlock.
[[gnu::always_inline]] inline Interpreter::Flow Interpreter::ExecLoopBody(Block& body) {
  // Integer code given to a local, the usual body, with the code run inline.
  const auto assign_local = [this](Stmt& s) {
    auto& st = static_cast<AssignStmt&>(s);
    Variant** vars = frame_->vars;
    std::int64_t value = 0;
    const int rank = RunIntOps(static_cast<BinaryExpr&>(*st.value).int_code, vars, value);
    Variant* slot = vars[static_cast<NameExpr&>(*st.target).slot];
    return rank != 0 && StoreIntBits(slot, rank, value);
  };
  for (std::size_t k = 0, n = body.size(); k < n; ++k) {
    Stmt& s = *body[k];
    if (!s.int_assign) return ExecBlock(body, k);
    if (++steps_ > step_check_) StepChecks();
    if (!(s.int_assign == 1 ? assign_local(s) : AssignInPlace(s))) {
      --steps_;  // counted again by ExecBlock
      return ExecBlock(body, k);
    }
  }
  return Flow::Normal;
}

void Interpreter::Resumed(const ScriptException& e) {
  // A raised error costs far more than a statement; charging it keeps an endless loop
  // of errors under Resume Next from running for minutes before the budget stops it.
  steps_ += kErrorSteps;
  err_.Set(e.error);
}


// The Integer or Long a local or a literal holds; false for any other expression or value.
inline bool Interpreter::IntOperand(const Expr& e, std::int64_t& value) const {
  const Variant* v;
  if (e.kind == ExprKind::Name) {
    auto& n = static_cast<const NameExpr&>(e);
    if (n.binding != Binding::Local) return false;
    v = frame_->vars[n.slot];
  } else if (e.kind == ExprKind::Literal) {
    v = &static_cast<const LiteralExpr&>(e).value;
  } else {
    return false;
  }
  if (v->type != VT::Integer && v->type != VT::Long) return false;
  value = v->i;
  return true;
}

// A local compared with an Integer or Long literal (n < 2), the commonest condition, inline
// where it is asked; anything else, and the first look at a comparison, in TruthySlow.
[[gnu::always_inline]] inline bool Interpreter::Truthy(Expr& e) {
  if (e.kind == ExprKind::Binary) {
    auto& b = static_cast<BinaryExpr&>(e);
    if (b.local_compare == 1) {
      const Variant* x = frame_->vars[b.compare_slot];
      if (x->type == VT::Integer || x->type == VT::Long) return CompareIntegral(b.op, x->i, b.compare_value);
    }
  }
  return TruthySlow(e);
}

bool Interpreter::TruthySlow(Expr& e) {
  if (e.kind == ExprKind::Binary) {
    auto& b = static_cast<BinaryExpr&>(e);
    if (b.local_compare == 0) {
      b.local_compare = 2;
      if (b.op >= BinaryOp::Eq && b.op <= BinaryOp::Ge && b.left->kind == ExprKind::Name &&
          b.right->kind == ExprKind::Literal) {
        auto& n = static_cast<NameExpr&>(*b.left);
        const Variant& y = static_cast<LiteralExpr&>(*b.right).value;
        if (n.binding == Binding::Local && (y.type == VT::Integer || y.type == VT::Long)) {
          b.local_compare = 1;
          b.compare_slot = n.slot;
          b.compare_value = y.i;
        }
      }
    }
    // A comparison of Integers and Longs, the usual loop or If condition, without a Variant.
    std::int64_t x, y;
    int rank;
    if (b.op >= BinaryOp::Eq && b.op <= BinaryOp::Ge) {
      if (IntOperand(*b.left, x) && IntOperand(*b.right, y)) return CompareIntegral(b.op, x, y);
      if (EvalIntegral(*b.left, x, rank) && EvalIntegral(*b.right, y, rank)) return CompareIntegral(b.op, x, y);
    }
  }
  Variant temp;
  const Variant* v = EvalPtr(e, temp);
  if (v->type == VT::Boolean) return v->i != 0;
  if (v->IsNull()) return false;
  if (v->IsObject()) return ToBool(DefaultValue(*v));
  return ToBool(*v);
}

// The block of the If that runs.
[[gnu::always_inline]] inline Block& Interpreter::Branch(IfStmt& st) {
  for (std::size_t k = 0; k < st.conditions.size(); ++k) {
    bool taken;
    try {
      taken = Truthy(*st.conditions[k]);
    } catch (ScriptException& e) {
      // Under Resume Next the statement after a failing condition is the first one
      // of its branch, so VBScript goes into that branch.
      if (!e.catchable || !frame_->resume_next) throw;
      Resumed(e);
      taken = true;
    }
    if (taken) return st.blocks[k];
  }
  return st.else_block;
}

Interpreter::Flow Interpreter::ExecAssign(AssignStmt& st) {
  if (st.shape == 0) {
    const bool local = st.target->kind == ExprKind::Name && !st.is_set &&
                       static_cast<NameExpr&>(*st.target).binding == Binding::Local;
    const bool global = st.target->kind == ExprKind::Name && !st.is_set &&
                        static_cast<NameExpr&>(*st.target).binding == Binding::Global;
    st.shape = local ? 1 : global ? 3 : 2;
    if (local && st.value->kind == ExprKind::Name && static_cast<NameExpr&>(*st.value).binding == Binding::Local) {
      st.value_local = static_cast<NameExpr&>(*st.value).slot;
      st.int_assign = 3;  // ExecBlock copies an Integer or Long from here on
    }
  }
  if (st.shape == 4) return AssignCombined(st, static_cast<BinaryExpr&>(*st.value));
  if (st.shape == 3) return AssignGlobal(st);
  if (st.shape != 1) {
    Assign(*st.target, EvalExpr(*st.value), st.is_set);
    return Flow::Normal;
  }
  const int target = static_cast<NameExpr&>(*st.target).slot;
  // An Integer or Long stored in a local that holds no string, array or object: the
  // bits are written in place, the common case of counters and sums.
  IntResult r{0, 0};
  if (st.value_local >= 0) {
    const Variant* v = frame_->vars[st.value_local];
    if (v->type == VT::Integer || v->type == VT::Long) r = {v->i, v->type == VT::Integer ? 1 : 2};
  } else if (st.value->kind != ExprKind::Binary) r = EvalInt(*st.value);
  else if (auto& b = static_cast<BinaryExpr&>(*st.value); !b.int_code.empty()) r = RunInt(b);
  else if (b.integral_shape != 2) {
    r = EvalIntBinary(b);
    st.int_assign = b.int_code.empty() ? 0 : 1;  // flattened now: ExecBlock runs it from here on
  } else if (b.op == BinaryOp::Add || b.op == BinaryOp::Sub || b.op == BinaryOp::Mul) {
    st.shape = 4;  // from here on straight to AssignCombined
    return AssignCombined(st, b);
  }
  if (r.rank != 0 && StoreIntBits(frame_->vars[target], r.rank, r.value)) return Flow::Normal;
  return StoreLocal(st, EvalOperand(*st.value));
}

// A Let of a local from +, - or * whose operands are not all integer code: operands that are
// calls (Fib = Fib(n - 1) + Fib(n - 2)) run once and give their Integer or Long as bits.
Interpreter::Flow Interpreter::AssignCombined(AssignStmt& st, BinaryExpr& b) {
  Spill value;
  const IntResult r = EvalIntOperands(b, value);
  if (r.rank != 0 && StoreIntBits(frame_->vars[static_cast<NameExpr&>(*st.target).slot], r.rank, r.value))
    return Flow::Normal;
  if (r.rank != 0) *value = r.rank == 1 ? Variant::Integer(r.value) : Variant::Long(r.value);
  return StoreLocal(st, std::move(*value));
}

// A value given to a local: stored as it is, as Assign would, unless it is an object or an
// array, or the local holds an array.
[[gnu::always_inline]] inline Interpreter::Flow Interpreter::StoreLocal(AssignStmt& st, Variant value) {
  const int target = static_cast<NameExpr&>(*st.target).slot;
  Variant* slot = frame_->vars[target];
  if (!value.IsObject() && !value.IsArray() && !slot->IsArray()) {
    value.HoldInVariable();
    *slot = std::move(value);
    return Flow::Normal;
  }
  Assign(*st.target, std::move(value), false);
  return Flow::Normal;
}

Interpreter::Flow Interpreter::Exec(Stmt& s) {
  switch (s.kind) {
    case StmtKind::Assign: return ExecAssign(static_cast<AssignStmt&>(s));
    case StmtKind::Call: {
      auto& st = static_cast<CallStmt&>(s);
      if (st.callee->kind == ExprKind::Name) {
        auto& n = static_cast<NameExpr&>(*st.callee);
        // A conversion's result cannot be thrown away: VBScript refuses `Call CLng(1)`, once
        // the conversion itself has run (`Call CLng(Null)` is "Invalid use of Null").
        if (n.binding == Binding::Builtin && BuiltinTable()[static_cast<std::size_t>(n.slot)].values) {
          Invoke(*st.callee, &st.args);
          ThrowRuntime(458);
        }
      }
      Invoke(*st.callee, &st.args);
      return Flow::Normal;
    }
    case StmtKind::Dim: ExecDim(static_cast<DimStmt&>(s).items, false, false); return Flow::Normal;
    case StmtKind::ReDim: {
      auto& st = static_cast<ReDimStmt&>(s);
      ExecDim(st.items, true, st.preserve);
      return Flow::Normal;
    }
    case StmtKind::If: return ExecBlock(Branch(static_cast<IfStmt&>(s)));
    case StmtKind::Select: return ExecSelect(static_cast<SelectStmt&>(s));
    case StmtKind::For: return ExecFor(static_cast<ForStmt&>(s));
    case StmtKind::ForEach: return ExecForEach(static_cast<ForEachStmt&>(s));
    case StmtKind::Do: return ExecDo(static_cast<DoStmt&>(s));
    case StmtKind::Exit:
      switch (static_cast<ExitStmt&>(s).what) {
        case ExitKind::Do: return Flow::ExitDo;
        case ExitKind::For: return Flow::ExitFor;
        default: return Flow::ExitProc;
      }
    case StmtKind::OnError:
      frame_->resume_next = static_cast<OnErrorStmt&>(s).resume_next;
      err_.Clear();
      return Flow::Normal;
    case StmtKind::With: {
      auto& st = static_cast<WithStmt&>(s);
      const Variant object = EvalExpr(*st.object);
      struct Restore {
        Frame* f;
        const Variant* saved;
        ~Restore() { f->with = saved; }
      } restore{frame_, frame_->with};
      frame_->with = &object;
      return ExecBlock(st.body);
    }
    case StmtKind::Erase: {
      auto& n = static_cast<NameExpr&>(*static_cast<EraseStmt&>(s).target);
      Variant* v = Slot(n);
      if (!v || !v->IsArray()) ThrowRuntime(13, n.name);
      if (v->arr->locks.n > 0) ThrowRuntime(10);
      ArrayValue& arr = MutableArray(*v);
      if (arr.fixed) {
        for (auto& item : arr.items) item = Variant();
      } else {
        *v = Variant::Array(MakeArray({}));
      }
      return Flow::Normal;
    }
    case StmtKind::Nop: return Flow::Normal;
  }
  return Flow::Normal;
}

void Interpreter::ExecDim(std::vector<DimItem>& items, bool redim, bool preserve) {
  for (auto& item : items) {
    if (!redim && item.bounds.empty()) {
      if (item.has_bounds) {
        Variant* v = Slot(static_cast<NameExpr&>(*item.target));
        if (v && !v->IsArray()) *v = Variant::Array(MakeArray({}));
      }
      continue;
    }
    std::vector<std::int64_t> counts;
    for (auto& b : item.bounds) {
      std::int64_t upper = ToLong(EvalExpr(*b));
      if (upper < -1) ThrowRuntime(9);
      counts.push_back(upper + 1);
    }
    auto& n = static_cast<NameExpr&>(*item.target);
    if (redim && n.binding == Binding::Global && n.fallback < 0) {
      // ReDim declares the name it sizes, Option Explicit or not.
      GlobalSlot& g = globals_.slots[static_cast<std::size_t>(n.slot)];
      if (g.kind == GlobalSlot::Kind::Undeclared) g.kind = GlobalSlot::Kind::Variable;
    }
    Variant* v = Slot(n);
    if (!v) ThrowRuntime(501, n.name);
    if (redim && v->IsArray() && (v->arr->fixed || v->arr->locks.n > 0)) ThrowRuntime(10);
    auto fresh = MakeArray(counts, !redim);
    if (preserve && v->IsArray()) {
      const ArrayValue& old = *v->arr;
      if (old.counts.size() != counts.size()) ThrowRuntime(9);
      for (std::size_t k = 0; k + 1 < counts.size(); ++k)
        if (old.counts[k] != counts[k]) ThrowRuntime(9);
      std::size_t keep = std::min(old.items.size(), fresh->items.size());
      for (std::size_t k = 0; k < keep; ++k) {
        if ((k & 0xFFFF) == 0xFFFF) Poll();  // a ReDim Preserve in a loop copies for long
        fresh->items[k] = old.items[k];
      }
    }
    *v = Variant::Array(std::move(fresh));
  }
}

// An error in the head of a loop or Select Case under On Error Resume Next: VBScript goes on
// with the next statement, the first one of the body.
bool Interpreter::HeadFailed(const ScriptException& e) {
  if (!e.catchable || !frame_->resume_next) return false;
  Resumed(e);
  return true;
}

Interpreter::Flow Interpreter::ExecSelect(SelectStmt& s) {
  Variant subject;
  try {
    subject = EvalExpr(*s.subject);
    if (subject.IsObject()) subject = DefaultValue(subject);
  } catch (const ScriptException& e) {
    if (!HeadFailed(e)) throw;
    return s.cases.empty() ? Flow::Normal : ExecBlock(s.cases.front().body);
  }
  for (auto& clause : s.cases) {
    bool match = clause.tests.empty();
    for (auto& t : clause.tests) {
      Variant a = EvalExpr(*t.a);
      const bool lit_a = t.a->kind == ExprKind::Literal;
      if (t.kind == CaseTest::Value) {
        match = Compare(subject, a, false, lit_a) == 0;
      } else if (t.kind == CaseTest::Range) {
        Variant b = EvalExpr(*t.b);
        int lo = Compare(subject, a, false, lit_a);
        int hi = Compare(subject, b, false, t.b->kind == ExprKind::Literal);
        match = lo != 2 && hi != 2 && lo >= 0 && hi <= 0;
      } else {
        int c = Compare(subject, a, false, lit_a);
        switch (t.op) {
          case BinaryOp::Eq: match = c == 0; break;
          case BinaryOp::Ne: match = c != 0 && c != 2; break;
          case BinaryOp::Lt: match = c == -1; break;
          case BinaryOp::Gt: match = c == 1; break;
          case BinaryOp::Le: match = c == -1 || c == 0; break;
          default: match = c == 1 || c == 0; break;
        }
      }
      if (match) break;
    }
    if (match) return ExecBlock(clause.body);
  }
  return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecFor(ForStmt& s) {
  auto& var_name = static_cast<NameExpr&>(*s.variable);
  Variant from, to, step;
  try {
    from = ToNumeric(EvalExpr(*s.from));
    to = ToNumeric(EvalExpr(*s.to));
    step = s.step ? ToNumeric(EvalExpr(*s.step)) : Variant::Integer(1);
    if (from.IsNull() || to.IsNull() || step.IsNull()) ThrowRuntime(94);
  } catch (const ScriptException& e) {
    if (!HeadFailed(e)) throw;
    Flow f = ExecBlock(s.body);
    return f == Flow::ExitFor ? Flow::Normal : f;
  }
  auto integral = [](const Variant& v) { return v.type == VT::Integer || v.type == VT::Long || v.type == VT::Byte; };
  Variant* var = Slot(var_name);
  if (!var) ThrowRuntime(1040, var_name.name);
  if (integral(from) && integral(to) && integral(step)) {
    const std::int64_t end = to.i, inc = step.i;
    const VT type = std::max(from.type, std::max(to.type, step.type)) == VT::Long || from.type == VT::Long ? VT::Long : from.type;
    *var = Variant::Int(from.i);
    const bool local = var_name.binding == Binding::Local;
    const bool is_long = type == VT::Long;
    while (true) {
      var = local ? frame_->vars[var_name.slot] : VariableSlot(var_name);
      // A counter the body made fractional (or a text) compares and steps as a Double would.
      if (!integral(*var)) {
        const double cur = ToDouble(*var);
        if (inc >= 0 ? cur > static_cast<double>(end) : cur < static_cast<double>(end)) break;
      } else if (inc >= 0 ? var->i > end : var->i < end) {
        break;
      }
      if (Flow f = ExecLoopBody(s.body); f != Flow::Normal) {
        if (f == Flow::ExitFor) break;
        return f;  // Exit Do or Exit of the procedure
      }
      Tick();
      var = local ? frame_->vars[var_name.slot] : VariableSlot(var_name);
      if (!integral(*var)) {
        *var = Arithmetic(BinaryOp::Add, *var, step);
        continue;
      }
      std::int64_t now = var->i + inc;
      if (!var->HasHeap() && now == static_cast<std::int32_t>(now)) {
        // The counter as Variant::Int makes it, written in place.
        var->type = is_long || now != static_cast<std::int16_t>(now) ? VT::Long : VT::Integer;
        var->i = now;
        continue;
      }
      Variant next = Variant::Int(now);
      if (type == VT::Long && next.type == VT::Integer) next.type = VT::Long;
      *var = std::move(next);
    }
    return Flow::Normal;
  }
  const double end = ToDouble(to), inc = ToDouble(step);
  *var = from;
  while (true) {
    var = Slot(var_name);
    double cur = ToDouble(*var);
    if (inc >= 0 ? cur > end : cur < end) break;
    Flow f = ExecBlock(s.body);
    if (f == Flow::ExitFor) break;
    if (f == Flow::ExitProc || f == Flow::ExitDo) return f;
    Tick();
    var = Slot(var_name);
    *var = Arithmetic(BinaryOp::Add, *var, step);
  }
  return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecForEach(ForEachStmt& s) {
  std::vector<Variant> elements;
  try {
    Variant collection = EvalExpr(*s.collection);
    if (collection.IsArray()) {
      elements = collection.arr->items;
    } else if (collection.IsObject() && collection.obj) {
      elements = collection.obj->Elements(*this);
    } else {
      ThrowRuntime(451);
    }
  } catch (const ScriptException& e) {
    if (!HeadFailed(e)) throw;
    Flow f = ExecBlock(s.body);
    return f == Flow::ExitFor ? Flow::Normal : f;
  }
  for (auto& e : elements) {
    Assign(*s.variable, std::move(e), e.IsObject());
    Flow f = ExecBlock(s.body);
    if (f == Flow::ExitFor) break;
    if (f == Flow::ExitProc || f == Flow::ExitDo) return f;
    Tick();
  }
  return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecDo(DoStmt& s) {
  // Whether the loop ends. A failing condition under Resume Next goes on with the next
  // statement: into the body at the head of the loop, after the loop at its foot.
  auto ends = [&] {
    try {
      return Truthy(*s.condition) == s.until;
    } catch (const ScriptException& e) {
      if (!HeadFailed(e)) throw;
      return !s.test_first;
    }
  };
  while (true) {
    if (s.condition && s.test_first && ends()) break;
    Flow f = ExecBlock(s.body);
    if (f == Flow::ExitDo) break;
    if (f == Flow::ExitProc || f == Flow::ExitFor) return f;
    Tick();
    if (s.condition && !s.test_first && ends()) break;
  }
  return Flow::Normal;
}

Variant* Interpreter::Slot(NameExpr& n) {
  switch (n.binding) {
    case Binding::Local: return frame_->vars[n.slot];
    case Binding::ExecuteLocal: return &frame_->added->values[static_cast<std::size_t>(n.slot)];
    case Binding::Field: {
      auto* inst = dynamic_cast<ClassInstance*>(frame_->me->get());
      if (!inst || static_cast<std::size_t>(n.slot) >= inst->fields_.size()) ThrowRuntime(424, n.name);
      return &inst->fields_[static_cast<std::size_t>(n.slot)];
    }
    case Binding::Global: {
      GlobalSlot& g = GlobalOf(n);
      switch (g.kind) {
        case GlobalSlot::Kind::Variable: return &g.value;
        case GlobalSlot::Kind::Undeclared:
          if (n.fallback >= 0 && frame_->vars) return frame_->vars[n.fallback];
          if (n.explicit_vars) ThrowRuntime(500, n.name);
          g.kind = GlobalSlot::Kind::Variable;
          return &g.value;
        default: return nullptr;
      }
    }
    default: return nullptr;
  }
}

// The value of a variable or literal where it is kept, or null when `e` must be evaluated.
const Variant* Interpreter::PeekPtr(Expr& e) {
  if (e.kind == ExprKind::Name) {
    auto& n = static_cast<NameExpr&>(e);
    if (n.binding == Binding::Local) return frame_->vars[n.slot];
    if (n.binding == Binding::Field || n.binding == Binding::ExecuteLocal) return Slot(n);
    if (n.binding == Binding::Global) {
      const GlobalSlot& g = GlobalOf(n);
      if (g.kind == GlobalSlot::Kind::Variable || g.kind == GlobalSlot::Kind::Undeclared) return Slot(n);
    }
  } else if (e.kind == ExprKind::Literal) {
    return &static_cast<LiteralExpr&>(e).value;
  } else if (e.kind == ExprKind::Paren) {
    // Parentheses matter only to ByRef arguments, never to a value read here.
    return PeekPtr(*static_cast<ParenExpr&>(e).inner);
  }
  return nullptr;
}

const Variant* Interpreter::EvalPtr(Expr& e, Variant& temp) {
  if (const Variant* v = PeekPtr(e)) return v;
  temp = EvalExpr(e);
  return &temp;
}

// A script procedure called here before with arguments that go straight into its slots
// (what InvokeName would call, without its dispatch), or null.
[[gnu::always_inline]] inline ProcDef* Interpreter::KnownCallee(const NameExpr& n, const std::shared_ptr<Object>*& me) {
  if (n.direct_args != 1) return nullptr;
  if (n.binding == Binding::Local) {
    if (n.slot != frame_->proc->result_slot) return nullptr;
    me = frame_->me;
    return frame_->proc;
  }
  if (n.binding != Binding::Global) return nullptr;
  GlobalSlot& g = GlobalOf(n);
  if (g.kind != GlobalSlot::Kind::Procedure) return nullptr;
  me = &kNoObject;
  return g.proc;
}

// EvalExpr for an operand or a value assigned: a call of a known procedure and arithmetic
// that is not integer code go to their work without EvalExpr's dispatch.
[[gnu::always_inline]] inline Variant Interpreter::EvalOperand(Expr& e) {
  if (e.kind == ExprKind::Call) {
    auto& c = static_cast<CallExpr&>(e);
    if (c.target->kind == ExprKind::Name) {
      const std::shared_ptr<Object>* me;
      if (ProcDef* proc = KnownCallee(static_cast<NameExpr&>(*c.target), me)) return CallDirect(*proc, *me, &c.args);
    }
  } else if (e.kind == ExprKind::Binary) {
    auto& b = static_cast<BinaryExpr&>(e);
    if (b.integral_shape == 2 && (b.op < BinaryOp::Eq || b.op > BinaryOp::Ge)) {
      if (b.op != BinaryOp::Add && b.op != BinaryOp::Sub && b.op != BinaryOp::Mul) return EvalBinary(b);
      Spill out;
      const IntResult r = EvalIntOperands(b, out);
      if (r.rank != 0) return r.rank == 1 ? Variant::Integer(r.value) : Variant::Long(r.value);
      return std::move(*out);
    }
  }
  return EvalExpr(e);
}

Variant Interpreter::EvalExpr(Expr& e) {
  switch (e.kind) {
    case ExprKind::Literal: return static_cast<LiteralExpr&>(e).value;
    case ExprKind::Name: {
      auto& n = static_cast<NameExpr&>(e);
      if (n.binding == Binding::Local) return *frame_->vars[n.slot];
      if (n.binding == Binding::Field || n.binding == Binding::ExecuteLocal)
        return *Slot(n);
      return InvokeName(n, nullptr);
    }
    case ExprKind::Call: {
      auto& c = static_cast<CallExpr&>(e);
      if (c.target->kind != ExprKind::Name) return Invoke(*c.target, &c.args);
      auto& n = static_cast<NameExpr&>(*c.target);
      const std::shared_ptr<Object>* me;
      if (ProcDef* proc = KnownCallee(n, me)) return CallDirect(*proc, *me, &c.args);
      return InvokeName(n, &c.args);
    }
    case ExprKind::Member:
      if (const FieldRef f = FieldOf(static_cast<MemberExpr&>(e)); f.field) return *f.field;
      return Invoke(e, nullptr);
    case ExprKind::Unary: {
      auto& u = static_cast<UnaryExpr&>(e);
      Variant v = EvalExpr(*u.operand);
      if (v.IsObject()) v = DefaultValue(v);
      return u.is_not ? Not(v) : Negate(v);
    }
    case ExprKind::Binary: {
      auto& b = static_cast<BinaryExpr&>(e);
      std::int64_t value;
      int rank;
      if (!b.int_code.empty()) {
        const IntResult r = RunInt(b);
        if (r.rank != 0) return r.rank == 1 ? Variant::Integer(r.value) : Variant::Long(r.value);
      } else if (b.op <= BinaryOp::Sub && b.integral_shape != 2 && EvalIntegral(e, value, rank)) {
        Variant v;
        v.type = rank == 1 ? VT::Integer : VT::Long;
        v.i = value;
        return v;
      }
      if (b.op >= BinaryOp::Eq && b.op <= BinaryOp::Ge) {
        std::int64_t x, y;
        if (EvalIntegral(*b.left, x, rank) && EvalIntegral(*b.right, y, rank))
          return Variant::Bool(CompareIntegral(b.op, x, y));
      }
      return EvalBinary(b);
    }
    case ExprKind::New: return NewObject(static_cast<NewExpr&>(e));
    case ExprKind::Me: return Variant::Obj(*frame_->me);
    case ExprKind::Paren: return EvalExpr(*static_cast<ParenExpr&>(e).inner);
  }
  return Variant();
}

// An operand of integer arithmetic as Integer or Long bits, with no Variant made when it is
// a call of a known procedure, integer code, a literal or a local; any other value goes to
// `spill` (rank 0).
[[gnu::always_inline]] inline Interpreter::IntResult Interpreter::OperandInt(Expr& e, Spill& spill) {
  if (e.kind == ExprKind::Call) {
    auto& c = static_cast<CallExpr&>(e);
    const std::shared_ptr<Object>* me;
    if (c.target->kind == ExprKind::Name) {
      if (ProcDef* proc = KnownCallee(static_cast<NameExpr&>(*c.target), me)) return CallDirectInt(*proc, *me, &c.args, spill);
    }
  }
  return OtherOperandInt(e, spill);
}

// OperandInt for an operand that is not a call of a known procedure.
Interpreter::IntResult Interpreter::OtherOperandInt(Expr& e, Spill& spill) {
  const Variant* v = nullptr;
  switch (e.kind) {
    case ExprKind::Binary: {
      auto& b = static_cast<BinaryExpr&>(e);
      if (b.int_code.empty()) break;
      if (const IntResult r = RunInt(b); r.rank != 0) return r;
      break;
    }
    case ExprKind::Literal: v = &static_cast<LiteralExpr&>(e).value; break;
    case ExprKind::Name:
      if (static_cast<NameExpr&>(e).binding == Binding::Local) v = frame_->vars[static_cast<NameExpr&>(e).slot];
      break;
    default: break;
  }
  if (v && v->type == VT::Integer) return {v->i, 1};
  if (v && v->type == VT::Long) return {v->i, 2};
  Variant& value = *spill;
  value = EvalOperand(e);
  if (value.type == VT::Integer) return {value.i, 1};
  if (value.type == VT::Long) return {value.i, 2};
  return {0, 0};
}

// +, - or * of two operands (Fib(n - 1) + Fib(n - 2)): an Integer or Long result as bits,
// with no Variant made for either operand or the result; any other result is left in `out`
// (rank 0).
Interpreter::IntResult Interpreter::EvalIntOperands(BinaryExpr& b, Spill& out) {
  CheckNativeStack();
  const IntResult x = OperandInt(*b.left, out);
  if (x.rank == 0) {
    const Variant l = std::move(*out);
    Variant rt;
    const Variant* r = EvalPtr(*b.right, rt);
    *out = Combine(b, l, *r);
    return {0, 0};
  }
  const IntResult y = OperandInt(*b.right, out);
  const auto as_variant = [](IntResult v) { return v.rank == 1 ? Variant::Integer(v.value) : Variant::Long(v.value); };
  if (y.rank == 0) {
    *out = Combine(b, as_variant(x), *out);
    return {0, 0};
  }
  const std::int64_t value = b.op == BinaryOp::Add ? x.value + y.value : b.op == BinaryOp::Sub ? x.value - y.value : x.value * y.value;
  if (value == static_cast<std::int32_t>(value)) {
    const bool is_long = x.rank == 2 || y.rank == 2 || value != static_cast<std::int16_t>(value);
    return {value, is_long ? 2 : 1};
  }
  *out = Arithmetic(b.op, as_variant(x), as_variant(y));
  return {0, 0};
}

// +, - or * of values already evaluated, as EvalBinary computes it.
Variant Interpreter::Combine(BinaryExpr& b, const Variant& l, const Variant& r) {
  if (l.IsObject() || r.IsObject()) {
    const Variant lv = l.IsObject() ? DefaultValue(l) : l;
    const Variant rv = r.IsObject() ? DefaultValue(r) : r;
    return Combine(b, lv, rv);
  }
  Variant result = Arithmetic(b.op, l, r);
  if (result.IsString()) CheckString(result.s.size());
  return result;
}

Variant Interpreter::EvalBinary(BinaryExpr& b) {
  CheckNativeStack();
  // An operand that must be evaluated is made where it is kept, not moved there.
  // Only names, literals and parentheses can be peeked at; a call is not asked.
  auto peek = [this](Expr& e) -> const Variant* {
    return e.kind == ExprKind::Name || e.kind == ExprKind::Literal || e.kind == ExprKind::Paren ? PeekPtr(e) : nullptr;
  };
  const Variant* l = peek(*b.left);
  Variant lt = l ? Variant() : EvalOperand(*b.left);
  if (!l) {
    l = &lt;
  } else if (b.right->kind != ExprKind::Literal && b.right->kind != ExprKind::Name) {
    lt = *l;  // the right side may run code that changes the left variable
    l = &lt;
  }
  const Variant* r = peek(*b.right);
  Variant rt = r ? Variant() : EvalOperand(*b.right);
  if (!r) r = &rt;
  if (b.op == BinaryOp::Is) {
    if (!l->IsObject() || !r->IsObject()) ThrowRuntime(424);
    return Variant::Bool(l->obj == r->obj);
  }
  if (l->IsObject()) {
    lt = DefaultValue(*l);
    l = &lt;
  }
  if (r->IsObject()) {
    rt = DefaultValue(*r);
    r = &rt;
  }
  switch (b.op) {
    case BinaryOp::Concat: {
      if (l->IsNull() && r->IsNull()) return Variant::Null();
      std::string text = l->IsNull() ? std::string() : (l->IsString() ? l->s : ToString(*l));
      if (!r->IsNull()) {
        if (r->IsString()) {
          CheckString(text.size() + r->s.size());
          text += r->s;
        } else {
          text += ToString(*r);
        }
      }
      CheckString(text.size());
      if (text.size() > kLongText) Poll();  // each such step copies the whole text
      return Variant::Str(std::move(text));
    }
    case BinaryOp::Eq: case BinaryOp::Ne: case BinaryOp::Lt: case BinaryOp::Gt: case BinaryOp::Le: case BinaryOp::Ge: {
      int c = Compare(*l, *r, b.left->kind == ExprKind::Literal, b.right->kind == ExprKind::Literal);
      if (c == 2) return Variant::Null();
      switch (b.op) {
        case BinaryOp::Eq: return Variant::Bool(c == 0);
        case BinaryOp::Ne: return Variant::Bool(c != 0);
        case BinaryOp::Lt: return Variant::Bool(c < 0);
        case BinaryOp::Gt: return Variant::Bool(c > 0);
        case BinaryOp::Le: return Variant::Bool(c <= 0);
        default: return Variant::Bool(c >= 0);
      }
    }
    case BinaryOp::And: case BinaryOp::Or: case BinaryOp::Xor: case BinaryOp::Eqv: case BinaryOp::Imp:
      return Logical(b.op, *l, *r);
    case BinaryOp::Add: case BinaryOp::Sub: case BinaryOp::Mul:
      // Integers and Longs whose result stays a Long, as Arithmetic computes them.
      if ((l->type == VT::Integer || l->type == VT::Long) && (r->type == VT::Integer || r->type == VT::Long)) {
        const std::int64_t x = l->i, y = r->i;
        const std::int64_t value = b.op == BinaryOp::Add ? x + y : b.op == BinaryOp::Sub ? x - y : x * y;
        if (value == static_cast<std::int32_t>(value)) {
          const bool is_long = l->type == VT::Long || r->type == VT::Long || value != static_cast<std::int16_t>(value);
          return is_long ? Variant::Long(value) : Variant::Integer(value);
        }
      }
      [[fallthrough]];
    default: {
      Variant result = Arithmetic(b.op, *l, *r);
      if (result.IsString()) CheckString(result.s.size());
      return result;
    }
  }
}

std::vector<std::int64_t> Interpreter::Indexes(std::vector<ExprPtr>& args) {
  std::vector<std::int64_t> index;
  index.reserve(args.size());
  for (auto& a : args) {
    Variant temp;
    index.push_back(ToLong(*EvalPtr(*a, temp)));
  }
  return index;
}

// Arguments for a procedure or object member: variables by reference, the rest as values.
// An array element passed to a procedure is a variable too: it travels as a copy that is
// written back into the array when the call returns, so nothing points into storage the
// callee might ReDim away.
struct Interpreter::ArgPack {
  struct ElementRef {
    std::size_t arg;
    NameExpr* array;
    std::vector<std::int64_t> index;
    std::weak_ptr<ArrayValue> locked;
  };
  Slots slots;  // the values of arguments that are not variables, and what each argument points at
  Variant* temps;
  Variant** ptrs;
  std::vector<ElementRef> elements;
  ArgPack(Interpreter& i, std::size_t n) : slots(i, n), temps(slots.values), ptrs(slots.refs) {
    for (std::size_t k = 0; k < n; ++k) ptrs[k] = &temps[k];
  }
  ArgPack(const ArgPack&) = delete;
  ArgPack& operator=(const ArgPack&) = delete;
  ~ArgPack() { Unlock(); }
  std::span<Variant* const> Ptrs() const { return {ptrs, slots.n}; }
  void Unlock() {
    for (auto& e : elements)
      if (auto locked = e.locked.lock()) --locked->locks.n;
    for (auto& e : elements) e.locked.reset();
  }
};

Variant Interpreter::Index(const Variant& v, std::vector<ExprPtr>* args, const std::string& name) {
  if (v.IsArray()) {
    if (!args || args->empty()) return v;
    std::vector<std::int64_t> index = Indexes(*args);
    return v.arr->items[v.arr->Offset(index)];
  }
  if (!args) return v;
  if (v.IsObject()) {
    if (!v.obj) ThrowRuntime(91);
    std::shared_ptr<Object> keep = v.obj;
    ArgPack pack(*this, args->size());
    for (std::size_t k = 0; k < args->size(); ++k) pack.temps[k] = EvalExpr(*(*args)[k]);
    return keep->Get(*this, "", pack.Ptrs());
  }
  ThrowRuntime(13, name);
}

bool Interpreter::IsVariable(const NameExpr& n) const {
  if (n.binding == Binding::Local || n.binding == Binding::Field || n.binding == Binding::ExecuteLocal) return true;
  if (n.binding != Binding::Global) return false;
  const GlobalSlot::Kind kind = globals_.slots[static_cast<std::size_t>(n.slot)].kind;
  return kind == GlobalSlot::Kind::Variable || kind == GlobalSlot::Kind::Undeclared;
}

// The array variable `a` of an argument written a(i), or null when the argument is not an
// element of an array held in a variable.
NameExpr* Interpreter::ArrayOfElement(Expr& a) {
  if (a.kind != ExprKind::Call) return nullptr;
  auto& c = static_cast<CallExpr&>(a);
  if (c.args.empty() || c.target->kind != ExprKind::Name) return nullptr;
  auto& n = static_cast<NameExpr&>(*c.target);
  // The function's own name with arguments is a recursive call, not its result's element.
  if (n.binding == Binding::Local && frame_->proc && n.slot == frame_->proc->result_slot) return nullptr;
  const Variant* v = nullptr;
  if (n.binding == Binding::Global) {
    // Looked at without Slot, which would declare an unknown name or raise for it.
    const GlobalSlot& g = globals_.slots[static_cast<std::size_t>(n.slot)];
    if (g.kind == GlobalSlot::Kind::Variable) v = &g.value;
    else if (g.kind == GlobalSlot::Kind::Undeclared && n.fallback >= 0 && frame_->vars) v = frame_->vars[n.fallback];
  } else if (IsVariable(n)) {
    v = Slot(n);
  }
  return v && v->IsArray() ? &n : nullptr;
}

void Interpreter::PackArgs(std::vector<ExprPtr>* args, ArgPack& pack) {
  if (!args) return;
  for (std::size_t k = 0; k < args->size(); ++k) {
    Expr& a = *(*args)[k];
    if (a.kind == ExprKind::Name && IsVariable(static_cast<NameExpr&>(a))) {
      if (Variant* ref = Slot(static_cast<NameExpr&>(a))) {
        pack.ptrs[k] = ref;
        continue;
      }
    }
    if (NameExpr* array = ArrayOfElement(a)) {
      std::vector<std::int64_t> index = Indexes(static_cast<CallExpr&>(a).args);
      Variant* v = Slot(*array);
      if (!v->IsArray()) ThrowRuntime(13, array->name);
      ArrayValue& arr = MutableArray(*v);
      pack.temps[k] = arr.items[arr.Offset(index)];
      ++arr.locks.n;
      pack.elements.push_back({k, array, std::move(index), v->arr});
      continue;
    }
    pack.temps[k] = EvalExpr(a);
    pack.temps[k].HoldInVariable();  // the callee's parameter
  }
}

void Interpreter::WriteBack(ArgPack& pack) noexcept {
  pack.Unlock();
  for (auto& e : pack.elements) {
    try {
      Variant* v = Slot(*e.array);
      if (!v || !v->IsArray()) continue;
      ArrayValue& arr = MutableArray(*v);
      arr.items[arr.Offset(e.index)] = std::move(pack.temps[e.arg]);
    } catch (...) {
      // The callee resized or replaced the array: the element it was given is gone.
    }
  }
}

template <typename F>
Variant Interpreter::CallPacked(ArgPack& pack, F&& call) {
  if (pack.elements.empty()) return call();
  Variant result;
  try {
    result = call();
  } catch (...) {
    WriteBack(pack);
    throw;
  }
  WriteBack(pack);
  return result;
}

Variant Interpreter::InvokeName(NameExpr& n, std::vector<ExprPtr>* args) {
  switch (n.binding) {
    case Binding::Local:
      if (args && frame_->proc && n.slot == frame_->proc->result_slot) {
        // The function's own name with arguments is a recursive call.
        if (DirectArgs(n, args)) return CallDirect(*frame_->proc, *frame_->me, args);
        ArgPack pack(*this, args ? args->size() : 0);
        PackArgs(args, pack);
        return CallPacked(pack, [&] { return CallProc(*frame_->proc, *frame_->me, pack.Ptrs()); });
      }
      [[fallthrough]];
    case Binding::Field:
    case Binding::ExecuteLocal: return Index(*Slot(n), args, n.name);
    case Binding::Global: {
      GlobalSlot& g = GlobalOf(n);
      if (g.kind == GlobalSlot::Kind::Procedure) {
        if (DirectArgs(n, args)) return CallDirect(*g.proc, nullptr, args);
        ArgPack pack(*this, args ? args->size() : 0);
        PackArgs(args, pack);
        ProcDef* proc = g.proc;
        return CallPacked(pack, [&] { return CallProc(*proc, nullptr, pack.Ptrs()); });
      }
      if (g.kind == GlobalSlot::Kind::Class) ThrowRuntime(13, n.name);
      if (g.kind == GlobalSlot::Kind::Constant) return Index(g.value, args, n.name);
      if (g.kind == GlobalSlot::Kind::Undeclared && args && n.fallback < 0) {
        // An unknown name called with arguments, as VBScript reports it.
        ThrowRuntime(13, n.name);
      }
      return Index(*Slot(n), args, n.name);
    }
    case Binding::MeMember: {
      ArgPack pack(*this, args ? args->size() : 0);
      PackArgs(args, pack);
      std::shared_ptr<Object> me = *frame_->me;
      if (!me) ThrowRuntime(424, n.name);
      return CallPacked(pack, [&] { return me->Get(*this, n.upper, pack.Ptrs()); });
    }
    case Binding::Builtin: return CallBuiltin(n.slot, args, n.name);
    default: ThrowRuntime(500, n.name);
  }
}

Variant Interpreter::CallBuiltin(int id, std::vector<ExprPtr>* args, const std::string& name) {
  const Builtin& b = BuiltinTable()[static_cast<std::size_t>(id)];
  const int count = args ? static_cast<int>(args->size()) : 0;
  if (count < b.min_args || count > b.max_args) ThrowRuntime(450, name);
  const auto n = static_cast<std::size_t>(count);
  Variant result;
  if (n <= 6) {
    std::array<Variant, 6> temps;
    std::array<const Variant*, 6> ptrs{};
    for (std::size_t k = 0; k < n; ++k) {
      ptrs[k] = EvalPtr(*(*args)[k], temps[k]);
      if (b.values && ptrs[k]->IsObject()) {
        temps[k] = DefaultValue(*ptrs[k]);
        ptrs[k] = &temps[k];
      }
    }
    result = b.fn(*this, std::span<const Variant* const>(ptrs.data(), n));
  } else {
    std::vector<Variant> temps(n);
    std::vector<const Variant*> ptrs(n);
    for (std::size_t k = 0; k < n; ++k) ptrs[k] = EvalPtr(*(*args)[k], temps[k]);
    result = b.fn(*this, ptrs);
  }
  if (result.IsString()) CheckString(result.s.size());
  return result;
}

std::shared_ptr<Object> Interpreter::ObjectOf(Expr* object, const std::string& member) {
  if (!object) {
    if (!frame_->with) ThrowRuntime(505);
    const Variant& w = *frame_->with;
    if (!w.IsObject() || !w.obj) ThrowRuntime(424);
    return w.obj;
  }
  if (const Variant* held = VariableValue(*object); held && held->IsObject() && held->obj) return held->obj;
  Variant v = EvalExpr(*object);
  if (!v.IsObject() || !v.obj) {
    if (object->kind == ExprKind::Name) ThrowRuntime(424, static_cast<NameExpr&>(*object).name);
    ThrowRuntime(424, member);
  }
  return v.obj;
}

Variant Interpreter::Invoke(Expr& callee, std::vector<ExprPtr>* args) {
  switch (callee.kind) {
    case ExprKind::Name: return InvokeName(static_cast<NameExpr&>(callee), args);
    case ExprKind::Member: {
      auto& m = static_cast<MemberExpr&>(callee);
      std::shared_ptr<Object> obj = ObjectOf(m.object.get(), m.name);
      ArgPack pack(*this, args ? args->size() : 0);
      PackArgs(args, pack);
      return CallPacked(pack, [&] { return obj->Get(*this, m.upper, pack.Ptrs()); });
    }
    default: {
      Variant v = EvalExpr(callee);
      return Index(v, args, "");
    }
  }
}

Variant Interpreter::DefaultValue(const Variant& v) {
  if (!v.IsObject()) return v;
  if (!v.obj) ThrowRuntime(91);
  std::shared_ptr<Object> keep = v.obj;
  return keep->Get(*this, "", {});
}

void Interpreter::Assign(Expr& target, Variant value, bool is_set) {
  if (is_set) {
    if (!value.IsObject()) ThrowRuntime(424);
  } else if (value.IsObject()) {
    value = DefaultValue(value);
  }
  std::vector<ExprPtr>* args = nullptr;
  Expr* base = &target;
  if (target.kind == ExprKind::Call) {
    auto& c = static_cast<CallExpr&>(target);
    args = &c.args;
    base = c.target.get();
  }
  if (base->kind == ExprKind::Literal) ThrowRuntime(501, static_cast<LiteralExpr&>(*base).const_name);
  if (base->kind == ExprKind::Name) {
    auto& n = static_cast<NameExpr&>(*base);
    if (n.binding == Binding::MeMember) {
      ArgPack pack(*this, args ? args->size() : 0);
      for (std::size_t k = 0; k < pack.slots.n; ++k) pack.temps[k] = EvalExpr(*(*args)[k]);
      std::shared_ptr<Object> me = *frame_->me;
      if (!me) ThrowRuntime(424, n.name);
      me->Put(*this, n.upper, pack.Ptrs(), value, is_set);
      return;
    }
    Variant* slot = Slot(n);
    if (!slot) ThrowRuntime(501, n.name);
    if (!args) {
      if (slot->IsArray() && slot->arr->fixed) ThrowRuntime(501, n.name);
      if (slot->IsArray() && slot->arr->locks.n > 0) ThrowRuntime(10);
      if (n.binding == Binding::Field) static_cast<ClassInstance&>(**frame_->me).charge.Replace(*slot, value);
      if (value.IsArray() && value.arr->fixed) {
        // A copy of a fixed-size array is an ordinary dynamic array.
        value.arr = std::make_shared<ArrayValue>(*value.arr);
        value.arr->fixed = false;
      }
      if (n.binding != Binding::Field) value.HoldInVariable();  // a field is charged to its instance
      *slot = std::move(value);
      return;
    }
    if (slot->IsArray()) {
      std::vector<std::int64_t> index = Indexes(*args);
      slot = Slot(n);  // evaluating the indexes may have run code
      if (!slot->IsArray()) ThrowRuntime(13, n.name);
      ArrayValue& arr = MutableArray(*slot);
      Variant& item = arr.items[arr.Offset(index)];
      arr.charge.Replace(item, value);
      item = std::move(value);
      return;
    }
    if (slot->IsObject() && slot->obj) {
      std::shared_ptr<Object> obj = slot->obj;
      ArgPack pack(*this, args->size());
      for (std::size_t k = 0; k < pack.slots.n; ++k) pack.temps[k] = EvalExpr(*(*args)[k]);
      obj->Put(*this, "", pack.Ptrs(), value, is_set);
      return;
    }
    ThrowRuntime(13, n.name);
  }
  if (base->kind == ExprKind::Member) {
    auto& m = static_cast<MemberExpr&>(*base);
    if (const FieldRef f = args ? FieldRef{nullptr, nullptr} : FieldOf(m); f.field) {
      f.instance->charge.Replace(*f.field, value);
      *f.field = std::move(value);
      return;
    }
    std::shared_ptr<Object> obj = ObjectOf(m.object.get(), m.name);
    ArgPack pack(*this, args ? args->size() : 0);
    for (std::size_t k = 0; k < pack.slots.n; ++k) pack.temps[k] = EvalExpr(*(*args)[k]);
    obj->Put(*this, m.upper, pack.Ptrs(), value, is_set);
    return;
  }
  ThrowRuntime(450);
}

Variant Interpreter::NewObject(NewExpr& n) {
  // RegExp is the built-in one even when the script has a class of that name.
  if (n.slot < 0 || n.upper == "REGEXP") return Variant::Obj(MakeRegExp());
  GlobalSlot& g = globals_.slots[static_cast<std::size_t>(n.slot)];
  if (g.kind != GlobalSlot::Kind::Class) {
    if (n.upper == "REGEXP") return Variant::Obj(MakeRegExp());
    ThrowRuntime(506, n.class_name);
  }
  ClassDef& cls = *g.cls;
  auto inst = std::make_shared<ClassInstance>(*this, cls, alive_);
  for (std::size_t k = 0; k < cls.fields.size(); ++k) {
    if (!cls.fields[k].has_bounds) continue;
    std::vector<std::int64_t> counts;
    for (auto& b : cls.fields[k].bounds) counts.push_back(ToLong(EvalExpr(*b)) + 1);
    inst->fields_[k] = Variant::Array(MakeArray(counts, !counts.empty()));
  }
  Track(inst);
  Variant result = Variant::Obj(inst);
  if (cls.initialize) CallProc(*cls.initialize, inst, {});
  return result;
}

Variant Interpreter::CreateObject(std::string_view prog_id) {
  if (cp1252::EqualsNoCase(prog_id, "Scripting.Dictionary")) {
    std::shared_ptr<Object> dictionary = MakeDictionary();
    Track(dictionary);
    return Variant::Obj(std::move(dictionary));
  }
  if (cp1252::EqualsNoCase(prog_id, "VBScript.RegExp")) return Variant::Obj(MakeRegExp());
  ThrowRuntime(429, prog_id);
}

Variant Interpreter::GetRef(std::string_view name) {
  int slot = globals_.Find(cp1252::Upper(name));
  if (slot < 0 || globals_.slots[static_cast<std::size_t>(slot)].kind != GlobalSlot::Kind::Procedure)
    ThrowRuntime(5, name);
  return Variant::Obj(std::make_shared<ProcRef>(*this, *globals_.slots[static_cast<std::size_t>(slot)].proc, alive_));
}

double Interpreter::NextRandom(double arg) {
  // The linear congruential generator of the VB runtime, so seeded sequences repeat.
  if (arg == 0) return last_rnd_;
  if (arg < 0) {
    float f = static_cast<float>(arg);
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    rnd_seed_ = (bits + (bits >> 24)) & 0xFFFFFF;
  }
  rnd_seed_ = (rnd_seed_ * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFF;
  last_rnd_ = rnd_seed_ / 16777216.0;
  return last_rnd_;
}

void Interpreter::Randomize(double seed) {
  double d = seed;
  std::uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  std::uint32_t mixed = static_cast<std::uint32_t>(bits >> 32);
  mixed = ((mixed & 0xFFFF) ^ (mixed >> 16)) << 8;
  rnd_seed_ = (rnd_seed_ & 0xFF0000FFu) | (mixed & 0xFFFF00u);
  rnd_seed_ &= 0xFFFFFF;
}

}  // namespace gildex::vbscript
