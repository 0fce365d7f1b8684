#include "platform/vbscript/resolver.h"

#include <algorithm>

#include "platform/vbscript/errors.h"

namespace gildex::vbscript {
namespace {

[[noreturn]] void Redefined(const Node& at) {
  ScriptError e;
  e.number = 1041;
  e.description = std::string(ErrorDescription(1041));
  e.kind = ErrorKind::Compile;
  e.line = at.line;
  e.column = at.column;
  e.source = kCompileSource;
  throw ScriptException(std::move(e));
}

struct Declared {
  GlobalSlot::Kind kind;
  std::string name;
  Variant value;
  ProcDef* proc = nullptr;
  ClassDef* cls = nullptr;
};

class Resolver {
 public:
  Resolver(GlobalTable& globals, ResolveScope scope, bool explicit_vars)
      : globals_(globals), outer_(scope), explicit_(explicit_vars) {}

  void ResolveUnit(Unit& unit) {
    DeclareUnit(unit);
    for (auto& cls : unit.classes) ResolveClass(*cls);
    for (auto& proc : unit.procs) ResolveProc(*proc, nullptr);
    proc_ = outer_.proc;
    cls_ = outer_.cls;
    can_add_locals_ = false;
    ResolveBlock(unit.body);
    Commit();
  }

  void ResolveTopExpression(ExprPtr& e) {
    proc_ = outer_.proc;
    cls_ = outer_.cls;
    can_add_locals_ = false;
    ResolveExpr(e);
  }

 private:
  void Declare(const std::string& name, const Node& at, Declared d) {
    std::string upper = cp1252::Upper(name);
    if (!declared_.emplace(upper, std::move(d)).second) Redefined(at);
  }

  void DeclareUnit(Unit& unit) {
    for (auto& c : unit.consts) {
      Node at;
      at.line = c.line;
      at.column = c.column;
      Declare(c.name, at, {GlobalSlot::Kind::Constant, c.name, c.value});
    }
    for (std::size_t k = 0; k < unit.variables.size(); ++k) {
      Node at;
      at.line = unit.variable_positions[k].first;
      at.column = unit.variable_positions[k].second;
      if (InExecuteOfProc()) DeclareExecuteLocal(unit.variables[k], at);
      else Declare(unit.variables[k], at, {GlobalSlot::Kind::Variable, unit.variables[k], {}});
    }
    for (auto& p : unit.procs) {
      // A procedure written twice: the last one counts, as in VBScript.
      auto it = declared_.find(cp1252::Upper(p->name));
      if (it != declared_.end() && it->second.kind == GlobalSlot::Kind::Procedure) it->second.proc = p.get();
      else Declare(p->name, *p, {GlobalSlot::Kind::Procedure, p->name, {}, p.get()});
    }
    for (auto& c : unit.classes) Declare(c->name, *c, {GlobalSlot::Kind::Class, c->name, {}, nullptr, c.get()});
  }

  bool InExecuteOfProc() const { return outer_.proc && outer_.execute_locals; }

  // VBScript's Execute runs in the procedure's own scope, so its Dim makes a local there;
  // a name the procedure already uses undeclared becomes that very variable.
  void DeclareExecuteLocal(const std::string& name, const Node& at) {
    std::string upper = cp1252::Upper(name);
    ProcDef& p = *outer_.proc;
    if (p.locals.count(upper) || outer_.execute_locals->count(upper)) Redefined(at);
    if (p.implicit_locals.count(upper)) return;
    const int index = static_cast<int>(outer_.execute_locals->size());
    outer_.execute_locals->emplace(upper, index);
  }

  void Commit() {
    for (auto& [upper, d] : declared_) {
      GlobalSlot& slot = globals_.slots[globals_.Intern(d.name, upper)];
      if (d.kind == GlobalSlot::Kind::Variable && slot.kind == GlobalSlot::Kind::Variable) continue;
      slot.kind = d.kind;
      slot.value = d.value;
      slot.proc = d.proc;
      slot.cls = d.cls;
    }
  }

