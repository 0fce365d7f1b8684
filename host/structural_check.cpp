#include "host/structural_check.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string_view>

#include "host/basic_lexer.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace {

using cp1252::EqualsNoCase;

// Letters of Windows-1252 above 0x7F are allowed in VB names.
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
}
bool IsTypeSuffix(char c) { return c == '%' || c == '&' || c == '!' || c == '#' || c == '@' || c == '$'; }
bool IsAnyOf(std::string_view word, std::initializer_list<std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return EqualsNoCase(word, w); });
}

// ---- tokens ----

using Tokens = std::span<const Token>;

bool IsWord(const Token& token, std::string_view word) {
  return token.kind == TokenKind::Word && EqualsNoCase(token.text, word);
}
bool IsWordAt(Tokens tokens, std::size_t i, std::string_view word) {
  return i < tokens.size() && IsWord(tokens[i], word);
}
bool IsSymbol(const Token& token, std::string_view symbol) {
  return token.kind == TokenKind::Symbol && token.text == symbol;
}

// The tokens of one logical line, comments dropped; a bracketed name counts as a word.
// Into `tokens`, which the caller keeps from line to line so that its storage is reused.
void Tokenize(std::string_view text, std::vector<Token>& tokens) {
  tokens.clear();
  BasicLexer lexer(text);
  for (Token token; lexer.Next(token) && token.kind != TokenKind::Comment;) {
    if (token.kind == TokenKind::Bracketed) token.kind = TokenKind::Word;
    tokens.push_back(token);
  }
}

// Parts of a token list between separators (each part may be empty).
template <typename IsSeparator>
std::vector<Tokens> SplitAt(Tokens tokens, IsSeparator is_separator) {
  std::vector<Tokens> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= tokens.size(); ++i) {
    if (i < tokens.size() && !is_separator(tokens, i)) continue;
    parts.push_back(tokens.subspan(start, i - start));
    start = i + 1;
  }
  return parts;
}

// A word used as a keyword, not as a member name (".Then", "rs!Else" are names).
bool IsKeywordAt(Tokens tokens, std::size_t i, std::string_view word) {
  if (!IsWordAt(tokens, i, word)) return false;
  return i == 0 || !(IsSymbol(tokens[i - 1], ".") || IsSymbol(tokens[i - 1], "!"));
}

// ---- #If conditions ----

using Constants = std::map<std::string, long long, cp1252::LessNoCase>;

long long Wrap(unsigned long long value) { return static_cast<long long>(value); }

// Evaluates the condition of #If/#ElseIf or the value of #Const with VB's integer rules:
// True is -1, And/Or/Not work on bits, an undefined name is 0.
class ConditionEvaluator {
 public:
  ConditionEvaluator(Tokens tokens, const Constants& constants) : tokens_(tokens), constants_(constants) {}

  std::optional<long long> Evaluate() {
    long long value = Or();
    if (!ok_ || pos_ != tokens_.size()) return std::nullopt;
    return value;
  }

 private:
  bool AcceptWord(std::string_view word) {
    if (!IsWordAt(tokens_, pos_, word)) return false;
    ++pos_;
    return true;
  }
  bool AcceptSymbol(std::string_view symbol) {
    if (pos_ >= tokens_.size() || !IsSymbol(tokens_[pos_], symbol)) return false;
    ++pos_;
    return true;
  }
  bool Deeper() {
    if (++depth_ > 64) ok_ = false;
    return ok_;
  }

