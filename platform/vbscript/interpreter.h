#pragma once
// Runs resolved units: a tree-walking evaluator over the nodes of ast.h with a step
// budget, a call-depth limit and a string-size limit.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/vbscript/errors.h"
#include "platform/vbscript/resolver.h"
#include "platform/vbscript/runtime.h"

namespace gildex::vbscript {

// Work on texts longer than this looks at the time budget, as a step does.
inline constexpr std::size_t kLongText = 64 * 1024;
// Text given to Execute, ExecuteGlobal and Eval: its parsed code takes many times its size.
inline constexpr std::size_t kMaxExecuteText = 1024 * 1024;

struct Limits {
  std::int64_t max_steps = 50'000'000;       // statements and loop turns per call from the host
  int max_depth = 1000;                      // nested procedure calls
  std::size_t max_string = 16u * 1024 * 1024;  // bytes in one string
  std::int64_t max_memory = 256 * 1024 * 1024;  // bytes in arrays, dictionaries and objects together
  std::int64_t max_milliseconds = 10'000;      // wall-clock time per call from the host; 0: none
  // Asked a few times a second while a script runs (between steps and inside long built-ins);
  // true ends the script with kCancelledError.
  std::function<bool()> cancelled;
};

// What Err holds.
struct ErrState {
  int number = 0;
  std::string description;
  std::string source;
  std::string help_file;
  int help_context = 0;
  void Clear() { *this = ErrState(); }
  void Set(const ScriptError& e) {
    number = e.number;
    description = e.err_description.empty() ? e.description : e.err_description;
    source = e.source;
    help_file = e.help_file;
    help_context = e.help_context;
  }
};

class Interpreter;

// An instance of a script's Class.
class ClassInstance : public Object, public std::enable_shared_from_this<ClassInstance> {
 public:
  ClassInstance(Interpreter& in, ClassDef& cls, std::shared_ptr<bool> alive);
  std::string TypeName() const override { return name_; }
  Variant Get(Interpreter& in, const std::string& name, std::span<Variant* const> args) override;
  void Put(Interpreter& in, const std::string& name, std::span<Variant* const> args, const Variant& value,
           bool set) override;
  void LastRelease(const std::shared_ptr<Object>& self) override;
  void ClearReferences() override;
  ClassInstance* AsInstance() override { return this; }
  // Whether `in` may use it: its interpreter, not reset since it was made.
  bool ReachableFrom(const Interpreter& in) const { return *alive_ && &in == &in_; }

  ClassDef& cls_;
  MemoryCharge charge;  // before the fields, which it counts
  std::vector<Variant> fields_;
  bool terminated_ = false;

 private:
  std::string name_;
  Interpreter& in_;
  std::shared_ptr<bool> alive_;
};

class Interpreter {
 public:
  explicit Interpreter(const platform::Clock& clock);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  Limits limits;

  // The host's entry points; each has a fresh step budget.
  void AddCode(std::string_view source);
  Variant Eval(std::string_view expression);
  Variant Run(std::string_view procedure, std::span<const Variant> args);
  void ExecuteStatement(std::string_view source);
  void Reset();  // forget every global, procedure and class

  // For the library and the objects.
  ErrState& Err() { return err_; }
  const platform::Clock& Clock() const { return clock_; }
  void CheckString(std::size_t size) const;
  // The time budget and the host's cancel, for built-ins that work long without a step:
  // cheap enough to call every few kilobytes.
  void Poll();
  Variant CallProc(ProcDef& proc, const std::shared_ptr<Object>& me, std::span<Variant* const> args);
  Variant DefaultValue(const Variant& v);
  Variant CreateObject(std::string_view prog_id);
  // What the script's containers hold now.
  std::int64_t MemoryUsed() const { return meter_->used; }
  // GetRef: an object whose default member calls the script's Sub or Function `name`.
  Variant GetRef(std::string_view name);
  // Every object a script made, so a reset can break reference cycles among them.
  void Track(const std::shared_ptr<Object>& object);
  void QueueTerminate(std::shared_ptr<Object> instance);
  bool InsideOf(const Object* instance) const;
  void ExecuteText(std::string_view source, bool global);  // Execute, ExecuteGlobal
  Variant EvalText(std::string_view expression);           // Eval from a script
  double NextRandom(double arg);
  void Randomize(double seed);

  struct Frame;

 private:
  enum class Flow { Normal, ExitDo, ExitFor, ExitProc };
  struct Entry;
  struct Nesting;

