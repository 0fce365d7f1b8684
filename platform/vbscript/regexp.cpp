#include "platform/vbscript/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "platform/cp1252.h"
#include "platform/vbscript/errors.h"

namespace gildex::vbscript {
namespace {

// The number keeps VBScript's meaning (what Err.Number and Err.Description show); the host's
// message also says what exactly was wrong.
[[noreturn]] void ThrowRegex(int number, const std::string& detail) {
  ScriptError e;
  e.number = number;
  e.err_description = std::string(ErrorDescription(number));
  e.description = e.err_description + ": " + detail;
  e.source = kRuntimeSource;
  throw ScriptException(std::move(e));
}

// Scripts hold Windows-1252 bytes, a pattern names characters by their Unicode code
// (\u20AC is the euro sign, byte 0x80). The five bytes the code page leaves undefined stand
// for the control characters of the same number, as Windows converts them.
const std::array<char32_t, 256>& CodePoints() {
  static const std::array<char32_t, 256> table = [] {
    std::array<char32_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
      std::string utf8 = cp1252::ToUtf8(std::string(1, static_cast<char>(b)));
      std::size_t at = 0;
      auto cp = cp1252::NextUtf8(utf8, at);
      t[b] = cp && *cp != 0xFFFD ? *cp : static_cast<char32_t>(b);
    }
    return t;
  }();
  return table;
}

int ByteOf(char32_t code_point) {
  const auto& cps = CodePoints();
  for (int b = 0; b < 256; ++b)
    if (cps[b] == code_point) return b;
  return -1;
}

using ByteSet = std::bitset<256>;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Hex(int b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x{%02x}", b);
  return buf;
}

// The translation, one rule of the JScript grammar at a time. Every literal character goes
// out as \x{hh}, every class as the bytes it holds, so what PCRE2 sees means one thing only.
class Translator {
 public:
  Translator(std::string_view pattern, bool ignore_case, bool multiline)
      : p_(pattern), ignore_case_(ignore_case), multiline_(multiline), groups_(CountGroups(pattern)) {}

  std::string Run() {
    bool can_repeat = false;  // an atom was just written
    while (at_ < p_.size()) {
      const char c = p_[at_];
      if (c == '*' || c == '+' || c == '?' || (c == '{' && BraceQuantifier())) {
        if (!can_repeat) ThrowRegex(5018, "nothing to repeat at offset " + std::to_string(at_));
        Quantifier();
        can_repeat = false;
        continue;
      }
      ++at_;
      can_repeat = true;
      switch (c) {
        case '\\': can_repeat = Escape(); break;
        case '[': Class(); break;
        case '(':
          if (at_ < p_.size() && p_[at_] == '?') {
            const char kind = at_ + 1 < p_.size() ? p_[at_ + 1] : '\0';
            // Only (?: (?= (?!: the language has no lookbehind, named groups or options.
            if (kind != ':' && kind != '=' && kind != '!')
              ThrowRegex(5017, "unknown group (?" + std::string(1, kind) + " at offset " + std::to_string(at_ - 1));
            out_ += "(?";
            out_ += kind;
            at_ += 2;
          } else {
            out_ += '(';
          }
          can_repeat = false;
          break;
        case ')': out_ += ')'; break;
        case '|': out_ += '|'; can_repeat = false; break;
        case '.': out_ += "[^\\n\\r]"; break;
        case '^': out_ += multiline_ ? "(?<![^\\n\\r])" : "\\A"; can_repeat = false; break;
        case '$': out_ += multiline_ ? "(?![^\\n\\r])" : "\\z"; can_repeat = false; break;
        default: Literal(static_cast<unsigned char>(c)); break;
      }
    }
    return out_;
  }

 private:
  static std::size_t CountGroups(std::string_view p) {
    std::size_t n = 0;
    for (std::size_t k = 0; k < p.size(); ++k) {
      if (p[k] == '\\') {
        ++k;
      } else if (p[k] == '[') {
        for (++k; k < p.size() && p[k] != ']'; ++k)
          if (p[k] == '\\') ++k;
      } else if (p[k] == '(' && (k + 1 >= p.size() || p[k + 1] != '?')) {
        ++n;
      }
    }
    return n;
  }

