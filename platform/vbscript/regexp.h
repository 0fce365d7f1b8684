#pragma once
// VBScript's regular expressions (the JScript flavour of ECMAScript 3) run by PCRE2. A
// pattern is translated into PCRE2's syntax with every character spelled out, so PCRE2's
// own extensions (lookbehind, named groups, possessive quantifiers, \Q, \K, ...) cannot be
// reached from a script, and matched with limits on backtracking, so no pattern or text
// can crash the process or hold it for long.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::vbscript {

// Where a match and its groups are, as byte offsets into the text (each byte one
// Windows-1252 character); `npos` for a group that took no part.
struct RegexMatch {
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  std::vector<std::size_t> starts, ends;  // [0] is the whole match
  std::size_t Start() const { return starts[0]; }
  std::size_t End() const { return ends[0]; }
  bool Matched(std::size_t group) const { return starts[group] != npos; }
};

class Regex {
 public:
  // A bad pattern raises VBScript's errors 5017 to 5021.
  Regex(std::string_view pattern, bool ignore_case, bool multiline);
  ~Regex();
  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;

  std::size_t Groups() const { return groups_; }
  // The first match at or after `from`. Passing the backtracking limits raises "Out of
  // stack space" (28).
  bool Search(std::string_view text, std::size_t from, RegexMatch& found) const;

  // Limits on one search: backtracking steps, nesting of backtracking, memory it may use.
  static constexpr unsigned kMatchLimit = 10'000'000;
  static constexpr unsigned kDepthLimit = 1'000'000;
  static constexpr unsigned kHeapLimitKiB = 64 * 1024;
  static constexpr unsigned kParensNestLimit = 250;

 private:
  struct Code;
  std::unique_ptr<Code> code_;
  std::size_t groups_ = 0;
};

// The PCRE2 pattern a VBScript pattern becomes (for the tests and the fuzzer).
std::string TranslatePattern(std::string_view pattern, bool ignore_case, bool multiline);

}  // namespace gildex::vbscript
