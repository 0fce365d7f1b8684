#include "platform/vbscript/scanner.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/cp1252.h"
#include "platform/vbscript/errors.h"

namespace gildex::vbscript {
namespace {

bool IsLetter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalpha(u) || u >= 0xC0;  // accented letters of Windows-1252
}
bool IsIdentChar(char c) { return IsLetter(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '_'; }

class Scanner {
 public:
  explicit Scanner(std::string_view src) : src_(src) {}

  std::vector<Token> Run() {
    while (true) {
      SkipBlanks();
      if (pos_ >= src_.size()) break;
      const char c = src_[pos_];
      start_ = pos_;
      start_col_ = Column();
      if (c == '\'') { SkipComment(); continue; }
      if (c == '\r' || c == '\n') { Newline(); continue; }
      if (c == ':') { Push(TokenKind::Colon, ":"); ++pos_; continue; }
      if (c == '"') { String(); continue; }
      if (c == '#') { DateLiteral(); continue; }
      if (std::isdigit(static_cast<unsigned char>(c)) ||
          (c == '.' && pos_ + 1 < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_ + 1])) && !AfterOperand())) {
        Number();
        continue;
      }
      if (c == '&' && RadixAhead()) {
        RadixNumber();
        continue;
      }
      if (IsLetter(c)) { Identifier(); continue; }
      if (c == '[') { BracketIdentifier(); continue; }
      Operator();
    }
    start_col_ = Column();
    Push(TokenKind::End, "");
    return std::move(tokens_);
  }

 private:
  int Column() const { return static_cast<int>(pos_ - line_start_) + 1; }

  [[noreturn]] void Fail(int number) {
    ScriptError e;
    e.number = number;
    e.description = std::string(ErrorDescription(number));
    e.kind = ErrorKind::Compile;
    e.line = line_;
    e.column = Column();
    e.source = kCompileSource;
    throw ScriptException(std::move(e));
  }

  // `&H1F`, `&O17`, `&17`; `&hx` is the operator & before the name hx.
  bool RadixAhead() const {
    auto digit = [&](std::size_t p, int base) {
      if (p >= src_.size()) return false;
      char c = cp1252::ToUpper(src_[p]);
      int d = c >= '0' && c <= '9' ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99);
      return d < base;
    };
    if (pos_ + 1 >= src_.size()) return false;
    const char marker = cp1252::ToUpper(src_[pos_ + 1]);
    if (marker == 'H') return digit(pos_ + 2, 16);
    if (marker == 'O') return digit(pos_ + 2, 8);
    return digit(pos_ + 1, 8);
  }

  bool AfterOperand() const {
    if (tokens_.empty()) return false;
    const Token& t = tokens_.back();
    return (t.kind == TokenKind::Identifier || t.IsOp(")")) && start_ == last_end_;
  }

  void Push(TokenKind kind, std::string text) {
    Token t;
    t.kind = kind;
    t.text = std::move(text);
    t.line = line_;
    t.column = start_col_;
    t.space_before = start_ != last_end_;
    tokens_.push_back(std::move(t));
    last_end_ = pos_ + (kind == TokenKind::Colon ? 1 : 0);
  }

  void SkipBlanks() {
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      if (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\0') { ++pos_; continue; }
      if (c == '_' && (pos_ + 1 >= src_.size() || IsContinuationEnd(pos_ + 1))) {
        ++pos_;
        while (pos_ < src_.size() && (src_[pos_] == ' ' || src_[pos_] == '\t')) ++pos_;
        if (pos_ < src_.size()) EndLine();
        continue;
      }
      break;
    }
  }

  bool IsContinuationEnd(std::size_t p) const {
    while (p < src_.size() && (src_[p] == ' ' || src_[p] == '\t')) ++p;
    return p >= src_.size() || src_[p] == '\r' || src_[p] == '\n';
  }

  void EndLine() {
    if (src_[pos_] == '\r' && pos_ + 1 < src_.size() && src_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
    line_start_ = pos_;
  }

  void Newline() {
    Push(TokenKind::Newline, "\n");
    EndLine();
    last_end_ = pos_;
  }

  void SkipComment() {
    while (pos_ < src_.size() && src_[pos_] != '\r' && src_[pos_] != '\n') ++pos_;
  }

  void String() {
    std::string text;
    ++pos_;
    while (true) {
      if (pos_ >= src_.size() || src_[pos_] == '\r' || src_[pos_] == '\n') Fail(1033);
      if (src_[pos_] == '"') {
        if (pos_ + 1 < src_.size() && src_[pos_ + 1] == '"') {
          text += '"';
          pos_ += 2;
          continue;
        }
        ++pos_;
        break;
      }
      text += src_[pos_++];
    }
    Push(TokenKind::String, text);
    tokens_.back().value = Variant::Str(std::move(text));
  }

  void DateLiteral() {
    std::size_t close = pos_ + 1;
    while (close < src_.size() && src_[close] != '#' && src_[close] != '\r' && src_[close] != '\n') ++close;
    if (close >= src_.size() || src_[close] != '#') Fail(1032);
    std::string_view body = src_.substr(pos_ + 1, close - pos_ - 1);
    double date;
    if (!ParseDate(body, date)) Fail(1031);
    pos_ = close + 1;
    Push(TokenKind::Date, std::string(body));
    tokens_.back().value = Variant::Date(date);
  }

  void Number() {
    std::size_t begin = pos_;
    bool is_float = false;
    while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
    if (pos_ < src_.size() && src_[pos_] == '.') {
      is_float = true;
      ++pos_;
      while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
    }
    if (pos_ < src_.size() && (src_[pos_] == 'e' || src_[pos_] == 'E')) {
      std::size_t save = pos_++;
      if (pos_ < src_.size() && (src_[pos_] == '+' || src_[pos_] == '-')) ++pos_;
      if (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) {
        is_float = true;
        while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
      } else {
        pos_ = save;
      }
    }
    if (pos_ < src_.size() && IsLetter(src_[pos_])) Fail(1025);
    std::string text(src_.substr(begin, pos_ - begin));
    double x = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(x)) Fail(1031);
    Push(TokenKind::Number, text);
    if (!is_float && x <= 2147483647.0) tokens_.back().value = Variant::Int(static_cast<std::int64_t>(x));
    else tokens_.back().value = Variant::Double(x);
  }

  void RadixNumber() {
    std::size_t begin = pos_;
    ++pos_;
    int base = 8;
    char marker = cp1252::ToUpper(src_[pos_]);
    if (marker == 'H') { base = 16; ++pos_; }
    else if (marker == 'O') { ++pos_; }
    std::uint64_t n = 0;
    int digits = 0;
    while (pos_ < src_.size()) {
      char c = cp1252::ToUpper(src_[pos_]);
      int d = c >= '0' && c <= '9' ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99);
      if (d >= base) break;
      n = n * base + d;
      if (n > 0xFFFFFFFFull) Fail(1031);
      ++digits;
      ++pos_;
    }
    if (!digits) Fail(1031);
    const bool long_suffix = pos_ < src_.size() && src_[pos_] == '&';
    if (long_suffix) ++pos_;
    Push(TokenKind::Number, std::string(src_.substr(begin, pos_ - begin)));
    if (long_suffix) tokens_.back().value = Variant::Long(static_cast<std::int32_t>(n));
    else if (n <= 0xFFFF) tokens_.back().value = Variant::Integer(static_cast<std::int16_t>(n));
    else tokens_.back().value = Variant::Int(static_cast<std::int32_t>(n));
  }

  void Identifier() {
    std::size_t begin = pos_;
    while (pos_ < src_.size() && IsIdentChar(src_[pos_])) ++pos_;
    if (pos_ - begin > 255) Fail(1030);
    std::string text(src_.substr(begin, pos_ - begin));
    std::string upper = cp1252::Upper(text);
    if (upper == "REM" && StatementStart()) {
      SkipComment();
      return;
    }
    Push(TokenKind::Identifier, std::move(text));
    tokens_.back().upper = std::move(upper);
  }

  bool StatementStart() const {
    return tokens_.empty() || tokens_.back().kind == TokenKind::Newline || tokens_.back().kind == TokenKind::Colon ||
           tokens_.back().Is("THEN") || tokens_.back().Is("ELSE");
  }

  void BracketIdentifier() {
    std::size_t close = pos_ + 1;
    while (close < src_.size() && src_[close] != ']' && src_[close] != '\r' && src_[close] != '\n') ++close;
    if (close >= src_.size() || src_[close] != ']') Fail(1007);
    std::string text(src_.substr(pos_ + 1, close - pos_ - 1));
    pos_ = close + 1;
    Push(TokenKind::Identifier, text);
    tokens_.back().upper = cp1252::Upper(text);
  }

  void Operator() {
    const char c = src_[pos_];
    const char next = pos_ + 1 < src_.size() ? src_[pos_ + 1] : '\0';
    // Built in a buffer: GCC 12 at -O3 warns falsely about a std::string grown here.
    char op[2] = {c, '\0'};
    std::size_t size = 1;
    if ((c == '<' && (next == '>' || next == '=')) || (c == '>' && next == '=')) {
      op[1] = next;
      size = 2;
    } else if (c == '>' && next == '<') {
      op[0] = '<';
      op[1] = '>';
      size = 2;
    } else if (c == '=' && (next == '<' || next == '>')) {  // =< and => mean <= and >=
      op[0] = next;
      op[1] = '=';
      size = 2;
    } else if (std::string_view("()+-*/\\^&=<>,.").find(c) == std::string_view::npos) {
      Fail(1032);
    }
    pos_ += size;
    Push(TokenKind::Operator, std::string(op, size));
  }

  std::string_view src_;
  std::size_t pos_ = 0, start_ = 0, line_start_ = 0, last_end_ = 0;
  int line_ = 1, start_col_ = 1;
  std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Scan(std::string_view source) { return Scanner(source).Run(); }

std::string SourceLine(std::string_view source, int line) {
  std::size_t pos = 0;
  for (int l = 1; l < line; ++l) {
    std::size_t nl = source.find_first_of("\r\n", pos);
    if (nl == std::string_view::npos) return {};
    pos = nl + ((source[nl] == '\r' && nl + 1 < source.size() && source[nl + 1] == '\n') ? 2 : 1);
  }
  std::size_t end = source.find_first_of("\r\n", pos);
  return std::string(source.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
}

}  // namespace gildex::vbscript
