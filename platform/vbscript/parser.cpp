#include "platform/vbscript/parser.h"

#include <algorithm>
#include <initializer_list>
#include <set>

#include "platform/vbscript/errors.h"
#include "platform/vbscript/scanner.h"

namespace gildex::vbscript {
namespace {

const std::set<std::string, std::less<>> kReserved = {
    "AND", "BYREF", "BYVAL", "CALL", "CASE", "CLASS", "CONST", "DIM", "DO", "EACH", "ELSE", "ELSEIF",
    "EMPTY", "END", "EQV", "ERASE", "EXIT", "FALSE", "FOR", "FUNCTION", "IF", "IMP", "IN", "IS",
    "LOOP", "ME", "MOD", "NEW", "NEXT", "NOT", "NOTHING", "NULL", "ON", "OPTION", "OR", "PRIVATE",
    "PUBLIC", "REDIM", "RESUME", "SELECT", "SET", "SUB", "THEN", "TO", "TRUE", "UNTIL", "WEND",
    "WHILE", "WITH", "XOR", "GOTO"};

const std::set<std::string, std::less<>> kBlockEnds = {"END", "NEXT", "LOOP", "WEND", "ELSE", "ELSEIF", "CASE"};

enum class Scope { TopLevel, Procedure, Class };

class Parser {
 public:
  Parser(std::string_view source, const char* stack_limit)
      : toks_(Scan(source)),
        stack_limit_(stack_limit ? stack_limit : StackLimitBelow(static_cast<const char*>(__builtin_frame_address(0)))) {}

  std::unique_ptr<Unit> Script() {
    unit_ = std::make_unique<Unit>();
    unit_->body = ParseBlock();
    if (!AtEnd()) {
      const Token& t = Peek();
      Fail(t.Is("LOOP") ? 1038 : t.Is("NEXT") ? 1055 : 1024);
    }
    return std::move(unit_);
  }

  ExprPtr ExpressionOnly() {
    ExprPtr e = ParseExpr();
    while (Peek().kind == TokenKind::Newline) ++pos_;
    if (!AtEnd()) Fail(1025);
    return e;
  }

 private:
  // Tokens.
  const Token& Peek(std::size_t ahead = 0) const {
    return toks_[std::min(pos_ + ahead, toks_.size() - 1)];
  }
  const Token& Next() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
  bool AtEnd() const { return Peek().kind == TokenKind::End; }
  bool Accept(std::string_view word) {
    if (!Peek().Is(word)) return false;
    ++pos_;
    return true;
  }
  bool AcceptOp(std::string_view op) {
    if (!Peek().IsOp(op)) return false;
    ++pos_;
    return true;
  }
  void Expect(std::string_view word, int error) {
    if (!Accept(word)) Fail(error);
  }
  void ExpectOp(std::string_view op, int error) {
    if (!AcceptOp(op)) Fail(error);
  }

  [[noreturn]] void Fail(int number) const { Fail(number, Peek()); }
  [[noreturn]] void Fail(int number, const Token& at) const {
    ScriptError e;
    e.number = number;
    e.description = std::string(ErrorDescription(number));
    e.kind = ErrorKind::Compile;
    e.line = at.line;
    e.column = at.column;
    e.source = kCompileSource;
    throw ScriptException(std::move(e));
  }

  template <typename T>
  std::unique_ptr<T> At(const Token& t) {
    auto node = std::make_unique<T>();
    node->line = t.line;
    node->column = t.column;
    return node;
  }

  bool StatementEnds() const {
    const Token& t = Peek();
    if (t.kind == TokenKind::Newline || t.kind == TokenKind::Colon || t.kind == TokenKind::End) return true;
    if (single_line_if_ > 0 && (t.Is("ELSE") || (t.Is("END") && Peek(1).Is("IF")))) return true;
    // `Sub S() x = 1 End Sub`: the end of a procedure or class may follow a statement.
    return t.Is("END") && (Peek(1).Is("SUB") || Peek(1).Is("FUNCTION") || Peek(1).Is("PROPERTY") || Peek(1).Is("CLASS"));
  }

  void ExpectStatementEnd() {
    if (!StatementEnds()) Fail(1025);
  }

  std::string Identifier() {
    const Token& t = Peek();
    if (t.kind != TokenKind::Identifier || kReserved.count(t.upper)) Fail(1010);
    ++pos_;
    return t.text;
  }

  // Blocks: statements up to a word that ends a block; the caller checks which.
  Block ParseBlock() {
    Block block;
    while (true) {
      while (Peek().kind == TokenKind::Newline || Peek().kind == TokenKind::Colon) ++pos_;
      const Token& t = Peek();
      if (t.kind == TokenKind::End) return block;
      if (t.kind == TokenKind::Identifier && kBlockEnds.count(t.upper)) return block;
      if (StmtPtr s = ParseStatement()) block.push_back(std::move(s));
      ExpectStatementEnd();
    }
  }