  long long Or() {
    long long value = And();
    for (;;) {
      if (AcceptWord("Or"))
        value |= And();
      else if (AcceptWord("Xor"))
        value ^= And();
      else
        return value;
    }
  }
  long long And() {
    long long value = Not();
    while (AcceptWord("And")) value &= Not();
    return value;
  }
  long long Not() {
    if (!AcceptWord("Not")) return Compare();
    if (!Deeper()) return 0;
    long long value = ~Not();
    --depth_;
    return value;
  }
  long long Compare() {
    long long left = Sum();
    if (AcceptSymbol("=")) return Truth(left == Sum());
    if (AcceptSymbol("<>")) return Truth(left != Sum());
    if (AcceptSymbol("<=")) return Truth(left <= Sum());
    if (AcceptSymbol(">=")) return Truth(left >= Sum());
    if (AcceptSymbol("<")) return Truth(left < Sum());
    if (AcceptSymbol(">")) return Truth(left > Sum());
    return left;
  }
  static long long Truth(bool value) { return value ? -1 : 0; }
  long long Sum() {
    long long value = Unary();
    for (;;) {
      if (AcceptSymbol("+"))
        value = Wrap(static_cast<unsigned long long>(value) + static_cast<unsigned long long>(Unary()));
      else if (AcceptSymbol("-"))
        value = Wrap(static_cast<unsigned long long>(value) - static_cast<unsigned long long>(Unary()));
      else
        return value;
    }
  }
  long long Unary() {
    if (!AcceptSymbol("-")) return Primary();
    if (!Deeper()) return 0;
    long long value = Wrap(0ULL - static_cast<unsigned long long>(Unary()));
    --depth_;
    return value;
  }
  long long Primary() {
    if (pos_ >= tokens_.size()) {
      ok_ = false;
      return 0;
    }
    if (AcceptSymbol("(")) {
      if (!Deeper()) return 0;
      long long value = Or();
      --depth_;
      if (!AcceptSymbol(")")) ok_ = false;
      return value;
    }
    const Token& token = tokens_[pos_++];
    if (token.kind == TokenKind::Number) return Number(token.text);
    if (token.kind == TokenKind::Word) {
      if (EqualsNoCase(token.text, "True")) return -1;
      if (EqualsNoCase(token.text, "False")) return 0;
      auto found = constants_.find(token.text);
      return found == constants_.end() ? 0 : found->second;
    }
    ok_ = false;
    return 0;
  }
  long long Number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '&') {
      base = (text[1] == 'H' || text[1] == 'h') ? 16 : 8;
      text.remove_prefix(2);
    }
    while (!text.empty() && IsTypeSuffix(text.back())) text.remove_suffix(1);
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) ok_ = false;
    return value;
  }

  Tokens tokens_;
  const Constants& constants_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  bool ok_ = true;
};

// ---- the checker ----

enum class Block { If, For, Do, While, Select, With };

struct BlockWords {
  std::string_view opener, closer, stray_opener;
};

BlockWords WordsOf(Block block) {
  switch (block) {
    case Block::If: return {"If", "End If", "block If"};
    case Block::For: return {"For", "Next", "For"};
    case Block::Do: return {"Do", "Loop", "Do"};
    case Block::While: return {"While", "Wend", "While"};
    case Block::Select: return {"Select Case", "End Select", "Select Case"};
    case Block::With: return {"With", "End With", "With"};
  }
  return {};
}

struct OpenBlock {
  Block kind;
  long line;
  std::string variable;  // a For's counter
};

struct ProcedureHeader {
  std::string kind;      // "Sub", "Function", "Property Get" ...
  std::string end_word;  // "Sub", "Function", "Property"
  std::string name;
};

struct Jump {
  std::string target;
  bool line_number;
  long line;
};

struct Procedure {
  ProcedureHeader header;
  long line = 0;
  std::vector<OpenBlock> blocks;
  std::set<std::string, cp1252::LessNoCase> labels;
  std::vector<Jump> jumps;
};

struct TypeBlock {
  std::string kind;  // "Type" or "Enum"
  std::string name;
  long line = 0;
};

struct Conditional {
  long line;
  bool parent_active;
  bool taken;
  bool active;
};

std::string Describe(const ProcedureHeader& header) { return header.kind + " " + header.name; }

// "Private Static Function Foo(" and the like; nothing for any other statement.
std::optional<ProcedureHeader> ProcedureStart(Tokens tokens) {
  std::size_t i = 0;
  if (i < tokens.size() && (IsWord(tokens[i], "Public") || IsWord(tokens[i], "Private") || IsWord(tokens[i], "Friend")))
    ++i;
  if (IsWordAt(tokens, i, "Static")) ++i;
  if (i >= tokens.size()) return std::nullopt;
  ProcedureHeader header;
  if (IsWord(tokens[i], "Sub") || IsWord(tokens[i], "Function")) {
    header.kind = IsWord(tokens[i], "Sub") ? "Sub" : "Function";
    header.end_word = header.kind;
  } else if (IsWord(tokens[i], "Property")) {
    ++i;
    for (std::string_view accessor : {"Get", "Let", "Set"})
      if (IsWordAt(tokens, i, accessor)) header.kind = "Property " + std::string(accessor);
    if (header.kind.empty()) return std::nullopt;
    header.end_word = "Property";
  } else {
    return std::nullopt;
  }
  ++i;
  if (i < tokens.size() && tokens[i].kind == TokenKind::Word) header.name = std::string(tokens[i].text);
  return header;
}