  // {n}, {n,} or {n,m}; anything else is a literal brace.
  bool BraceQuantifier() const {
    std::size_t k = at_ + 1, digits = 0;
    while (k < p_.size() && std::isdigit(static_cast<unsigned char>(p_[k]))) ++k, ++digits;
    if (!digits) return false;
    if (k < p_.size() && p_[k] == ',') {
      ++k;
      while (k < p_.size() && std::isdigit(static_cast<unsigned char>(p_[k]))) ++k;
    }
    return k < p_.size() && p_[k] == '}';
  }

  void Quantifier() {
    if (p_[at_] == '{') {
      const std::size_t close = p_.find('}', at_);
      out_.append(p_.substr(at_, close - at_ + 1));
      at_ = close + 1;
    } else {
      out_ += p_[at_++];
    }
    if (at_ < p_.size() && p_[at_] == '?') out_ += p_[at_++];  // lazy
  }

  void AddCased(ByteSet& set, int b) const {
    set.set(static_cast<std::size_t>(b));
    if (!ignore_case_) return;
    const char c = static_cast<char>(b);
    set.set(static_cast<unsigned char>(cp1252::ToLower(c)));
    set.set(static_cast<unsigned char>(cp1252::ToUpper(c)));
  }

  void Literal(int b) {
    if (b < 0) {  // a character no Windows-1252 text holds
      out_ += "(?!)";
      return;
    }
    ByteSet set;
    AddCased(set, b);
    if (set.count() > 1) {
      Emit(set, false);
    } else if (b < 0x80 && std::isalnum(b)) {
      out_ += static_cast<char>(b);
    } else {
      out_ += Hex(b);
    }
  }

  void Emit(const ByteSet& set, bool negated) {
    if (set.none()) {
      out_ += negated ? "[\\x{00}-\\x{ff}]" : "(?!)";
      return;
    }
    out_ += negated ? "[^" : "[";
    for (int b = 0; b < 256; ++b) {
      if (!set.test(static_cast<std::size_t>(b))) continue;
      int e = b;
      while (e + 1 < 256 && set.test(static_cast<std::size_t>(e + 1))) ++e;
      out_ += Hex(b);
      if (e > b) out_ += "-" + Hex(e);
      b = e;
    }
    out_ += ']';
  }

  // \d \w \s and their complements as sets of bytes; false when `c` names none of them.
  static bool ClassEscape(char c, ByteSet& set) {
    ByteSet s;
    switch (c) {
      case 'd': case 'D':
        for (int b = '0'; b <= '9'; ++b) s.set(static_cast<std::size_t>(b));
        break;
      case 'w': case 'W':
        for (int b = 0; b < 128; ++b)
          if (std::isalnum(b) || b == '_') s.set(static_cast<std::size_t>(b));
        break;
      case 's': case 'S':
        for (int b : {9, 10, 11, 12, 13, 32, 0xA0}) s.set(static_cast<std::size_t>(b));
        break;
      default: return false;
    }
    set |= std::isupper(static_cast<unsigned char>(c)) ? ~s : s;
    return true;
  }

  // The character an escape stands for, after the backslash (class escapes and
  // back-references are handled by the callers): a byte, or -1 for a character no
  // Windows-1252 text holds.
  int EscapedChar(bool in_class) {
    const char c = p_[at_++];
    auto hex = [&](std::size_t digits) {
      if (at_ + digits > p_.size()) return -1;
      int v = 0;
      for (std::size_t k = 0; k < digits; ++k) {
        const int d = HexDigit(p_[at_ + k]);
        if (d < 0) return -1;
        v = v * 16 + d;
      }
      at_ += digits;
      return v;
    };
    switch (c) {
      case 'f': return '\f';
      case 'n': return '\n';
      case 'r': return '\r';
      case 't': return '\t';
      case 'v': return '\v';
      case 'b': return in_class ? '\b' : 'b';
      case 'c':
        if (at_ < p_.size() && std::isalpha(static_cast<unsigned char>(p_[at_]))) return p_[at_++] % 32;
        --at_;  // \c without a letter is a backslash followed by c
        return '\\';
      case 'x': {
        const int v = hex(2);
        return v < 0 ? 'x' : ByteOf(static_cast<char32_t>(v));
      }
      case 'u': {
        const int v = hex(4);
        return v < 0 ? 'u' : ByteOf(static_cast<char32_t>(v));
      }
      default: break;
    }
    if (c >= '0' && c <= '7') {  // an octal escape of up to three digits, at most \377
      int v = c - '0';
      for (int k = 0; k < 2 && at_ < p_.size() && p_[at_] >= '0' && p_[at_] <= '7' && v * 8 + (p_[at_] - '0') <= 0377; ++k)
        v = v * 8 + (p_[at_++] - '0');
      return ByteOf(static_cast<char32_t>(v));
    }
    return static_cast<unsigned char>(c);  // any other character stands for itself
  }