  void ExpectEnd(std::string_view word, int error) {
    if (!Peek().Is("END")) Fail(error == 1014 ? 1014 : (Peek().kind == TokenKind::End ? 1014 : error));
    const Token& end = Next();
    if (!Accept(word)) Fail(error, Peek().kind == TokenKind::End ? end : Peek());
  }

  // Nesting of statements and expressions: a fixed bound keeps the tree shallow enough for
  // the resolver and the evaluator, the stack check holds whatever the frame sizes.
  void Deeper() {
    if (++depth_ > kMaxNesting || StackExhausted(stack_limit_)) TooDeep();
  }
  // VBScript's "Out of stack space", where the nesting got too deep; like the interpreter's
  // other limits, On Error Resume Next does not pass over it.
  [[noreturn]] void TooDeep() const {
    ScriptError e;
    e.number = 28;
    e.description = std::string(ErrorDescription(28));
    e.line = Peek().line;
    e.column = Peek().column;
    e.source = kRuntimeSource;
    throw ScriptException(std::move(e), false);
  }
  static constexpr int kMaxNesting = 400;

  StmtPtr ParseStatement() {
    Deeper();
    StmtPtr s = ParseStatementOf();
    --depth_;
    return s;
  }

  void Grow(Expr& e, const Expr* child) {
    if (child) e.height = std::max(e.height, child->height + 1);
    if (e.height > 1000) TooDeep();
  }

  StmtPtr ParseStatementOf() {
    const Token& t = Peek();
    if (t.kind != TokenKind::Identifier && !t.IsOp(".")) Fail(1024);
    const std::string& w = t.upper;
    if (w == "DIM") { ++pos_; return ParseDim(t); }
    if (w == "PRIVATE" || w == "PUBLIC") return ParseVisibility();
    if (w == "CONST") { ++pos_; ParseConst(t); return nullptr; }
    if (w == "REDIM") return ParseReDim();
    if (w == "IF") return ParseIf();
    if (w == "SELECT") return ParseSelect();
    if (w == "FOR") return ParseFor();
    if (w == "DO") return ParseDo();
    if (w == "WHILE") return ParseWhile();
    if (w == "EXIT") return ParseExit();
    if (w == "ON") return ParseOnError();
    if (w == "OPTION") return ParseOption();
    if (w == "WITH") return ParseWith();
    if (w == "ERASE") return ParseErase();
    if (w == "CALL") return ParseCall();
    if (w == "SET") return ParseSet();
    if (w == "FUNCTION" || w == "SUB") { ParseProcedure(true, false); return nullptr; }
    if (w == "CLASS") { ParseClass(); return nullptr; }
    if (w == "PROPERTY" && (Peek(1).Is("GET") || Peek(1).Is("LET") || Peek(1).Is("SET"))) Fail(1048);
    if (w == "LET") { ++pos_; return ParseAssignOrCall(); }
    if (w == "STOP" && (Peek(1).kind == TokenKind::Newline || Peek(1).kind == TokenKind::Colon || Peek(1).kind == TokenKind::End)) {
      ++pos_;  // there is no debugger to stop in
      return nullptr;
    }
    if (kReserved.count(w) && w != "ME") Fail(1024);
    return ParseAssignOrCall();
  }

  StmtPtr ParseVisibility() {
    const Token& t = Next();
    const bool is_public = t.upper == "PUBLIC";
    if (scope_ == Scope::Procedure) Fail(1024, t);
    bool is_default = false;
    if (Peek().Is("DEFAULT")) {
      ++pos_;
      is_default = true;
      if (!is_public) Fail(1057);
    }
    if (Peek().Is("FUNCTION") || Peek().Is("SUB") || Peek().Is("PROPERTY")) {
      ParseProcedure(is_public, is_default);
      return nullptr;
    }
    if (is_default) Fail(1056);
    if (Accept("CONST")) {
      ParseConst(t);
      return nullptr;
    }
    if (scope_ == Scope::Class) {
      ParseFields(is_public);
      return nullptr;
    }
    return ParseDim(t);
  }

  DimItem ParseDimItem() {
    DimItem item;
    const Token& at = Peek();
    auto name = At<NameExpr>(at);
    name->name = Identifier();
    name->upper = at.upper;
    item.target = std::move(name);
    if (AcceptOp("(")) {
      item.has_bounds = true;
      if (!AcceptOp(")")) {
        do item.bounds.push_back(ParseExpr());
        while (AcceptOp(","));
        ExpectOp(")", 1006);
      }
    }
    return item;
  }