// "Type Point", "Private Enum Colors".
std::optional<TypeBlock> TypeStart(Tokens tokens) {
  std::size_t i = 0;
  if (i < tokens.size() && (IsWord(tokens[i], "Public") || IsWord(tokens[i], "Private"))) ++i;
  if (!IsWordAt(tokens, i, "Type") && !IsWordAt(tokens, i, "Enum")) return std::nullopt;
  TypeBlock block;
  block.kind = IsWord(tokens[i], "Type") ? "Type" : "Enum";
  if (i + 1 < tokens.size()) block.name = std::string(tokens[i + 1].text);
  return block;
}

// The word after "End" ("End If" -> "If"), also for the run-together "EndIf"; empty for a
// bare End statement or any other statement.
std::string_view EndOf(Tokens tokens) {
  if (tokens.empty()) return {};
  if (IsWord(tokens[0], "EndIf")) return "If";
  if (!IsWord(tokens[0], "End") || tokens.size() < 2 || tokens[1].kind != TokenKind::Word) return {};
  for (std::string_view what : {"Sub", "Function", "Property", "If", "Select", "With", "Type", "Enum"})
    if (EqualsNoCase(tokens[1].text, what)) return what;
  return {};
}

// What may stand outside procedures.
bool IsModuleDeclaration(Tokens tokens) {
  if (tokens.empty() || tokens[0].kind != TokenKind::Word) return false;
  std::string_view word = tokens[0].text;
  if (IsAnyOf(word, {"Option", "Dim", "Private", "Public", "Global", "Const", "Declare", "Event", "Implements",
                     "Attribute", "Friend", "Static", "WithEvents"}))
    return true;
  return IsAnyOf(word, {"DefBool", "DefByte", "DefInt", "DefLng", "DefCur", "DefSng", "DefDbl", "DefDec", "DefDate",
                        "DefStr", "DefObj", "DefVar"});
}

// Statements that may stand alone before a colon and so are not labels ("Else: x = 1").
bool CannotBeLabel(std::string_view word) {
  return IsAnyOf(word, {"Else", "Do", "Loop", "Next", "Wend", "End", "EndIf", "Resume", "Return", "Stop", "Exit",
                        "Close", "Reset", "Beep", "Randomize", "Print"});
}

std::string WithoutTypeSuffix(std::string_view name) {
  if (!name.empty() && IsTypeSuffix(name.back())) name.remove_suffix(1);
  return std::string(name);
}

// Line numbers compare by value: "0100" and "100" are the same line.
std::string LineNumberKey(std::string_view number) {
  while (number.size() > 1 && number.front() == '0') number.remove_prefix(1);
  return std::string(number);
}

class Checker {
 public:
  explicit Checker(const std::string& component) : component_(component) {}

