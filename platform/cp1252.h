#pragma once
// Windows-1252 is the byte encoding of VB6 source. Text stays as bytes everywhere;
// these helpers give the letter-case rules of that code page (VB's own LCase/UCase
// and its case-insensitive comparisons) and a conversion for display only.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace gildex::cp1252 {

char ToUpper(char c);
char ToLower(char c);
std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Position of needle in hay at or after `from`, ignoring letter case; npos when absent.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0);
// A total order ignoring letter case, for sorted containers keyed by VB names.
struct LessNoCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};
// For terminals and logs only: never write the result back into a source file.
std::string ToUtf8(std::string_view bytes);
// Text the add-in shows in a box or window (lines separated by CR LF or CR) as a terminal
// wants it: line feeds and UTF-8, other control characters (ESC, BEL, NUL...) written as "\x1B".
std::string ToDisplay(std::string_view text);
// The byte of a Unicode code point, for reading files that Windows wrote in UTF-16;
// nothing when the code page has no such character.
std::optional<char> FromUnicode(char32_t code_point);
// The code point of the UTF-8 sequence at `at`, moving `at` past it; nothing (and `at` left
// where it was) when the bytes there are no UTF-8.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& at);

}  // namespace gildex::cp1252