  StmtPtr ParseDim(const Token& at) {
    auto dim = At<DimStmt>(at);
    do {
      dim->items.push_back(ParseDimItem());
      const auto& name = static_cast<const NameExpr&>(*dim->items.back().target);
      if (scope_ == Scope::TopLevel) {
        unit_->variables.push_back(name.name);
        unit_->variable_positions.emplace_back(name.line, name.column);
      }
    } while (AcceptOp(","));
    return dim;
  }

  void ParseFields(bool is_public) {
    do {
      DimItem item = ParseDimItem();
      for (const auto& b : item.bounds)
        if (b->kind != ExprKind::Literal) Fail(1026, toks_[pos_ - 1]);
      FieldDef f;
      f.name = static_cast<const NameExpr&>(*item.target).name;
      f.is_public = is_public;
      f.bounds = std::move(item.bounds);
      f.has_bounds = item.has_bounds;
      class_->fields.push_back(std::move(f));
    } while (AcceptOp(","));
  }

  Variant ParseConstValue() {
    bool negative = false;
    while (Peek().IsOp("-") || Peek().IsOp("+")) negative ^= Next().text == "-";
    const Token& t = Peek();
    Variant v;
    if (t.kind == TokenKind::Number || t.kind == TokenKind::String || t.kind == TokenKind::Date) v = t.value;
    else if (t.Is("TRUE")) v = Variant::Bool(true);
    else if (t.Is("FALSE")) v = Variant::Bool(false);
    else if (t.Is("EMPTY")) v = Variant();
    else if (t.Is("NULL")) v = Variant::Null();
    else if (t.Is("NOTHING")) v = Variant::Nothing();
    else if (t.IsOp("(")) {
      ++pos_;
      v = ParseConstValue();
      ExpectOp(")", 1006);
      return negative ? Negate(v) : v;
    } else Fail(1045);
    ++pos_;
    return negative ? Negate(v) : v;
  }

  void ParseConst(const Token& at) {
    if (scope_ == Scope::Class) Fail(1024, at);
    do {
      ConstDecl c;
      c.line = Peek().line;
      c.column = Peek().column;
      c.name = Identifier();
      ExpectOp("=", 1011);
      c.value = ParseConstValue();
      (scope_ == Scope::Procedure ? proc_->consts : unit_->consts).push_back(std::move(c));
    } while (AcceptOp(","));
  }

  StmtPtr ParseReDim() {
    auto stmt = At<ReDimStmt>(Next());
    stmt->preserve = Accept("PRESERVE");
    do {
      DimItem item = ParseDimItem();
      if (!item.has_bounds || item.bounds.empty()) Fail(1005);
      stmt->items.push_back(std::move(item));
    } while (AcceptOp(","));
    return stmt;
  }

  StmtPtr ParseIf() {
    auto stmt = At<IfStmt>(Next());
    stmt->conditions.push_back(ParseExpr());
    Expect("THEN", 1017);
    if (Peek().kind != TokenKind::Newline && Peek().kind != TokenKind::End) return ParseSingleLineIf(std::move(stmt));
    stmt->blocks.push_back(ParseBlock());
    while (true) {
      if (Accept("ELSEIF")) {
        stmt->conditions.push_back(ParseExpr());
        Expect("THEN", 1017);
        stmt->blocks.push_back(ParseBlock());
      } else if (Accept("ELSE")) {
        stmt->else_block = ParseBlock();
        ExpectEnd("IF", 1012);
        return stmt;
      } else {
        ExpectEnd("IF", 1012);
        return stmt;
      }
    }
  }

  Block ParseSingleLineStatements() {
    Block block;
    while (true) {
      const Token& t = Peek();
      if (t.kind == TokenKind::Newline || t.kind == TokenKind::End || t.Is("ELSE") || (t.Is("END") && Peek(1).Is("IF")))
        return block;
      if (t.kind == TokenKind::Colon) { ++pos_; continue; }
      if (StmtPtr s = ParseStatement()) block.push_back(std::move(s));
      ExpectStatementEnd();
    }
  }

  StmtPtr ParseSingleLineIf(std::unique_ptr<IfStmt> stmt) {
    ++single_line_if_;
    stmt->blocks.push_back(ParseSingleLineStatements());
    if (Accept("ELSE")) stmt->else_block = ParseSingleLineStatements();
    --single_line_if_;
    if (Peek().Is("END") && Peek(1).Is("IF")) pos_ += 2;  // tolerated after a one-line If
    return stmt;
  }

