#include "platform/cp1252.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

#include <fmt/core.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

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

// Each byte's code point in one code page; kNone where the page has none.
constexpr char32_t kNone = 0xFFFFFFFF;
struct CodePageTable {
  int code_page = kDefaultCodePage;
  std::array<char32_t, 256> code_points{};
};

std::unique_ptr<CodePageTable> Windows1252() {
  auto table = std::make_unique<CodePageTable>();
  for (int b = 0; b < 256; ++b) {
    const bool high = b >= 0x80 && b < 0xA0;
    table->code_points[b] = !high ? static_cast<char32_t>(b) : kHigh[b - 0x80] ? kHigh[b - 0x80] : kNone;
  }
  return table;
}

// The upper half through the C library's iconv, a byte at a time: every supported page is
// single-byte, and the flush after each byte lets out what a composing page (1255, 1258)
// holds back. Null when iconv does not know the page.
std::unique_ptr<CodePageTable> FromIconv(int code_page) {
  const std::string name = "CP" + std::to_string(code_page);
  iconv_t converter = iconv_open("UTF-32LE", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) return nullptr;
  auto table = std::make_unique<CodePageTable>();
  table->code_page = code_page;
  for (int b = 0; b < 256; ++b) {
    table->code_points[b] = b < 0x80 ? static_cast<char32_t>(b) : kNone;
    if (b < 0x80) continue;
    char in = static_cast<char>(b);
    unsigned char out[16] = {};
    char* in_at = &in;
    char* out_at = reinterpret_cast<char*>(out);
    std::size_t in_left = 1, out_left = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    const bool converted = iconv(converter, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1) &&
                           iconv(converter, nullptr, nullptr, &out_at, &out_left) != static_cast<std::size_t>(-1);
    if (converted && sizeof out - out_left == 4)
      table->code_points[b] = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
  }
  iconv_close(converter);
  return table;
}

bool WindowsAnsi(int code_page) { return code_page == 874 || (code_page >= 1250 && code_page <= 1258); }

// Tables are made once and kept for the life of the process, so that a reader holding the
// one in use never sees it go.
std::mutex g_tables_mutex;
std::map<int, std::unique_ptr<CodePageTable>>& Tables() {
  static std::map<int, std::unique_ptr<CodePageTable>> tables = [] {
    std::map<int, std::unique_ptr<CodePageTable>> made;
    made.emplace(kDefaultCodePage, Windows1252());
    return made;
  }();
  return tables;
}

const CodePageTable* TableOf(int code_page) {
  if (!WindowsAnsi(code_page)) return nullptr;
  std::lock_guard<std::mutex> lock(g_tables_mutex);
  auto& tables = Tables();
  auto found = tables.find(code_page);
  if (found == tables.end()) found = tables.emplace(code_page, FromIconv(code_page)).first;
  return found->second.get();
}

std::atomic<const CodePageTable*> g_current{nullptr};

const CodePageTable& Current() {
  const CodePageTable* table = g_current.load(std::memory_order_acquire);
  if (table == nullptr) {
    table = TableOf(kDefaultCodePage);
    g_current.store(table, std::memory_order_release);
  }
  return *table;
}

std::optional<char> ByteOf(const CodePageTable& table, char32_t code_point) {
  if (code_point < 0x80) return static_cast<char>(code_point);
  for (int b = 0x80; b < 256; ++b)
    if (table.code_points[b] == code_point) return static_cast<char>(b);
  return std::nullopt;
}

}  // namespace

bool CodePageSupported(int code_page) { return TableOf(code_page) != nullptr; }

bool UseCodePage(int code_page) {
  const CodePageTable* table = TableOf(code_page);
  if (table == nullptr) return false;
  g_current.store(table, std::memory_order_release);
  return true;
}

int CurrentCodePage() { return Current().code_page; }

std::optional<char32_t> CodePoint(char byte) {
  const char32_t code_point = Current().code_points[static_cast<unsigned char>(byte)];
  if (code_point == kNone) return std::nullopt;
  return code_point;
}

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
  const CodePageTable& table = Current();
  for (char ch : bytes) {
    const char32_t cp = table.code_points[static_cast<unsigned char>(ch)];
    utf8::Append(out, cp == kNone ? char32_t{0xFFFD} : cp);
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

std::optional<char> FromUnicode(char32_t code_point) { return ByteOf(Current(), code_point); }

std::optional<char> FromUnicode(char32_t code_point, int code_page) {
  const CodePageTable* table = TableOf(code_page);
  return table != nullptr ? ByteOf(*table, code_point) : std::nullopt;
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