  void LogicalLine(std::string_view text, long line) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return;
    if (text[first] == '#' && first + 1 < text.size() && IsLetter(text[first + 1])) {
      Tokenize(text.substr(first + 1), tokens_);
      Directive(tokens_, line);
      return;
    }
    if (!Active()) return;
    Tokenize(text, tokens_);
    Tokens rest(tokens_);
    if (!rest.empty() && rest[0].kind == TokenKind::Number) {
      DefineLabel(LineNumberKey(rest[0].text), true, line);
      rest = rest.subspan(rest.size() > 1 && rest[1].kind == TokenKind::Colon ? 2 : 1);
    } else if (rest.size() > 1 && rest[0].kind == TokenKind::Word && rest[1].kind == TokenKind::Colon &&
               !CannotBeLabel(rest[0].text)) {
      DefineLabel(std::string(rest[0].text), false, line);
      rest = rest.subspan(2);
    }
    Run(rest, line);
  }

  std::vector<StructureProblem> Finish() {
    if (type_block_) ReportOpenType();
    if (procedure_) {
      Report(procedure_->line, Describe(procedure_->header) + " has no End " + procedure_->header.end_word);
      CloseProcedure();
    }
    for (const Conditional& open : conditionals_) Report(open.line, "#If without #End If");
    std::stable_sort(problems_.begin(), problems_.end(),
                     [](const StructureProblem& a, const StructureProblem& b) { return a.line < b.line; });
    return std::move(problems_);
  }

 private:
  void Report(long line, std::string message) { problems_.push_back({component_, line, std::move(message)}); }

  void ReportOpenType() {
    Report(type_block_->line, type_block_->kind + " " + type_block_->name + " has no End " + type_block_->kind);
  }

  bool Active() const { return conditionals_.empty() || conditionals_.back().active; }

  // A condition that cannot be worked out counts as true: the branch is checked.
  bool Condition(Tokens tokens) {
    if (!tokens.empty() && IsWord(tokens.back(), "Then")) tokens = tokens.first(tokens.size() - 1);
    std::optional<long long> value = ConditionEvaluator(tokens, constants_).Evaluate();
    return !value || *value != 0;
  }

  void Directive(Tokens tokens, long line) {
    if (tokens.empty()) return;
    if (IsWord(tokens[0], "If")) {
      bool parent = Active();
      bool active = parent && Condition(tokens.subspan(1));
      conditionals_.push_back({line, parent, active, active});
    } else if (IsWord(tokens[0], "ElseIf") || IsWord(tokens[0], "Else")) {
      if (conditionals_.empty()) {
        Report(line, "#" + std::string(tokens[0].text) + " without #If");
        return;
      }
      Conditional& open = conditionals_.back();
      bool condition = IsWord(tokens[0], "Else") || (open.parent_active && !open.taken && Condition(tokens.subspan(1)));
      open.active = open.parent_active && !open.taken && condition;
      open.taken = open.taken || open.active;
    } else if (IsWord(tokens[0], "End") || IsWord(tokens[0], "EndIf")) {
      if (conditionals_.empty())
        Report(line, "#End If without #If");
      else
        conditionals_.pop_back();
    } else if (IsWord(tokens[0], "Const") && Active() && tokens.size() > 2 && IsSymbol(tokens[2], "=")) {
      std::optional<long long> value = ConditionEvaluator(tokens.subspan(3), constants_).Evaluate();
      constants_[std::string(tokens[1].text)] = value.value_or(0);
    }
  }

  void DefineLabel(std::string label, bool line_number, long line) {
    if (!procedure_) return;
    if (!procedure_->labels.insert(label).second)
      Report(line, (line_number ? "line number " : "label ") + label + " defined twice in " + procedure_->header.name);
  }

  void JumpTo(Tokens target, long line) {
    if (target.size() != 1 || !procedure_) return;
    if (target[0].kind == TokenKind::Number)
      procedure_->jumps.push_back({LineNumberKey(target[0].text), true, line});
    else if (target[0].kind == TokenKind::Word)
      procedure_->jumps.push_back({std::string(target[0].text), false, line});
  }

  // The statements of a line (or of the rest of one), split at colons.
  void Run(Tokens tokens, long line) {
    // Single-line Ifs nest through here; a line of thousands of them is not code to check.
    if (run_depth_ > 64) return;
    ++run_depth_;
    RunStatements(tokens, line);
    --run_depth_;
  }

  void RunStatements(Tokens tokens, long line) {
    std::size_t start = 0;
    while (start <= tokens.size()) {
      std::size_t end = start;
      while (end < tokens.size() && tokens[end].kind != TokenKind::Colon) ++end;
      Tokens statement = tokens.subspan(start, end - start);
      if (!statement.empty() && IsWord(statement[0], "If")) {
        std::size_t then = ThenOf(statement);
        // Anything after Then, even a colon, makes a single-line If; a comment does not.
        if (then < statement.size() && start + then + 1 < tokens.size()) {
          SingleLineIf(tokens.subspan(start + then + 1), line);
          return;
        }
      }
      if (!statement.empty()) Statement(statement, line);
      start = end + 1;
    }
  }

  // "If x Then a: b Else c": each part is a statement, a bare line number is a GoTo.
  void SingleLineIf(Tokens body, long line) {
    auto is_separator = [](Tokens tokens, std::size_t i) {
      return tokens[i].kind == TokenKind::Colon || IsKeywordAt(tokens, i, "Else");
    };
    for (Tokens part : SplitAt(body, is_separator)) {
      if (part.size() == 1 && part[0].kind == TokenKind::Number)
        JumpTo(part, line);
      else if (!part.empty() && IsWord(part[0], "If"))  // nested in this line: never a block
        Run(part.subspan(std::min(ThenOf(part) + 1, part.size())), line);
      else
        Run(part, line);
    }
  }

  static std::size_t ThenOf(Tokens statement) {
    std::size_t then = 1;
    while (then < statement.size() && !IsKeywordAt(statement, then, "Then")) ++then;
    return then;
  }

  void Statement(Tokens tokens, long line) {
    std::string_view end = EndOf(tokens);
    if (type_block_) {
      if (end == "Type" || end == "Enum") {
        if (end == type_block_->kind)
          type_block_.reset();
        else
          Report(line, "End " + std::string(end) + " without " + std::string(end));
        return;
      }
      bool procedure_edge = ProcedureStart(tokens) || end == "Sub" || end == "Function" || end == "Property";
      if (!procedure_edge) return;  // a member
      ReportOpenType();
      type_block_.reset();
    }
    if (std::optional<ProcedureHeader> header = ProcedureStart(tokens)) {
      if (procedure_) {
        Report(procedure_->line, Describe(procedure_->header) + " has no End " + procedure_->header.end_word);
        CloseProcedure();
      }
      procedure_ = Procedure{*header, line, {}, {}, {}};
      return;
    }
    if (end == "Sub" || end == "Function" || end == "Property") {
      if (!procedure_) {
        Report(line, "End " + std::string(end) + " without " + std::string(end));
        return;
      }
      if (end != procedure_->header.end_word)
        Report(line, Describe(procedure_->header) + " ends with End " + std::string(end));
      CloseProcedure();
      return;
    }
    if (std::optional<TypeBlock> type = TypeStart(tokens)) {
      type->line = line;
      if (procedure_) Report(line, type->kind + " " + type->name + " inside a procedure");
      type_block_ = type;
      return;
    }
    if (end == "Type" || end == "Enum") {
      Report(line, "End " + std::string(end) + " without " + std::string(end));
      return;
    }
    if (!procedure_) {
      if (!IsModuleDeclaration(tokens)) Report(line, "statement outside a procedure");
      return;
    }
    ProcedureStatement(tokens, end, line);
  }

  void ProcedureStatement(Tokens tokens, std::string_view end, long line) {
    if (end == "If" || end == "Select" || end == "With") {
      Close(end == "If" ? Block::If : end == "Select" ? Block::Select : Block::With, line);
      return;
    }
    if (tokens[0].kind != TokenKind::Word) return;
    std::string_view word = tokens[0].text;
    if (EqualsNoCase(word, "If")) {
      Open(Block::If, line);
    } else if (EqualsNoCase(word, "ElseIf")) {
      if (!Inside(Block::If)) Report(line, "ElseIf without block If");
    } else if (EqualsNoCase(word, "Else")) {
      if (!Inside(Block::If)) Report(line, "Else without block If");
      Run(tokens.subspan(1), line);
    } else if (EqualsNoCase(word, "For")) {
      std::size_t counter = IsWordAt(tokens, 1, "Each") ? 2 : 1;
      Open(Block::For, line, counter < tokens.size() ? WithoutTypeSuffix(tokens[counter].text) : std::string());
    } else if (EqualsNoCase(word, "Next")) {
      Next(tokens.subspan(1), line);
    } else if (EqualsNoCase(word, "Do")) {
      Open(Block::Do, line);
    } else if (EqualsNoCase(word, "Loop")) {
      Close(Block::Do, line);
    } else if (EqualsNoCase(word, "While")) {
      Open(Block::While, line);
    } else if (EqualsNoCase(word, "Wend")) {
      Close(Block::While, line);
    } else if (EqualsNoCase(word, "Select") && IsWordAt(tokens, 1, "Case")) {
      Open(Block::Select, line);
    } else if (EqualsNoCase(word, "Case")) {
      if (!Inside(Block::Select)) Report(line, "Case without Select Case");
    } else if (EqualsNoCase(word, "With")) {
      Open(Block::With, line);
    } else if (EqualsNoCase(word, "GoTo") || EqualsNoCase(word, "GoSub")) {
      JumpTo(tokens.subspan(1), line);
    } else if (EqualsNoCase(word, "Resume")) {
      Tokens target = tokens.subspan(1);
      bool needs_label = target.size() == 1 && !IsWord(target[0], "Next") && target[0].text != "0";
      if (needs_label) JumpTo(target, line);
    } else if (EqualsNoCase(word, "On")) {
      OnStatement(tokens, line);
    }
  }

  // "On Error GoTo Handler", "On Local Error GoTo 100", "On Index GoSub A, B, 300".
  void OnStatement(Tokens tokens, long line) {
    std::size_t go = 1;
    while (go < tokens.size() && !IsWord(tokens[go], "GoTo") && !IsWord(tokens[go], "GoSub")) ++go;
    if (go >= tokens.size()) return;
    Tokens targets = tokens.subspan(go + 1);
    bool on_error = IsWordAt(tokens, 1, "Error") || (IsWordAt(tokens, 1, "Local") && IsWordAt(tokens, 2, "Error"));
    if (on_error) {
      bool switch_off = (targets.size() == 1 && targets[0].text == "0") ||
                        (targets.size() == 2 && IsSymbol(targets[0], "-") && targets[1].text == "1");
      if (!switch_off) JumpTo(targets, line);
      return;
    }
    auto is_comma = [](Tokens list, std::size_t i) { return IsSymbol(list[i], ","); };
    for (Tokens target : SplitAt(targets, is_comma)) JumpTo(target, line);
  }

  void Open(Block kind, long line, std::string variable = {}) {
    procedure_->blocks.push_back({kind, line, std::move(variable)});
  }

  bool Inside(Block kind) const { return !procedure_->blocks.empty() && procedure_->blocks.back().kind == kind; }

  // Closes the innermost open block of `kind`; blocks opened inside it and left open are
  // reported. Returns the block closed, or nothing when none of that kind is open.
  std::optional<OpenBlock> Close(Block kind, long line) {
    std::vector<OpenBlock>& blocks = procedure_->blocks;
    auto found = std::find_if(blocks.rbegin(), blocks.rend(), [&](const OpenBlock& b) { return b.kind == kind; });
    if (found == blocks.rend()) {
      BlockWords words = WordsOf(kind);
      Report(line, std::string(words.closer) + " without " + std::string(words.stray_opener));
      return std::nullopt;
    }
    std::size_t index = static_cast<std::size_t>(blocks.rend() - found) - 1;
    for (std::size_t i = index + 1; i < blocks.size(); ++i) ReportUnclosed(blocks[i]);
    OpenBlock closed = blocks[index];
    blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(index), blocks.end());
    return closed;
  }

  // "Next", "Next i", "Next j, i": each counter named closes one For and must be its counter.
  void Next(Tokens counters, long line) {
    if (counters.empty()) {
      Close(Block::For, line);
      return;
    }
    auto is_comma = [](Tokens list, std::size_t i) { return IsSymbol(list[i], ","); };
    for (Tokens counter : SplitAt(counters, is_comma)) {
      std::optional<OpenBlock> closed = Close(Block::For, line);
      if (!closed || counter.empty()) continue;
      std::string name = WithoutTypeSuffix(counter[0].text);
      if (!closed->variable.empty() && !EqualsNoCase(name, closed->variable))
        Report(line, "Next " + name + " does not match For " + closed->variable);
    }
  }

  void ReportUnclosed(const OpenBlock& block) {
    BlockWords words = WordsOf(block.kind);
    Report(block.line, std::string(words.opener) + " without " + std::string(words.closer));
  }

  void CloseProcedure() {
    for (const OpenBlock& block : procedure_->blocks) ReportUnclosed(block);
    for (const Jump& jump : procedure_->jumps)
      if (!procedure_->labels.count(jump.target))
        Report(jump.line, (jump.line_number ? "line number " : "label ") + jump.target + " not defined in " +
                              procedure_->header.name);
    procedure_.reset();
  }

  const std::string& component_;
  std::vector<Token> tokens_;  // the current line's, kept for its storage
  std::vector<StructureProblem> problems_;
  std::optional<Procedure> procedure_;
  std::optional<TypeBlock> type_block_;
  std::vector<Conditional> conditionals_;
  int run_depth_ = 0;
  Constants constants_{{"Win32", -1}, {"Win16", 0}};
};

}  // namespace

std::vector<StructureProblem> CheckStructure(CodeModule& module, const std::string& component_name) {
  Checker checker(component_name);
  long count = module.CountOfLines();
  for (long line = 1; line <= count; ++line) {
    long first = line;
    std::string text = module.Lines(line, 1);
    while (IsContinued(text) && line < count) {
      text.resize(WithoutContinuation(text).size());
      text += ' ';
      text += module.Lines(++line, 1);
    }
    checker.LogicalLine(text, first);
  }
  return checker.Finish();
}

std::vector<StructureProblem> CheckStructure(VBProject& project) {
  std::vector<StructureProblem> problems;
  for (int i = 1; i <= project.ComponentCount(); ++i) {
    VBComponent& component = project.Component(i);
    CodeModule* code = component.Code();
    if (!code) continue;
    std::vector<StructureProblem> found = CheckStructure(*code, component.Name());
    problems.insert(problems.end(), found.begin(), found.end());
  }
  return problems;
}

}  // namespace gildex::host