  StmtPtr ParseSelect() {
    auto stmt = At<SelectStmt>(Next());
    Expect("CASE", 1021);
    stmt->subject = ParseExpr();
    ExpectStatementEnd();
    while (true) {
      while (Peek().kind == TokenKind::Newline || Peek().kind == TokenKind::Colon) ++pos_;
      if (Peek().Is("END")) break;
      if (!Accept("CASE")) Fail(Peek().kind == TokenKind::End ? 1014 : 1021);
      CaseClause clause;
      if (!Accept("ELSE")) {
        do clause.tests.push_back(ParseCaseTest());
        while (AcceptOp(","));
      }
      // A statement may follow the tests on the same line, even without a colon.
      clause.body = ParseBlock();
      stmt->cases.push_back(std::move(clause));
    }
    ExpectEnd("SELECT", 1022);
    return stmt;
  }

  CaseTest ParseCaseTest() {
    CaseTest test;
    if (Accept("IS")) {
      test.kind = CaseTest::Is;
      const Token& op = Next();
      static const std::pair<const char*, BinaryOp> kOps[] = {{"=", BinaryOp::Eq}, {"<>", BinaryOp::Ne}, {"<", BinaryOp::Lt},
                                                              {">", BinaryOp::Gt}, {"<=", BinaryOp::Le}, {">=", BinaryOp::Ge}};
      bool found = false;
      for (auto& [text, value] : kOps)
        if (op.IsOp(text)) test.op = value, found = true;
      if (!found) Fail(1002, op);
      test.a = ParseConcat();
      return test;
    }
    test.a = ParseExpr();
    if (Accept("TO")) {
      test.kind = CaseTest::Range;
      test.b = ParseExpr();
    }
    return test;
  }

  ExprPtr ParseLoopVariable() {
    const Token& at = Peek();
    auto name = At<NameExpr>(at);
    if (at.kind != TokenKind::Identifier || kReserved.count(at.upper)) Fail(1040);
    ++pos_;
    name->name = at.text;
    name->upper = at.upper;
    return name;
  }

  void ExpectNext() {
    if (!Accept("NEXT")) Fail(Peek().Is("END") || Peek().kind == TokenKind::End || Peek().Is("LOOP") || Peek().Is("WEND") ? 1020 : 1020);
    if (Peek().kind == TokenKind::Identifier && !StatementEnds()) {
      ++pos_;
      // `Next i, j` closes two loops: the parser accepts only the innermost name.
    }
  }

  StmtPtr ParseFor() {
    const Token& at = Next();
    if (Accept("EACH")) {
      auto stmt = At<ForEachStmt>(at);
      stmt->variable = ParseLoopVariable();
      Expect("IN", 1046);
      stmt->collection = ParseExpr();
      ExpectStatementEnd();
      loops_.push_back(ExitKind::For);
      stmt->body = ParseBlock();
      loops_.pop_back();
      ExpectNext();
      return stmt;
    }
    auto stmt = At<ForStmt>(at);
    stmt->variable = ParseLoopVariable();
    ExpectOp("=", 1011);
    stmt->from = ParseExpr();
    Expect("TO", 1013);
    stmt->to = ParseExpr();
    if (Accept("STEP")) stmt->step = ParseExpr();
    ExpectStatementEnd();
    loops_.push_back(ExitKind::For);
    stmt->body = ParseBlock();
    loops_.pop_back();
    ExpectNext();
    return stmt;
  }

  StmtPtr ParseDo() {
    auto stmt = At<DoStmt>(Next());
    if (Peek().Is("WHILE") || Peek().Is("UNTIL")) {
      stmt->until = Next().upper == "UNTIL";
      stmt->condition = ParseExpr();
    } else if (!StatementEnds()) {
      Fail(1028);
    }
    ExpectStatementEnd();
    loops_.push_back(ExitKind::Do);
    stmt->body = ParseBlock();
    loops_.pop_back();
    if (!Accept("LOOP")) Fail(1019);
    if (Peek().Is("WHILE") || Peek().Is("UNTIL")) {
      if (stmt->condition) Fail(1025);
      stmt->until = Next().upper == "UNTIL";
      stmt->condition = ParseExpr();
      stmt->test_first = false;
    }
    return stmt;
  }

  StmtPtr ParseWhile() {
    auto stmt = At<DoStmt>(Next());
    stmt->condition = ParseExpr();
    ExpectStatementEnd();
    loops_.push_back(ExitKind::Do);
    stmt->body = ParseBlock();
    loops_.pop_back();
    if (!Accept("WEND")) Fail(1018);
    // Exit Do is not allowed inside While ... Wend; the loop kind marks that.
    return stmt;
  }

