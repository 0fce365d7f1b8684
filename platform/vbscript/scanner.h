#pragma once
// Turns script text into tokens with their line and column; comments and line
// continuations disappear here.
#include <string>
#include <string_view>
#include <vector>

#include "platform/vbscript/value.h"

namespace gildex::vbscript {

enum class TokenKind { Identifier, Number, String, Date, Operator, Newline, Colon, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;   // as written (identifiers without brackets, operators as written)
  std::string upper;  // identifiers upper-cased, for keyword tests
  Variant value;      // literals
  int line = 1;
  int column = 1;
  bool space_before = false;  // `Foo (x)` passes x by value: the parser needs the blank
  bool Is(std::string_view word) const { return kind == TokenKind::Identifier && upper == word; }
  bool IsOp(std::string_view op) const { return kind == TokenKind::Operator && text == op; }
};

// Throws ScriptException (compile error) for an invalid character, an unterminated string
// or a malformed number.
std::vector<Token> Scan(std::string_view source);

// Line `line` (1-based) of the source, without its line end.
std::string SourceLine(std::string_view source, int line);

}  // namespace gildex::vbscript
