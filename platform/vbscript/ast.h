#pragma once
// The tree the parser builds and the resolver annotates: plain node types told apart by
// their kind. Names carry their binding once resolved.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/vbscript/value.h"

namespace gildex::vbscript {

struct ClassDef;
struct GlobalSlot;
struct ProcDef;

struct Node {
  int line = 0;
  int column = 0;
};

enum class ExprKind { Literal, Name, Call, Member, Unary, Binary, New, Me, Paren };

struct Expr : Node {
  explicit Expr(ExprKind k) : kind(k) {}
  virtual ~Expr() = default;
  ExprKind kind;
  int height = 1;  // nesting, bounded by the parser so evaluation cannot exhaust the stack
};
using ExprPtr = std::unique_ptr<Expr>;

struct LiteralExpr : Expr {
  LiteralExpr() : Expr(ExprKind::Literal) {}
  Variant value;
  std::string const_name;  // set when the literal stands for a Const
};

enum class Binding {
  Unresolved,
  Local,     // slot in the procedure's frame
  Global,    // slot in the script's globals; `fallback` is the implicit local, if any
  Field,     // member variable of Me
  MeMember,  // method or property of Me, called by name
  Builtin,   // function of the library
  ExecuteLocal,  // a local that Dim inside Execute added to the running procedure's frame
};

struct NameExpr : Expr {
  NameExpr() : Expr(ExprKind::Name) {}
  std::string name;
  std::string upper;
  Binding binding = Binding::Unresolved;
  int slot = -1;
  int fallback = -1;
  bool explicit_vars = false;  // Option Explicit was in force where the name was written
  // Of a called procedure, set by the evaluator on first call: 1 when the call's arguments
  // are evaluated straight into the callee's slots (none is an array element), 2 when not.
  std::int8_t direct_args = 0;
  mutable GlobalSlot* global = nullptr;  // of a Global, its slot once first used (slots never move)
};

struct CallExpr : Expr {  // target(args): a call, an array element or a default member
  CallExpr() : Expr(ExprKind::Call) {}
  ExprPtr target;
  std::vector<ExprPtr> args;
};

struct MemberExpr : Expr {  // object.name; object is null inside With for `.name`
  MemberExpr() : Expr(ExprKind::Member) {}
  ExprPtr object;
  std::string name;
  std::string upper;
  // Set by the evaluator: the last class whose instance it was used on, and the index of the
  // field it names there (-1 when it names none).
  const ClassDef* field_class = nullptr;
  int field = -1;
};

struct UnaryExpr : Expr {
  UnaryExpr() : Expr(ExprKind::Unary) {}
  bool is_not = false;  // Not, otherwise negation
  ExprPtr operand;
};

struct BinaryExpr : Expr {
  BinaryExpr() : Expr(ExprKind::Binary) {}
  BinaryOp op = BinaryOp::Add;
  ExprPtr left, right;
  // Whether only Integer and Long arithmetic over literals and variables could compute it:
  // 0 not known yet, 1 may, 2 never. Set by the evaluator on first use.
  std::int8_t integral_shape = 0;
  // When it may: the same arithmetic in postfix order, run by one loop instead of a call
  // per node (empty when the expression needs more stack than the loop keeps). Each op
  // takes an operand (a Const or Local given in the op, or the value popped from the stack)
  // and pushes it, or combines the top of the stack with it.
  struct IntOp {
    enum Code : std::uint8_t { Push, Add, Sub, Mul, Mod, IntDiv } code;
    enum Operand : std::uint8_t { Stack, FromConst, FromLocal, FromGlobal } operand = Stack;
    bool is_long = false;    // of a Const: Long rather than Integer
    int slot = 0;            // of a Local; of a Global, the implicit local it falls back to, or -1
    std::int64_t value = 0;  // of a Const
    const GlobalSlot* global = nullptr;  // of a Global
    std::uint8_t fused = 0;              // Fused(operand, code), what RunIntCode switches on
    static constexpr std::uint8_t Fused(Operand o, Code c) { return static_cast<std::uint8_t>(o * 8 + c); }
  };
  std::vector<IntOp> int_code;
  bool local_and_const = false;  // int_code is a Local pushed, then an op with a Const
  // A comparison of a local with an Integer or Long literal (n < 2): 0 not known yet, 1 it
  // is (the local's slot and the literal's value below), 2 not. Set by the evaluator.
  std::int8_t local_compare = 0;
  int compare_slot = 0;
  std::int64_t compare_value = 0;
};

struct NewExpr : Expr {
  NewExpr() : Expr(ExprKind::New) {}
  std::string class_name;
  std::string upper;
  int slot = -1;  // global slot of the class, or -1 for the built-in RegExp
};

struct MeExpr : Expr {
  MeExpr() : Expr(ExprKind::Me) {}
};

struct ParenExpr : Expr {  // (expr): forces a copy when passed to a ByRef parameter
  ParenExpr() : Expr(ExprKind::Paren) {}
  ExprPtr inner;
};

enum class StmtKind { Assign, Call, Dim, ReDim, If, Select, For, ForEach, Do, Exit, OnError, With, Erase, Nop };

struct Stmt : Node {
  explicit Stmt(StmtKind k) : kind(k) {}
  virtual ~Stmt() = default;
  StmtKind kind;
  // Set by the evaluator: an assignment of integer code (BinaryExpr::int_code) to a local (1)
  // or to a global (2), or of another local to a local (3), which the statement loop runs itself.
  std::int8_t int_assign = 0;
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct AssignStmt : Stmt {
  AssignStmt() : Stmt(StmtKind::Assign) {}
  ExprPtr target, value;
  bool is_set = false;
  // Set by the evaluator on first run: 1 a Let of a local, 3 a Let of a global, 2 anything else;
  // 4 a Let of a local from +, - or * over calls (after a first run as 1).
  std::int8_t shape = 0;
  int value_local = -1;  // of a Let of a local: the slot of the local it is given, if any
};

struct CallStmt : Stmt {
  CallStmt() : Stmt(StmtKind::Call) {}
  ExprPtr callee;  // a Name, Member or Call expression
  std::vector<ExprPtr> args;
};

struct DimItem {
  ExprPtr target;                 // NameExpr
  std::vector<ExprPtr> bounds;    // upper bounds; empty with has_bounds for `Dim a()`
  bool has_bounds = false;
};

struct DimStmt : Stmt {
  DimStmt() : Stmt(StmtKind::Dim) {}
  std::vector<DimItem> items;
};

struct ReDimStmt : Stmt {
  ReDimStmt() : Stmt(StmtKind::ReDim) {}
  bool preserve = false;
  std::vector<DimItem> items;
};

struct IfStmt : Stmt {
  IfStmt() : Stmt(StmtKind::If) {}
  std::vector<ExprPtr> conditions;
  std::vector<Block> blocks;  // one per condition
  Block else_block;
};

struct CaseTest {
  enum Kind { Value, Range, Is } kind = Value;
  BinaryOp op = BinaryOp::Eq;  // for Is
  ExprPtr a, b;
};

struct CaseClause {
  std::vector<CaseTest> tests;  // empty for Case Else
  Block body;
};

struct SelectStmt : Stmt {
  SelectStmt() : Stmt(StmtKind::Select) {}
  ExprPtr subject;
  std::vector<CaseClause> cases;
};

struct ForStmt : Stmt {
  ForStmt() : Stmt(StmtKind::For) {}
  ExprPtr variable;
  ExprPtr from, to, step;
  Block body;
};

struct ForEachStmt : Stmt {
  ForEachStmt() : Stmt(StmtKind::ForEach) {}
  ExprPtr variable;
  ExprPtr collection;
  Block body;
};

struct DoStmt : Stmt {
  DoStmt() : Stmt(StmtKind::Do) {}
  ExprPtr condition;  // may be null
  bool until = false;
  bool test_first = true;
  Block body;
};

enum class ExitKind { Do, For, Function, Sub, Property };

struct ExitStmt : Stmt {
  ExitStmt() : Stmt(StmtKind::Exit) {}
  ExitKind what = ExitKind::Do;
};

struct OnErrorStmt : Stmt {
  OnErrorStmt() : Stmt(StmtKind::OnError) {}
  bool resume_next = true;
};

struct WithStmt : Stmt {
  WithStmt() : Stmt(StmtKind::With) {}
  ExprPtr object;
  Block body;
};

struct EraseStmt : Stmt {
  EraseStmt() : Stmt(StmtKind::Erase) {}
  ExprPtr target;
};

struct NopStmt : Stmt {
  NopStmt() : Stmt(StmtKind::Nop) {}
};

struct ConstDecl {
  std::string name;
  Variant value;
  int line = 0, column = 0;
};

enum class ProcKind { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct Param {
  std::string name;
  bool by_val = false;
};

struct ProcDef : Node {
  std::string name;
  std::string upper;
  ProcKind kind = ProcKind::Sub;
  bool is_public = true;
  bool is_default = false;
  std::vector<Param> params;
  Block body;
  std::vector<ConstDecl> consts;
  ClassDef* owner = nullptr;
  // Filled by the resolver.
  int local_count = 0;
  int result_slot = -1;
  std::map<std::string, int> locals;  // upper-cased name -> slot, for Execute and Eval
  std::map<std::string, int> implicit_locals;  // undeclared names used as locals -> slot
  bool explicit_vars = false;
  const std::string* source = nullptr;  // the text it was written in, for error reports
  std::size_t param_count = 0;  // params.size(), and how many of them are ByVal
  int by_val_params = 0;
};

struct FieldDef {
  std::string name;
  bool is_public = false;
  std::vector<ExprPtr> bounds;
  bool has_bounds = false;
};

struct ClassDef : Node {
  std::string name;
  std::string upper;
  std::vector<FieldDef> fields;
  std::vector<std::unique_ptr<ProcDef>> procs;
  // Filled by the resolver: upper-cased names.
  std::map<std::string, int> field_slots;
  std::map<std::string, ProcDef*> methods, getters, letters, setters;
  ProcDef* initialize = nullptr;
  ProcDef* terminate = nullptr;
  ProcDef* default_member = nullptr;
};

struct GlobalVar {
  std::string name;
  ExprPtr target;  // NameExpr
  int line = 0, column = 0;
};

// One piece of source given to AddCode, ExecuteGlobal or Execute.
struct Unit {
  Block body;
  std::vector<std::unique_ptr<ProcDef>> procs;
  std::vector<std::unique_ptr<ClassDef>> classes;
  std::vector<ConstDecl> consts;  // top level
  std::vector<std::string> variables;  // Dim, Private, Public at top level (in order)
  std::vector<std::pair<int, int>> variable_positions;
  bool explicit_vars = false;
  std::string source;
  MemoryCharge charge;  // its parsed code, while it is kept
};

}  // namespace gildex::vbscript