  StmtPtr ParseExit() {
    const Token& at = Next();
    auto stmt = At<ExitStmt>(at);
    const Token& what = Peek();
    auto in_loop = [&](ExitKind k) { return std::find(loops_.begin(), loops_.end(), k) != loops_.end(); };
    if (what.Is("DO") && in_loop(ExitKind::Do)) stmt->what = ExitKind::Do;
    else if (what.Is("FOR") && in_loop(ExitKind::For)) stmt->what = ExitKind::For;
    else if (what.Is("FUNCTION") && proc_ && proc_->kind == ProcKind::Function) stmt->what = ExitKind::Function;
    else if (what.Is("SUB") && proc_ && proc_->kind == ProcKind::Sub) stmt->what = ExitKind::Sub;
    else if (what.Is("PROPERTY") && proc_ && proc_->kind != ProcKind::Sub && proc_->kind != ProcKind::Function) stmt->what = ExitKind::Property;
    else Fail(1039, what);
    ++pos_;
    return stmt;
  }

  StmtPtr ParseOnError() {
    auto stmt = At<OnErrorStmt>(Next());
    Expect("ERROR", 1002);
    if (Accept("RESUME")) {
      Expect("NEXT", 1002);
      stmt->resume_next = true;
    } else if (Accept("GOTO")) {
      if (!(Peek().kind == TokenKind::Number && Peek().text == "0")) Fail(1002);
      ++pos_;
      stmt->resume_next = false;
    } else {
      Fail(1002);
    }
    return stmt;
  }

  StmtPtr ParseOption() {
    const Token& at = Next();
    Expect("EXPLICIT", 1002);
    if (scope_ != Scope::TopLevel) Fail(1024, at);
    unit_->explicit_vars = true;
    return nullptr;
  }

  StmtPtr ParseWith() {
    auto stmt = At<WithStmt>(Next());
    stmt->object = ParseExpr();
    ExpectStatementEnd();
    stmt->body = ParseBlock();
    ExpectEnd("WITH", 1029);
    return stmt;
  }

  StmtPtr ParseErase() {
    auto stmt = At<EraseStmt>(Next());
    const Token& at = Peek();
    auto name = At<NameExpr>(at);
    name->name = Identifier();
    name->upper = at.upper;
    stmt->target = std::move(name);
    return stmt;
  }

  StmtPtr ParseCall() {
    auto stmt = At<CallStmt>(Next());
    ExprPtr target = ParsePostfix(ParsePrimary());
    if (target->kind == ExprKind::Call) {
      auto& call = static_cast<CallExpr&>(*target);
      stmt->callee = std::move(call.target);
      stmt->args = std::move(call.args);
    } else if (target->kind == ExprKind::Name || target->kind == ExprKind::Member) {
      stmt->callee = std::move(target);
    } else {
      Fail(1024, toks_[pos_ - 1]);
    }
    return stmt;
  }

  StmtPtr ParseSet() {
    auto stmt = At<AssignStmt>(Next());
    stmt->is_set = true;
    stmt->target = ParsePostfix(ParsePrimary());
    CheckAssignable(*stmt->target);
    ExpectOp("=", 1011);
    stmt->value = ParseExpr();
    return stmt;
  }

  void CheckAssignable(const Expr& e) {
    if (e.kind == ExprKind::Name || e.kind == ExprKind::Member) return;
    if (e.kind == ExprKind::Call) {
      const auto& target = static_cast<const CallExpr&>(e).target;
      if (target->kind == ExprKind::Name || target->kind == ExprKind::Member || target->kind == ExprKind::Call) return;
    }
    Fail(1024);
  }

  StmtPtr ParseAssignOrCall() {
    const Token& at = Peek();
    ExprPtr target = ParsePostfix(ParsePrimary());
    if (AcceptOp("=")) {
      CheckAssignable(*target);
      auto stmt = At<AssignStmt>(at);
      stmt->target = std::move(target);
      stmt->value = ParseExpr();
      return stmt;
    }
    auto stmt = At<CallStmt>(at);
    if (target->kind != ExprKind::Name && target->kind != ExprKind::Member && target->kind != ExprKind::Call) Fail(1024, at);
    if (StatementEnds()) {
      if (target->kind == ExprKind::Call) {
        auto& call = static_cast<CallExpr&>(*target);
        if (call.args.size() > 1) Fail(1044, at);
        stmt->callee = std::move(call.target);
        for (auto& a : call.args) stmt->args.push_back(Parenthesize(std::move(a)));
      } else {
        stmt->callee = std::move(target);
      }
      return stmt;
    }
    if (target->kind == ExprKind::Call && Peek().IsOp(",")) {
      // `Foo (a), b`: the first argument was written in its own parentheses.
      auto& call = static_cast<CallExpr&>(*target);
      if (call.args.size() != 1) Fail(1044, at);
      stmt->callee = std::move(call.target);
      stmt->args.push_back(Parenthesize(std::move(call.args[0])));
      while (AcceptOp(",")) stmt->args.push_back(ParseExpr());
      return stmt;
    }
    stmt->callee = std::move(target);
    do stmt->args.push_back(ParseExpr());
    while (AcceptOp(","));
    return stmt;
  }

