#pragma once
// The code page of the source text. VB6 wrote a project in the ANSI code page of the Windows
// it ran on: Windows-1252 mostly, 1250 (Central European), 1251 (Cyrillic), 1253 (Greek)...
// elsewhere. Text stays as bytes everywhere; only what is shown (terminal, JSON, windows, the
// language server) is decoded, and what a user types encoded, in the code page in use: the
// conversions of cp1252.h follow it (through the C library's iconv). The letter-case rules
// stay Windows-1252's, and Gildex's own files (the registry file) are always Windows-1252.
#include <optional>

namespace gildex::cp1252 {

inline constexpr int kDefaultCodePage = 1252;
// Whether `code_page` is a single-byte Windows ANSI code page (874, 1250 to 1258) that the
// system's iconv converts.
bool CodePageSupported(int code_page);
// ToUtf8, ToDisplay and FromUnicode decode and encode in `code_page` from now on, for the
// whole process; an unsupported one is refused (false) and the one in use stays.
bool UseCodePage(int code_page);
int CurrentCodePage();
// The Unicode code point of a byte in the code page in use; nothing where it has none.
std::optional<char32_t> CodePoint(char byte);
// The byte of a code point in a given code page; nothing when it has no such character.
std::optional<char> FromUnicode(char32_t code_point, int code_page);

}  // namespace gildex::cp1252