  void ResolveClass(ClassDef& cls) {
    std::map<std::string, int> names;
    for (std::size_t k = 0; k < cls.fields.size(); ++k) {
      std::string upper = cp1252::Upper(cls.fields[k].name);
      if (!cls.field_slots.emplace(upper, static_cast<int>(k)).second) Redefined(cls);
    }
    for (auto& p : cls.procs) {
      ProcDef* proc = p.get();
      auto add = [&](std::map<std::string, ProcDef*>& map) {
        if (!map.emplace(proc->upper, proc).second || cls.field_slots.count(proc->upper)) Redefined(*proc);
      };
      switch (proc->kind) {
        case ProcKind::PropertyGet: add(cls.getters); break;
        case ProcKind::PropertyLet: add(cls.letters); break;
        case ProcKind::PropertySet: add(cls.setters); break;
        default:
          add(cls.methods);
          if (cls.getters.count(proc->upper)) Redefined(*proc);
          break;
      }
      if (proc->is_default) {
        if (cls.default_member) Redefined(*proc);
        cls.default_member = proc;
      }
      if (proc->upper == "CLASS_INITIALIZE" && proc->kind == ProcKind::Sub) cls.initialize = proc;
      if (proc->upper == "CLASS_TERMINATE" && proc->kind == ProcKind::Sub) cls.terminate = proc;
    }
    for (auto& p : cls.procs) ResolveProc(*p, &cls);
    cls_ = &cls;
    proc_ = nullptr;
    for (auto& f : cls.fields)
      for (auto& b : f.bounds) ResolveExpr(b);
    cls_ = nullptr;
  }

  int AddLocal(ProcDef& p, const std::string& upper, const Node& at, bool redefine_error) {
    auto [it, added] = p.locals.emplace(upper, p.local_count);
    if (!added) {
      if (redefine_error) Redefined(at);
      return it->second;
    }
    return p.local_count++;
  }

  void CollectDims(ProcDef& p, const Block& block) {
    for (const auto& s : block) {
      switch (s->kind) {
        case StmtKind::Dim:
          for (const auto& item : static_cast<const DimStmt&>(*s).items) {
            const auto& n = static_cast<const NameExpr&>(*item.target);
            if (n.upper == p.upper && p.result_slot >= 0) Redefined(n);
            AddLocal(p, n.upper, n, true);
          }
          break;
        case StmtKind::ReDim:
          for (const auto& item : static_cast<const ReDimStmt&>(*s).items) {
            const auto& n = static_cast<const NameExpr&>(*item.target);
            // ReDim of a name no Dim declared makes a local, unless it is a field of the class.
            const bool field = cls_ && cls_->field_slots.count(n.upper);
            if (!p.locals.count(n.upper) && !field && !IsKnownGlobal(n.upper)) AddLocal(p, n.upper, n, false);
          }
          break;
        case StmtKind::If: {
          const auto& st = static_cast<const IfStmt&>(*s);
          for (const auto& b : st.blocks) CollectDims(p, b);
          CollectDims(p, st.else_block);
          break;
        }
        case StmtKind::Select:
          for (const auto& c : static_cast<const SelectStmt&>(*s).cases) CollectDims(p, c.body);
          break;
        case StmtKind::For: CollectDims(p, static_cast<const ForStmt&>(*s).body); break;
        case StmtKind::ForEach: CollectDims(p, static_cast<const ForEachStmt&>(*s).body); break;
        case StmtKind::Do: CollectDims(p, static_cast<const DoStmt&>(*s).body); break;
        case StmtKind::With: CollectDims(p, static_cast<const WithStmt&>(*s).body); break;
        default: break;
      }
    }
  }

  bool IsKnownGlobal(const std::string& upper) const {
    if (declared_.count(upper)) return true;
    int g = globals_.Find(upper);
    return g >= 0 && globals_.slots[g].kind != GlobalSlot::Kind::Undeclared;
  }

  void ResolveProc(ProcDef& p, ClassDef* cls) {
    proc_ = &p;
    cls_ = cls;
    can_add_locals_ = true;
    p.locals.clear();
    implicit_.clear();
    p.local_count = 0;
    p.explicit_vars = explicit_;
    for (const auto& param : p.params) AddLocal(p, cp1252::Upper(param.name), p, true);
    p.param_count = p.params.size();
    p.by_val_params = static_cast<int>(std::count_if(p.params.begin(), p.params.end(), [](const Param& q) { return q.by_val; }));
    p.result_slot = -1;
    if (p.kind == ProcKind::Function || p.kind == ProcKind::PropertyGet) {
      if (p.locals.count(p.upper)) Redefined(p);
      p.result_slot = AddLocal(p, p.upper, p, true);
    }
    CollectDims(p, p.body);
    for (const auto& c : p.consts) {
      Node at;
      at.line = c.line;
      at.column = c.column;
      if (p.locals.count(cp1252::Upper(c.name))) Redefined(at);
    }
    ResolveBlock(p.body);
    p.implicit_locals = implicit_;
    proc_ = nullptr;
    cls_ = nullptr;
  }