  // After a backslash outside a class; false for an assertion, which cannot be repeated.
  bool Escape() {
    if (at_ >= p_.size()) ThrowRegex(5017, "\\ at the end of the pattern");
    const char c = p_[at_];
    if (c == 'b' || c == 'B') {
      out_ += '\\';
      out_ += c;
      ++at_;
      return false;
    }
    ByteSet set;
    if (ClassEscape(c, set)) {
      ++at_;
      Emit(set, false);
      return true;
    }
    if (c >= '1' && c <= '9') {
      std::size_t end = at_, n = 0;
      while (end < p_.size() && std::isdigit(static_cast<unsigned char>(p_[end])) && n <= groups_) n = n * 10 + static_cast<std::size_t>(p_[end++] - '0');
      if (n >= 1 && n <= groups_) {
        at_ = end;
        out_ += (ignore_case_ ? "(?i:\\g{" : "(?:\\g{") + std::to_string(n) + "})";
        return true;
      }
      // A number above the groups is an octal escape, or for 8 and 9 the digit itself.
    }
    Literal(EscapedChar(false));
    return true;
  }

  void Class() {
    ByteSet set;
    bool negated = false;
    if (at_ < p_.size() && p_[at_] == '^') {
      negated = true;
      ++at_;
    }
    // One member: a character (its byte, -1 when no byte holds it) or a class escape (-2).
    auto member = [&](ByteSet& into) -> int {
      const char c = p_[at_++];
      if (c != '\\') return static_cast<unsigned char>(c);
      if (at_ >= p_.size()) ThrowRegex(5019, "unterminated character class");
      if (ClassEscape(p_[at_], into)) {
        ++at_;
        return -2;
      }
      return EscapedChar(true);
    };
    const auto& cps = CodePoints();
    while (true) {
      if (at_ >= p_.size()) ThrowRegex(5019, "unterminated character class");
      if (p_[at_] == ']') {
        ++at_;
        break;
      }
      const std::size_t first_at = at_;
      const int lo = member(set);
      if (lo == -2) continue;
      if (at_ + 1 < p_.size() && p_[at_] == '-' && p_[at_ + 1] != ']') {
        const std::size_t dash = at_++;
        ByteSet escaped;
        const int hi = member(escaped);
        if (hi == -2) {  // [a-\d]: the dash is itself
          if (lo >= 0) AddCased(set, lo);
          AddCased(set, '-');
          set |= escaped;
          continue;
        }
        const char32_t from = lo >= 0 ? cps[static_cast<std::size_t>(lo)] : CodePointAt(first_at);
        const char32_t to = hi >= 0 ? cps[static_cast<std::size_t>(hi)] : CodePointAt(dash + 1);
        if (from > to) ThrowRegex(5021, "range out of order at offset " + std::to_string(first_at));
        for (int b = 0; b < 256; ++b)
          if (cps[static_cast<std::size_t>(b)] >= from && cps[static_cast<std::size_t>(b)] <= to) AddCased(set, b);
        continue;
      }
      if (lo >= 0) AddCased(set, lo);
    }
    Emit(set, negated);
  }