  std::unique_ptr<Unit> Compile(std::string_view source, ResolveScope scope);
  ResolveScope ProcScope();  // Execute and Eval see the running procedure's locals
  void MakeAddedLocals();
  void RunUnit(Unit& unit, bool new_frame);
  Flow ExecBlock(Block& block, std::size_t first = 0);
  Flow ExecLoopBody(Block& body);
  bool AssignInPlace(Stmt& s);
  Flow Exec(Stmt& s);
  Block& Branch(IfStmt& s);
  Flow ExecAssign(AssignStmt& s);
  Flow StoreLocal(AssignStmt& s, Variant value);
  Flow AssignCombined(AssignStmt& st, BinaryExpr& b);
  Flow AssignGlobal(AssignStmt& s);
  Flow ExecFor(ForStmt& s);
  Flow ExecForEach(ForEachStmt& s);
  Flow ExecDo(DoStmt& s);
  Flow ExecSelect(SelectStmt& s);
  void ExecDim(std::vector<DimItem>& items, bool redim, bool preserve);
  void Tick();
  void ArmSteps();
  void StepChecks();
  void RunTerminations();

  Variant EvalExpr(Expr& e);
  ProcDef* KnownCallee(const NameExpr& n, const std::shared_ptr<Object>*& me);
  Variant EvalOperand(Expr& e);
  const Variant* PeekPtr(Expr& e);
  const Variant* EvalPtr(Expr& e, Variant& temp);
  Variant EvalBinary(BinaryExpr& b);
  // An Integer (rank 1) or Long (rank 2) result; rank 0 when it is not computed this way.
  struct IntResult {
    std::int64_t value;
    int rank;
  };
  // A Variant made only when first asked for: a value that is not an Integer or Long, which
  // integer arithmetic over calls seldom meets.
  class Spill {
   public:
    Spill() {}
    ~Spill() {
      if (made_) value_.~Variant();
    }
    Spill(const Spill&) = delete;
    Spill& operator=(const Spill&) = delete;
    Variant& operator*() {
      if (!made_) {
        new (&value_) Variant();
        made_ = true;
      }
      return value_;
    }

   private:
    union {
      Variant value_;
    };
    bool made_ = false;
  };
  IntResult EvalInt(Expr& e);
  IntResult EvalIntBinary(BinaryExpr& b);
  IntResult RunIntCode(const std::vector<BinaryExpr::IntOp>& code);
  IntResult RunInt(const BinaryExpr& b);
  bool EvalIntegral(Expr& e, std::int64_t& value, int& rank) {
    const IntResult r = EvalInt(e);
    value = r.value;
    rank = r.rank;
    return r.rank != 0;
  }
  Variant* Slot(NameExpr& n);
  [[gnu::always_inline]] GlobalSlot& GlobalOf(const NameExpr& n) {
    if (!n.global) n.global = &globals_.slots[static_cast<std::size_t>(n.slot)];
    return *n.global;
  }
  // Slot, with a global already a variable found at once (a For counter at script level).
  Variant* VariableSlot(NameExpr& n) {
    if (n.binding == Binding::Global) {
      GlobalSlot& g = GlobalOf(n);
      if (g.kind == GlobalSlot::Kind::Variable) return &g.value;
    }
    return Slot(n);
  }
  bool IntOperand(const Expr& e, std::int64_t& value) const;
  Variant Invoke(Expr& callee, std::vector<ExprPtr>* args);
  struct Slots;
  bool DirectArgs(NameExpr& callee, const std::vector<ExprPtr>* args) const;
  bool ArgsAreValues(const std::vector<ExprPtr>* args) const;
  Variant CallDirect(ProcDef& proc, const std::shared_ptr<Object>& me, std::vector<ExprPtr>* args);
  IntResult CallDirectInt(ProcDef& proc, const std::shared_ptr<Object>& me, std::vector<ExprPtr>* args,
                          Spill& spill);
  template <typename Take>
  auto CallDirectWith(ProcDef& proc, const std::shared_ptr<Object>& me, std::vector<ExprPtr>* args, Take&& take);
  template <typename Take>
  auto RunProc(ProcDef& proc, const std::shared_ptr<Object>& me, Slots& locals, Take&& take);
  IntResult OperandInt(Expr& e, Spill& spill);
  IntResult OtherOperandInt(Expr& e, Spill& spill);
  IntResult EvalIntOperands(BinaryExpr& b, Spill& out);
  Variant Combine(BinaryExpr& b, const Variant& l, const Variant& r);
  Variant InvokeName(NameExpr& n, std::vector<ExprPtr>* args);
  struct ArgPack;
  bool IsVariable(const NameExpr& n) const;
  NameExpr* ArrayOfElement(Expr& a);
  void PackArgs(std::vector<ExprPtr>* args, ArgPack& pack);
  void WriteBack(ArgPack& pack) noexcept;
  template <typename F>
  Variant CallPacked(ArgPack& pack, F&& call);
  Variant CallBuiltin(int id, std::vector<ExprPtr>* args, const std::string& name);
  Variant Index(const Variant& v, std::vector<ExprPtr>* args, const std::string& name);
  std::shared_ptr<Object> ObjectOf(Expr* object, const std::string& member);
  const Variant* VariableValue(Expr& e);
  struct FieldRef {
    ClassInstance* instance;
    Variant* field;
  };
  FieldRef FieldOf(MemberExpr& m);
  void Assign(Expr& target, Variant value, bool is_set);
  Variant NewObject(NewExpr& n);
  bool Truthy(Expr& e);
  bool TruthySlow(Expr& e);
  void Resumed(const ScriptException& e);
  bool HeadFailed(const ScriptException& e);  // an error passed over by On Error Resume Next
  std::vector<std::int64_t> Indexes(std::vector<ExprPtr>& args);
  void CheckNativeStack() const;
  [[noreturn]] void StepLimit() const;
  void PollSlow(std::chrono::steady_clock::time_point now);