  void ResolveBlock(Block& block) {
    for (auto& s : block) ResolveStmt(*s);
  }

  void ResolveStmt(Stmt& s) {
    switch (s.kind) {
      case StmtKind::Assign: {
        auto& st = static_cast<AssignStmt&>(s);
        ResolveExpr(st.target);
        ResolveExpr(st.value);
        break;
      }
      case StmtKind::Call: {
        auto& st = static_cast<CallStmt&>(s);
        ResolveExpr(st.callee);
        for (auto& a : st.args) ResolveExpr(a);
        break;
      }
      case StmtKind::Dim:
        for (auto& item : static_cast<DimStmt&>(s).items) {
          ResolveExpr(item.target);
          for (auto& b : item.bounds) ResolveExpr(b);
        }
        break;
      case StmtKind::ReDim:
        for (auto& item : static_cast<ReDimStmt&>(s).items) {
          ResolveExpr(item.target);
          for (auto& b : item.bounds) ResolveExpr(b);
        }
        break;
      case StmtKind::If: {
        auto& st = static_cast<IfStmt&>(s);
        for (auto& c : st.conditions) ResolveExpr(c);
        for (auto& b : st.blocks) ResolveBlock(b);
        ResolveBlock(st.else_block);
        break;
      }
      case StmtKind::Select: {
        auto& st = static_cast<SelectStmt&>(s);
        ResolveExpr(st.subject);
        for (auto& c : st.cases) {
          for (auto& t : c.tests) {
            ResolveExpr(t.a);
            if (t.b) ResolveExpr(t.b);
          }
          ResolveBlock(c.body);
        }
        break;
      }
      case StmtKind::For: {
        auto& st = static_cast<ForStmt&>(s);
        ResolveExpr(st.variable);
        ResolveExpr(st.from);
        ResolveExpr(st.to);
        if (st.step) ResolveExpr(st.step);
        ResolveBlock(st.body);
        break;
      }
      case StmtKind::ForEach: {
        auto& st = static_cast<ForEachStmt&>(s);
        ResolveExpr(st.variable);
        ResolveExpr(st.collection);
        ResolveBlock(st.body);
        break;
      }
      case StmtKind::Do: {
        auto& st = static_cast<DoStmt&>(s);
        if (st.condition) ResolveExpr(st.condition);
        ResolveBlock(st.body);
        break;
      }
      case StmtKind::With: {
        auto& st = static_cast<WithStmt&>(s);
        ResolveExpr(st.object);
        ResolveBlock(st.body);
        break;
      }
      case StmtKind::Erase: ResolveExpr(static_cast<EraseStmt&>(s).target); break;
      default: break;
    }
  }

  ExprPtr MakeLiteral(const Expr& at, const Variant& v) {
    auto lit = std::make_unique<LiteralExpr>();
    lit->line = at.line;
    lit->column = at.column;
    lit->value = v;
    if (at.kind == ExprKind::Name) lit->const_name = static_cast<const NameExpr&>(at).name;
    return lit;
  }

  void ResolveExpr(ExprPtr& e) {
    switch (e->kind) {
      case ExprKind::Name: BindName(e); break;
      case ExprKind::Call: {
        auto& c = static_cast<CallExpr&>(*e);
        ResolveExpr(c.target);
        for (auto& a : c.args) ResolveExpr(a);
        break;
      }
      case ExprKind::Member: {
        auto& m = static_cast<MemberExpr&>(*e);
        if (m.object) ResolveExpr(m.object);
        break;
      }
      case ExprKind::Unary: ResolveExpr(static_cast<UnaryExpr&>(*e).operand); break;
      case ExprKind::Binary: {
        auto& b = static_cast<BinaryExpr&>(*e);
        ResolveExpr(b.left);
        ResolveExpr(b.right);
        break;
      }
      case ExprKind::Paren: ResolveExpr(static_cast<ParenExpr&>(*e).inner); break;
      case ExprKind::New: {
        auto& n = static_cast<NewExpr&>(*e);
        auto d = declared_.find(n.upper);
        int g = globals_.Find(n.upper);
        const bool user_class = (d != declared_.end() && d->second.kind == GlobalSlot::Kind::Class) ||
                                (g >= 0 && globals_.slots[g].kind == GlobalSlot::Kind::Class);
        n.slot = user_class || n.upper != "REGEXP" ? globals_.Intern(n.class_name, n.upper) : -1;
        break;
      }
      default: break;
    }
  }

