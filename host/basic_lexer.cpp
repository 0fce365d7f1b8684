#include "host/basic_lexer.h"

#include <algorithm>
#include <initializer_list>

#include "platform/cp1252.h"

namespace gildex::host {
namespace {

using cp1252::EqualsNoCase;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Letters of Windows-1252 above 0x7F are allowed in VB names.
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
}
bool IsTypeSuffix(char c) { return c == '%' || c == '&' || c == '!' || c == '#' || c == '@' || c == '$'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool IsAnyOf(std::string_view word, std::initializer_list<std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return EqualsNoCase(word, w); });
}

bool IsDateWord(std::string_view word) {
  return IsAnyOf(word, {"AM", "PM", "A", "P", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Sept",
                        "Oct", "Nov", "Dec", "January", "February", "March", "April", "June", "July", "August",
                        "September", "October", "November", "December"});
}

// "#1/2/2003#" and "#12:30:00 PM#" are date literals; the text between two file numbers
// ("Close #1: Print #") is not, and its colon still ends a statement.
bool IsDateLiteral(std::string_view inner) {
  bool digit = false;
  for (std::size_t i = 0; i < inner.size();) {
    const char c = inner[i];
    if (IsDigit(c)) {
      digit = true;
      ++i;
    } else if (IsBlank(c) || c == '/' || c == '-' || c == ':' || c == '.' || c == ',') {
      ++i;
    } else if (IsLetter(c)) {
      const std::size_t start = i;
      while (i < inner.size() && IsLetter(inner[i])) ++i;
      if (!IsDateWord(inner.substr(start, i - start))) return false;
    } else {
      return false;
    }
  }
  return digit;
}

// Past a type suffix at `i` that ends a name or number ("x%", not the bang of "rs!Name").
std::size_t PastSuffix(std::string_view line, std::size_t i) {
  if (i < line.size() && IsTypeSuffix(line[i]) && (i + 1 == line.size() || !IsWordChar(line[i + 1]))) ++i;
  return i;
}

}  // namespace

bool Token::Is(TokenKind k, std::string_view word) const { return kind == k && EqualsNoCase(text, word); }

std::string_view Token::Name() const {
  if (kind == TokenKind::Word && text.size() > 1 && IsTypeSuffix(text.back())) return text.substr(0, text.size() - 1);
  return text;
}

bool IsContinued(std::string_view line) {
  std::size_t i = line.size();
  while (i > 0 && IsBlank(line[i - 1])) --i;
  return i > 0 && line[i - 1] == '_' && (i == 1 || IsBlank(line[i - 2]));
}

std::string_view WithoutContinuation(std::string_view line) {
  std::size_t i = line.size();
  while (i > 0 && IsBlank(line[i - 1])) --i;
  return line.substr(0, i == 0 ? 0 : i - 1);
}

bool IsCommentLine(std::string_view line) {
  BasicLexer lexer(line);
  Token token;
  return lexer.Next(token) && token.kind == TokenKind::Comment;
}

BasicLexer::BasicLexer(std::string_view line, bool in_comment) : line_(line) {
  if (!in_comment) return;
  // The whole line belongs to the comment above; an empty one yields no token.
  kind_ = TokenKind::Comment;
  statement_start_ = false;
}

bool BasicLexer::Next(Token& token) {
  if (kind_ == TokenKind::Comment) {
    if (pos_ >= line_.size()) return false;
  } else {
    while (pos_ < line_.size() && (IsBlank(line_[pos_]) || static_cast<unsigned char>(line_[pos_]) < 0x20)) ++pos_;
    if (pos_ >= line_.size()) return false;
  }
  const std::size_t start = pos_;
  pos_ = kind_ == TokenKind::Comment ? line_.size() : Scan(line_[start]);
  token = {kind_, start, line_.substr(start, pos_ - start)};
  if (kind_ == TokenKind::Comment) {
    comment_goes_on_ = IsContinued(line_);
    pos_ = line_.size();
  }
  // A line number keeps the statement's start; Then and Else open one.
  const bool line_number = kind_ == TokenKind::Number && first_;
  statement_start_ = kind_ == TokenKind::Colon || line_number ||
                     (kind_ == TokenKind::Word && token.text.size() == 4 && IsAnyOf(token.text, {"Then", "Else"}));
  first_ = false;
  return true;
}

std::size_t BasicLexer::Scan(char c) {
  std::size_t i = pos_;
  const std::size_t size = line_.size();
  const char next = i + 1 < size ? line_[i + 1] : '\0';
  if (c == '\'') {
    kind_ = TokenKind::Comment;
    return size;
  }
  if (c == '"') {
    kind_ = TokenKind::String;
    for (++i; i < size; ++i) {
      if (line_[i] != '"') continue;
      if (i + 1 < size && line_[i + 1] == '"') {
        ++i;
        continue;
      }
      return i + 1;
    }
    return size;
  }
  if (c == '[') {
    kind_ = TokenKind::Bracketed;
    const std::size_t close = line_.find(']', i + 1);
    return close == std::string_view::npos ? size : close + 1;
  }
  if (IsLetter(c) || c == '_') {
    while (i < size && IsWordChar(line_[i])) ++i;
    kind_ = statement_start_ && i - pos_ == 3 && EqualsNoCase(line_.substr(pos_, 3), "Rem") ? TokenKind::Comment
                                                                                             : TokenKind::Word;
    return kind_ == TokenKind::Comment ? size : PastSuffix(line_, i);
  }
  kind_ = TokenKind::Number;
  if (IsDigit(c) || (c == '.' && IsDigit(next))) {
    while (i < size && (IsWordChar(line_[i]) || line_[i] == '.')) ++i;
    return i < size && IsTypeSuffix(line_[i]) ? i + 1 : i;
  }
  if (c == '&' && (next == 'H' || next == 'h' || next == 'O' || next == 'o') && i + 2 < size &&
      IsHexDigit(line_[i + 2])) {
    for (i += 2; i < size && IsHexDigit(line_[i]);) ++i;
    return i < size && (line_[i] == '&' || line_[i] == '%') ? i + 1 : i;
  }
  if (c == '#') {
    const std::size_t close = line_.find('#', i + 1);
    if (close != std::string_view::npos && IsDateLiteral(line_.substr(i + 1, close - i - 1))) {
      kind_ = TokenKind::Date;
      return close + 1;
    }
  }
  if (c == ':' && next != '=') {
    kind_ = TokenKind::Colon;
    return i + 1;
  }
  kind_ = TokenKind::Symbol;
  const bool pair = (c == ':' && next == '=') || (c == '<' && (next == '>' || next == '=')) || (c == '>' && next == '=');
  return i + (pair ? 2 : 1);
}

}  // namespace gildex::host
