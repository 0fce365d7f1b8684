#pragma once
// One reading of a line of Basic source for everything that scans code: the structural check,
// keyword case, the code window's colours, the code module's procedure and member scans and
// the control prefixer. Tokens are views into the line, so a scan allocates nothing.
#include <cstddef>
#include <string_view>

namespace gildex::host {

enum class TokenKind {
  Word,       // a name or keyword, with its type suffix if any ("Left$", "x%")
  Bracketed,  // "[any name]", brackets included
  Number,     // "10", "1.5E3", "5#", "&HFF&"
  String,     // "\"a \"\"b\"\"\"", quotes included; an unclosed one runs to the line's end
  Date,       // "#1/2/2003#", "#12:30 PM#"
  Colon,      // ":" ending a statement (not the one of ":=")
  Symbol,     // any other character, or one of ":=", "<>", "<=", ">="
  Comment,    // from "'" or a statement's "Rem" to the line's end
};

struct Token {
  TokenKind kind;
  std::size_t at;  // where the token starts in the line
  std::string_view text;

  bool Is(TokenKind k, std::string_view word) const;  // kind and text, letter case aside
  // A word without its type suffix ("Date$" is Date); any other token as it is.
  std::string_view Name() const;
};

// Reads one line: a physical one, or a logical one whose continued lines the caller joined.
// Blanks and control bytes between tokens are skipped. "Rem" starts a comment only where a
// statement starts (after a line number, a ":", Then or Else), so "Remark" and "x.Rem" are names.
class BasicLexer {
 public:
  // `in_comment`: the line carries on a comment continued from the line above.
  explicit BasicLexer(std::string_view line, bool in_comment = false);

  // The next token into `token`; false at the end of the line.
  bool Next(Token& token);
  // After the last token: the line ends in a comment that goes on in the next line.
  bool CommentGoesOn() const { return comment_goes_on_; }
  // True before a token that starts a statement.
  bool AtStatementStart() const { return statement_start_; }

 private:
  std::size_t Scan(char c);  // the end of the token that starts at `pos_` with `c`

  std::string_view line_;
  std::size_t pos_ = 0;
  bool statement_start_ = true;
  bool first_ = true;
  bool comment_goes_on_ = false;
  TokenKind kind_ = TokenKind::Symbol;
};

// A letter, digit, underscore or byte above 127: part of a Basic name. Inline: the lexer asks
// it of every byte of every name.
inline bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
// A line ending in " _" goes on in the next one (a comment too, as VB reads it).
bool IsContinued(std::string_view line);
// A continued line without its " _", for joining a logical line.
std::string_view WithoutContinuation(std::string_view line);
// A line that is only a comment, or blanks then one.
bool IsCommentLine(std::string_view line);

}  // namespace gildex::host