  void BindName(ExprPtr& e) {
    auto& n = static_cast<NameExpr&>(*e);
    n.explicit_vars = explicit_;
    if (proc_) {
      for (const auto& c : proc_->consts)
        if (cp1252::EqualsNoCase(c.name, n.name)) {
          e = MakeLiteral(n, c.value);
          return;
        }
      auto it = proc_->locals.find(n.upper);
      if (it != proc_->locals.end()) {
        n.binding = Binding::Local;
        n.slot = it->second;
        return;
      }
      if (proc_ == outer_.proc && outer_.execute_locals) {
        auto added = outer_.execute_locals->find(n.upper);
        if (added != outer_.execute_locals->end()) {
          n.binding = Binding::ExecuteLocal;
          n.slot = added->second;
          return;
        }
      }
    }
    if (cls_) {
      auto f = cls_->field_slots.find(n.upper);
      if (f != cls_->field_slots.end()) {
        n.binding = Binding::Field;
        n.slot = f->second;
        return;
      }
      if (cls_->methods.count(n.upper) || cls_->getters.count(n.upper) || cls_->letters.count(n.upper) ||
          cls_->setters.count(n.upper)) {
        n.binding = Binding::MeMember;
        return;
      }
    }
    auto d = declared_.find(n.upper);
    if (d != declared_.end()) {
      if (d->second.kind == GlobalSlot::Kind::Constant) {
        e = MakeLiteral(n, d->second.value);
        return;
      }
      n.binding = Binding::Global;
      n.slot = globals_.Intern(n.name, n.upper);
      return;
    }
    int g = globals_.Find(n.upper);
    if (g >= 0 && globals_.slots[g].kind != GlobalSlot::Kind::Undeclared) {
      if (globals_.slots[g].kind == GlobalSlot::Kind::Constant) {
        e = MakeLiteral(n, globals_.slots[g].value);
        return;
      }
      n.binding = Binding::Global;
      n.slot = g;
      return;
    }
    if (const Variant* constant = FindConstant(n.upper)) {
      e = MakeLiteral(n, *constant);
      return;
    }
    int builtin = FindBuiltin(n.upper);
    if (builtin >= 0) {
      n.binding = Binding::Builtin;
      n.slot = builtin;
      return;
    }
    n.binding = Binding::Global;
    n.slot = globals_.Intern(n.name, n.upper);
    if (proc_ && proc_ == outer_.proc && !can_add_locals_) {
      // Execute or Eval inside a procedure sees the undeclared names the procedure uses.
      auto it = proc_->implicit_locals.find(n.upper);
      if (it != proc_->implicit_locals.end()) n.fallback = it->second;
    } else if (proc_ && can_add_locals_ && !explicit_) {
      // Kept apart from the declared locals: every use checks the global first, as the
      // global may be declared by code added later.
      auto [it, added] = implicit_.emplace(n.upper, proc_->local_count);
      if (added) ++proc_->local_count;
      n.fallback = it->second;
    }
  }

  GlobalTable& globals_;
  ResolveScope outer_;
  bool explicit_;
  ProcDef* proc_ = nullptr;
  ClassDef* cls_ = nullptr;
  bool can_add_locals_ = false;
  std::map<std::string, Declared> declared_;
  std::map<std::string, int> implicit_;
};

}  // namespace

void Resolve(Unit& unit, GlobalTable& globals, ResolveScope scope) {
  const std::size_t mark = globals.slots.size();
  try {
    bool explicit_vars = unit.explicit_vars || (scope.proc && scope.proc->explicit_vars);
    Resolver(globals, scope, explicit_vars).ResolveUnit(unit);
  } catch (...) {
    globals.Truncate(mark);
    throw;
  }
}

void ResolveExpression(ExprPtr& expr, GlobalTable& globals, ResolveScope scope, bool explicit_vars) {
  const std::size_t mark = globals.slots.size();
  try {
    Resolver(globals, scope, explicit_vars).ResolveTopExpression(expr);
  } catch (...) {
    globals.Truncate(mark);
    throw;
  }
}

}  // namespace gildex::vbscript