  ExprPtr Parenthesize(ExprPtr e) {
    if (e->kind == ExprKind::Paren) return e;
    auto p = std::make_unique<ParenExpr>();
    p->line = e->line;
    p->column = e->column;
    p->inner = std::move(e);
    return p;
  }

  void ParseProcedure(bool is_public, bool is_default) {
    const Token& at = Peek();
    if (scope_ == Scope::Procedure) Fail(1024, at);
    auto proc = At<ProcDef>(at);
    proc->is_public = is_public;
    proc->is_default = is_default;
    int end_error = 1015;
    std::string end_word = "FUNCTION";
    if (Accept("FUNCTION")) {
      proc->kind = ProcKind::Function;
    } else if (Accept("SUB")) {
      proc->kind = ProcKind::Sub;
      end_error = 1016;
      end_word = "SUB";
    } else {
      Expect("PROPERTY", 1050);
      if (scope_ != Scope::Class) Fail(1048, at);
      end_error = 1050;
      end_word = "PROPERTY";
      if (Accept("GET")) proc->kind = ProcKind::PropertyGet;
      else if (Accept("LET")) proc->kind = ProcKind::PropertyLet;
      else if (Accept("SET")) proc->kind = ProcKind::PropertySet;
      else Fail(1049);
    }
    if (is_default && proc->kind != ProcKind::PropertyGet && proc->kind != ProcKind::Function && proc->kind != ProcKind::Sub) Fail(1058, at);
    const Token& name_token = Peek();
    proc->name = Identifier();
    proc->upper = name_token.upper;
    if (AcceptOp("(")) {
      if (!AcceptOp(")")) {
        do {
          Param p;
          if (Accept("BYVAL")) p.by_val = true;
          else Accept("BYREF");
          p.name = Identifier();
          if (AcceptOp("(")) ExpectOp(")", 1006);
          proc->params.push_back(std::move(p));
        } while (AcceptOp(","));
        ExpectOp(")", 1006);
      }
    }
    if ((proc->kind == ProcKind::PropertyLet || proc->kind == ProcKind::PropertySet) && proc->params.empty()) Fail(1054);
    if (scope_ == Scope::Class && (proc->upper == "CLASS_INITIALIZE" || proc->upper == "CLASS_TERMINATE") && !proc->params.empty())
      Fail(1053, name_token);
    // The body may start on the same line: `Sub S() x = 1 End Sub`.
    const Scope outer = scope_;
    scope_ = Scope::Procedure;
    proc_ = proc.get();
    auto saved_loops = std::move(loops_);
    loops_.clear();
    proc->body = ParseBlock();
    loops_ = std::move(saved_loops);
    scope_ = outer;
    proc_ = nullptr;
    ExpectEnd(end_word, end_error);
    if (scope_ == Scope::Class) {
      proc->owner = class_;
      class_->procs.push_back(std::move(proc));
    } else {
      unit_->procs.push_back(std::move(proc));
    }
  }

  void ParseClass() {
    const Token& at = Next();
    if (scope_ != Scope::TopLevel) Fail(1024, at);
    auto cls = At<ClassDef>(at);
    const Token& name_token = Peek();
    cls->name = Identifier();
    cls->upper = name_token.upper;
    ExpectStatementEnd();
    scope_ = Scope::Class;
    class_ = cls.get();
    while (true) {
      while (Peek().kind == TokenKind::Newline || Peek().kind == TokenKind::Colon) ++pos_;
      const Token& t = Peek();
      if (t.Is("END") || t.kind == TokenKind::End) break;
      if (t.Is("DIM")) {
        ++pos_;
        ParseFields(true);
      } else if (t.Is("PUBLIC") || t.Is("PRIVATE")) {
        ParseVisibility();
      } else if (t.Is("FUNCTION") || t.Is("SUB") || t.Is("PROPERTY")) {
        ParseProcedure(true, false);
      } else {
        Fail(1024);
      }
      ExpectStatementEnd();
    }
    ExpectEnd("CLASS", 1047);
    scope_ = Scope::TopLevel;
    class_ = nullptr;
    unit_->classes.push_back(std::move(cls));
  }

  // Expressions, lowest precedence first.
  ExprPtr ParseExpr() { return ParseImp(); }