  // The code point an escape at `at` names when no byte holds it (\u4E00): ranges compare codes.
  char32_t CodePointAt(std::size_t at) const {
    if (at + 1 < p_.size() && p_[at] == '\\' && (p_[at + 1] == 'u' || p_[at + 1] == 'x')) {
      const std::size_t digits = p_[at + 1] == 'u' ? 4 : 2;
      char32_t v = 0;
      for (std::size_t k = 0; k < digits && at + 2 + k < p_.size(); ++k)
        v = v * 16 + static_cast<char32_t>(std::max(0, HexDigit(p_[at + 2 + k])));
      return v;
    }
    return 0;
  }

  std::string_view p_;
  bool ignore_case_, multiline_;
  std::size_t groups_;
  std::size_t at_ = 0;
  std::string out_;
};

}  // namespace

std::string TranslatePattern(std::string_view pattern, bool ignore_case, bool multiline) {
  return Translator(pattern, ignore_case, multiline).Run();
}

struct Regex::Code {
  pcre2_code* code = nullptr;
  pcre2_match_data* data = nullptr;
  pcre2_match_context* context = nullptr;
  ~Code() {
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
  }
};

Regex::Regex(std::string_view pattern, bool ignore_case, bool multiline) : code_(std::make_unique<Code>()) {
  const std::string translated = TranslatePattern(pattern, ignore_case, multiline);
  pcre2_compile_context* compile = pcre2_compile_context_create(nullptr);
  if (!compile) ThrowRuntime(7);
  // PCRE2's parser recurses once per nested group: the default nesting limit keeps that
  // well inside the stack; deeper patterns are refused as a pattern error.
  pcre2_set_parens_nest_limit(compile, kParensNestLimit);
  int error = 0;
  PCRE2_SIZE offset = 0;
  code_->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(),
                              PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C | PCRE2_MATCH_UNSET_BACKREF,
                              &error, &offset, compile);
  pcre2_compile_context_free(compile);
  if (!code_->code) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(error, message, sizeof message);
    // VBScript's own numbers where one fits; a pattern too large or nested too deeply is
    // refused as any other pattern it cannot compile.
    int number = 5017;
    if (error == PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS) number = 5020;
    else if (error == PCRE2_ERROR_QUANTIFIER_INVALID || error == PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER) number = 5018;
    ThrowRegex(number, reinterpret_cast<const char*>(message));
  }
  std::uint32_t captures = 0;
  pcre2_pattern_info(code_->code, PCRE2_INFO_CAPTURECOUNT, &captures);
  groups_ = captures;
  code_->data = pcre2_match_data_create_from_pattern(code_->code, nullptr);
  code_->context = pcre2_match_context_create(nullptr);
  if (!code_->data || !code_->context) ThrowRuntime(7);
  pcre2_set_match_limit(code_->context, kMatchLimit);
  pcre2_set_depth_limit(code_->context, kDepthLimit);
  pcre2_set_heap_limit(code_->context, kHeapLimitKiB);
}

Regex::~Regex() = default;

bool Regex::Search(std::string_view text, std::size_t from, RegexMatch& found) const {
  const int rc = pcre2_match(code_->code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), from, 0,
                             code_->data, code_->context);
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT) {
    // Windows' matcher recurses as it backtracks and ends such a search with "Out of stack
    // space"; ours stops at the same kind of point, well before memory or time run out.
    // Like that error it is a run-time error a script can pass over.
    ThrowRegex(28, rc == PCRE2_ERROR_MATCHLIMIT ? "the regular expression backtracks too much on this text"
                                                : "the regular expression nests too deeply on this text");
  }
  if (rc < 0) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(rc, message, sizeof message);
    ThrowRegex(rc == PCRE2_ERROR_NOMEMORY ? 7 : 51, reinterpret_cast<const char*>(message));
  }
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(code_->data);
  found.starts.assign(groups_ + 1, RegexMatch::npos);
  found.ends.assign(groups_ + 1, RegexMatch::npos);
  for (std::size_t g = 0; g <= groups_ && g < static_cast<std::size_t>(rc); ++g) {
    if (ovector[2 * g] == PCRE2_UNSET) continue;
    found.starts[g] = ovector[2 * g];
    found.ends[g] = ovector[2 * g + 1];
  }
  return true;
}

}  // namespace gildex::vbscript