  // Locals and arguments of the running calls, taken and given back in stack order. The
  // slots never move (ByRef arguments point at them), and once warm a call allocates nothing.
  template <typename T>
  class SlabStack {
   public:
    struct Mark {
      std::size_t chunk;
      T* top;
      T* end;
    };
    Mark Top() const { return {chunk_, top_, end_}; }
    T* Push(std::size_t n) {
      // Compared in bytes: the count of elements between the pointers would take a division.
      if (reinterpret_cast<std::uintptr_t>(end_) - reinterpret_cast<std::uintptr_t>(top_) >= n * sizeof(T)) {
        T* p = top_;
        top_ += n;
        return p;
      }
      return PushSlow(n);
    }
    void PopTo(const Mark& m) {
      chunk_ = m.chunk;
      top_ = m.top;
      end_ = m.end;
    }

   private:
    struct Chunk {
      std::unique_ptr<T[]> items;
      std::size_t size = 0;
    };
    [[gnu::noinline]] T* PushSlow(std::size_t n) {
      const std::size_t next = top_ ? chunk_ + 1 : 0;
      if (next == chunks_.size()) chunks_.emplace_back();
      Chunk& c = chunks_[next];
      if (c.size < n) {  // above the top, so unused
        const std::size_t size = std::max<std::size_t>(n, 1024);
        c.items = std::make_unique<T[]>(size);
        c.size = size;
      }
      chunk_ = next;
      top_ = c.items.get() + n;
      end_ = c.items.get() + c.size;
      return c.items.get();
    }
    std::vector<Chunk> chunks_;
    std::size_t chunk_ = 0;
    T* top_ = nullptr;  // null before the first chunk
    T* end_ = nullptr;
  };
  SlabStack<Variant> variants_;  // every slot not taken is Empty
  SlabStack<Variant*> pointers_;

  const platform::Clock& clock_;
  GlobalTable globals_;
  std::vector<std::unique_ptr<Unit>> units_;
  ErrState err_;
  Frame* frame_ = nullptr;
  std::int64_t steps_ = 0;
  // ExecBlock looks at the step limit and at waiting Class_Terminate calls only once steps_
  // passes this: the limit, or at once when a termination waits.
  std::int64_t step_check_ = 0;
  int depth_ = 0;
  int host_depth_ = 0;
  std::chrono::steady_clock::time_point deadline_{};
  std::chrono::steady_clock::time_point next_ask_{};  // when `limits.cancelled` is asked next
  const char* stack_limit_ = nullptr;
  std::shared_ptr<bool> alive_;
  std::shared_ptr<MemoryMeter> meter_ = std::make_shared<MemoryMeter>();
  MemoryCharge names_{meter_};  // the global variables, procedures and classes declared so far
  void ChargeNames(std::size_t globals_before);
  std::vector<std::shared_ptr<Object>> terminations_;
  std::vector<std::weak_ptr<Object>> created_;
  void BreakCycles();
  std::uint32_t rnd_seed_ = 0x50000;
  double last_rnd_ = 0;
};

}  // namespace gildex::vbscript