  ExprPtr Binary(BinaryOp op, ExprPtr l, ExprPtr r, const Token& at) {
    auto b = At<BinaryExpr>(at);
    b->op = op;
    Grow(*b, l.get());
    Grow(*b, r.get());
    b->left = std::move(l);
    b->right = std::move(r);
    return b;
  }

  // One operator of a precedence level: a keyword ("MOD") or a symbol ("&").
  struct LevelOp {
    std::string_view text;
    bool keyword;
    BinaryOp op;
  };

  // A left-associative level: operands from `next`, joined by any of `ops`.
  template <typename Rule>
  ExprPtr LeftAssoc(std::initializer_list<LevelOp> ops, Rule next) {
    ExprPtr left = (this->*next)();
    for (;;) {
      const Token& t = Peek();
      const LevelOp* found = nullptr;
      for (const LevelOp& o : ops)
        if (o.keyword ? t.Is(o.text) : t.IsOp(o.text)) {
          found = &o;
          break;
        }
      if (found == nullptr) return left;
      const Token& at = Next();
      left = Binary(found->op, std::move(left), (this->*next)(), at);
    }
  }
  ExprPtr LeftAssoc(std::string_view word, BinaryOp op, ExprPtr (Parser::*next)()) {
    return LeftAssoc({{word, true, op}}, next);
  }

  ExprPtr ParseImp() { return LeftAssoc("IMP", BinaryOp::Imp, &Parser::ParseEqv); }
  ExprPtr ParseEqv() { return LeftAssoc("EQV", BinaryOp::Eqv, &Parser::ParseXor); }
  ExprPtr ParseXor() { return LeftAssoc("XOR", BinaryOp::Xor, &Parser::ParseOr); }
  ExprPtr ParseOr() { return LeftAssoc("OR", BinaryOp::Or, &Parser::ParseAnd); }
  ExprPtr ParseAnd() { return LeftAssoc("AND", BinaryOp::And, &Parser::ParseNot); }

  ExprPtr ParseNot() {
    if (Peek().Is("NOT")) {
      auto u = At<UnaryExpr>(Next());
      u->is_not = true;
      Deeper();
      u->operand = ParseNot();
      --depth_;
      Grow(*u, u->operand.get());
      return u;
    }
    return ParseCompare();
  }

  ExprPtr ParseCompare() {
    return LeftAssoc({{"=", false, BinaryOp::Eq},
                      {"<>", false, BinaryOp::Ne},
                      {"<", false, BinaryOp::Lt},
                      {">", false, BinaryOp::Gt},
                      {"<=", false, BinaryOp::Le},
                      {">=", false, BinaryOp::Ge},
                      {"IS", true, BinaryOp::Is}},
                     &Parser::ParseConcat);
  }

  ExprPtr ParseConcat() { return LeftAssoc({{"&", false, BinaryOp::Concat}}, &Parser::ParseAdd); }
  ExprPtr ParseAdd() {
    return LeftAssoc({{"+", false, BinaryOp::Add}, {"-", false, BinaryOp::Sub}}, &Parser::ParseMod);
  }
  ExprPtr ParseMod() { return LeftAssoc("MOD", BinaryOp::Mod, &Parser::ParseIntDiv); }
  ExprPtr ParseIntDiv() { return LeftAssoc({{"\\", false, BinaryOp::IntDiv}}, &Parser::ParseMul); }
  ExprPtr ParseMul() {
    return LeftAssoc({{"*", false, BinaryOp::Mul}, {"/", false, BinaryOp::Div}}, &Parser::ParseUnary);
  }

  ExprPtr ParseUnary() {
    Deeper();
    ExprPtr result;
    if (Peek().Is("NOT")) {
      result = ParseNot();
    } else {
      result = ParsePow();
    }
    --depth_;
    return result;
  }

  // Signs bind tighter than ^ in VBScript: -3 ^ 2 is 9.
  ExprPtr ParsePowOperand() {
    if (Peek().IsOp("-")) {
      Deeper();
      auto u = At<UnaryExpr>(Next());
      u->operand = ParsePowOperand();
      Grow(*u, u->operand.get());
      --depth_;
      return u;
    }
    if (Peek().IsOp("+")) {
      Deeper();
      ++pos_;
      ExprPtr e = ParsePowOperand();
      --depth_;
      return e;
    }
    return ParsePostfix(ParsePrimary());
  }

  ExprPtr ParsePow() {
    ExprPtr left = ParsePowOperand();
    while (Peek().IsOp("^")) {
      const Token& at = Next();
      left = Binary(BinaryOp::Pow, std::move(left), ParsePowOperand(), at);
    }
    return left;
  }

