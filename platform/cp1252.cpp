#include "platform/cp1252.h"
#include "platform/utf8.h"

#include <fmt/core.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace gildex::cp1252 {
namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  constexpr CaseTables() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
    auto pair = [this](int up, int low) {
      upper[low] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(low);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    pair(0x8A, 0x9A);  // S caron
    pair(0x8C, 0x9C);  // OE
    pair(0x8E, 0x9E);  // Z caron
    pair(0x9F, 0xFF);  // Y diaeresis
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) pair(c, c + 32);  // Latin-1 letters; 0xD7 is the multiplication sign
  }
};

// Built at compile time: the case tests run for every byte of every line a pass reads.
constexpr CaseTables kTables;

inline unsigned char LowerByte(char c) { return kTables.lower[static_cast<unsigned char>(c)]; }

// Unicode code points of 0x80..0x9F; 0 where the code page leaves the byte undefined.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};


}  // namespace

char ToUpper(char c) { return static_cast<char>(kTables.upper[static_cast<unsigned char>(c)]); }
char ToLower(char c) { return static_cast<char>(LowerByte(c)); }

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToUpper(c);
  return out;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLower(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerByte(a[i]) != LowerByte(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
  if (hay.size() < needle.size() || from > hay.size() - needle.size()) return std::string_view::npos;
  // The first byte is looked for in both its cases with memchr; only there is the rest compared.
  const auto lower = static_cast<char>(LowerByte(needle[0]));
  const auto upper = static_cast<char>(kTables.upper[static_cast<unsigned char>(lower)]);
  const std::string_view rest = needle.substr(1);
  const char* const base = hay.data();
  const char* const end = base + (hay.size() - needle.size()) + 1;  // one past the last possible start
  const auto next = [end](const char* at, char c) -> const char* {
    const void* found = std::memchr(at, c, static_cast<std::size_t>(end - at));
    return found != nullptr ? static_cast<const char*>(found) : end;
  };
  const char* next_lower = next(base + from, lower);
  const char* next_upper = upper == lower ? end : next(base + from, upper);
  while (next_lower != end || next_upper != end) {
    const char* at = std::min(next_lower, next_upper);
    const char* tail = at + 1;
    std::size_t i = 0;
    while (i < rest.size() && LowerByte(tail[i]) == LowerByte(rest[i])) ++i;
    if (i == rest.size()) return static_cast<std::size_t>(at - base);
    if (at == next_lower) next_lower = next(at + 1, lower);
    if (at == next_upper) next_upper = next(at + 1, upper);
  }
  return std::string_view::npos;
}

bool LessNoCase::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return LowerByte(x) < LowerByte(y);
  });
}

std::string ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    unsigned cp = b;
    if (b >= 0x80 && b < 0xA0) cp = kHigh[b - 0x80] ? kHigh[b - 0x80] : 0xFFFD;
    utf8::Append(out, cp);
  }
  return out;
}

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || at + length > text.size() || lead >= 0xF8) return std::nullopt;
  char32_t code_point = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code_point = (code_point << 6) | (next & 0x3F);
  }
  at += length;
  return code_point;
}

std::optional<char> FromUnicode(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<char>(code_point);
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] != 0 && kHigh[i] == code_point) return static_cast<char>(0x80 + i);
  return std::nullopt;
}

std::string ToDisplay(std::string_view text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if ((static_cast<unsigned char>(text[i]) < 0x20 && text[i] != '\n' && text[i] != '\t') || text[i] == '\x7f') {
      // A control character from a file name or a file must not drive the terminal.
      lines += fmt::format("\\x{:02X}", static_cast<unsigned char>(text[i]));
    } else {
      lines += text[i];
    }
  }
  return ToUtf8(lines);
}

}  // namespace gildex::cp1252

namespace gildex::utf8 {

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace gildex::utf8