  ExprPtr Literal(const Token& at, Variant v) {
    auto lit = At<LiteralExpr>(at);
    lit->value = std::move(v);
    return lit;
  }

  ExprPtr ParsePrimary() {
    const Token& t = Peek();
    switch (t.kind) {
      case TokenKind::Number: case TokenKind::String: case TokenKind::Date:
        ++pos_;
        return Literal(t, t.value);
      case TokenKind::Operator:
        if (t.IsOp("(")) {
          ++pos_;
          Deeper();
          auto p = At<ParenExpr>(t);
          p->inner = ParseExpr();
          Grow(*p, p->inner.get());
          --depth_;
          ExpectOp(")", 1006);
          return p;
        }
        if (t.IsOp(".")) {
          ++pos_;
          auto m = At<MemberExpr>(t);
          const Token& name = Peek();
          if (name.kind != TokenKind::Identifier) Fail(1010);
          ++pos_;
          m->name = name.text;
          m->upper = name.upper;
          return m;
        }
        Fail(1023);
      case TokenKind::Identifier: {
        const std::string& w = t.upper;
        if (w == "TRUE") { ++pos_; return Literal(t, Variant::Bool(true)); }
        if (w == "FALSE") { ++pos_; return Literal(t, Variant::Bool(false)); }
        if (w == "EMPTY") { ++pos_; return Literal(t, Variant()); }
        if (w == "NULL") { ++pos_; return Literal(t, Variant::Null()); }
        if (w == "NOTHING") { ++pos_; return Literal(t, Variant::Nothing()); }
        if (w == "ME") {
          ++pos_;
          if (!class_) Fail(1037, t);
          return At<MeExpr>(t);
        }
        if (w == "NEW") {
          auto n = At<NewExpr>(Next());
          const Token& name = Peek();
          n->class_name = Identifier();
          n->upper = name.upper;
          return n;
        }
        if (kReserved.count(w)) Fail(1023);
        ++pos_;
        auto name = At<NameExpr>(t);
        name->name = t.text;
        name->upper = t.upper;
        return name;
      }
      default:
        Fail(1023);
    }
  }

  ExprPtr ParsePostfix(ExprPtr e) {
    while (true) {
      const Token& t = Peek();
      if (t.IsOp("(")) {
        // `(f)(2)`, `Call (s)(x)` and `Call (((s))) (x)` call f and s.
        const Expr* named = e.get();
        while (named->kind == ExprKind::Paren) named = static_cast<const ParenExpr&>(*named).inner.get();
        if (named != e.get() && (named->kind == ExprKind::Name || named->kind == ExprKind::Member)) {
          while (e->kind == ExprKind::Paren) {
            ExprPtr inner = std::move(static_cast<ParenExpr&>(*e).inner);
            e = std::move(inner);
          }
        }
        ++pos_;
        auto call = At<CallExpr>(t);
        call->line = e->line;
        call->column = e->column;
        if (!AcceptOp(")")) {
          do {
            if (Peek().IsOp(",") || Peek().IsOp(")")) {
              // An omitted argument: the function's default applies.
              call->args.push_back(Literal(Peek(), Variant()));
              continue;
            }
            call->args.push_back(ParseExpr());
            Grow(*call, call->args.back().get());
          } while (AcceptOp(","));
          ExpectOp(")", 1006);
        }
        Grow(*call, e.get());
        call->target = std::move(e);
        e = std::move(call);
      } else if (t.IsOp(".") && !t.space_before) {
        ++pos_;
        auto m = At<MemberExpr>(t);
        m->line = e->line;
        m->column = e->column;
        const Token& name = Peek();
        if (name.kind != TokenKind::Identifier) Fail(1010);
        ++pos_;
        m->name = name.text;
        m->upper = name.upper;
        Grow(*m, e.get());
        m->object = std::move(e);
        e = std::move(m);
      } else {
        return e;
      }
    }
  }

  std::vector<Token> toks_;
  std::size_t pos_ = 0;
  std::unique_ptr<Unit> unit_;
  Scope scope_ = Scope::TopLevel;
  ProcDef* proc_ = nullptr;
  ClassDef* class_ = nullptr;
  std::vector<ExitKind> loops_;
  int single_line_if_ = 0;
  int depth_ = 0;
  const char* stack_limit_;
};

}  // namespace

std::unique_ptr<Unit> ParseScript(std::string_view source, const char* stack_limit) {
  auto unit = Parser(source, stack_limit).Script();
  unit->source = std::string(source);
  return unit;
}

ExprPtr ParseExpression(std::string_view source, const char* stack_limit) {
  return Parser(source, stack_limit).ExpressionOnly();
}

}  // namespace gildex::vbscript
