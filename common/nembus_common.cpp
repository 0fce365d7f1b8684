#include "common/nembus_common.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "platform/cp1252.h"
#include "platform/ini.h"

namespace gildex {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr int kMaxLineBreaks = 32766;  // one more line would not fit Basic's Integer result
constexpr std::size_t kIniBufferSize = 128;

VbError InvalidCall() { return VbError(5, "Invalid procedure call or argument"); }
VbError Overflow() { return VbError(6, "Overflow"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }
int HexDigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  const char upper = cp1252::ToUpper(c);
  if (upper >= 'A' && upper <= 'F') return upper - 'A' + 10;
  return -1;
}

// "&H..." / "&O..." / "&..." (octal) at the start of text, as Basic reads them: four hex
// digits or fewer make an Integer ("&HFFFF" is -1), more make a Long. Returns false when
// the text does not start with such a prefix.
bool ReadRadixNumber(std::string_view text, double& value) {
  if (text.size() < 2 || text[0] != '&') return false;
  unsigned base = 8;
  std::size_t pos = 1;
  if (cp1252::ToUpper(text[1]) == 'H') {
    base = 16;
    pos = 2;
  } else if (cp1252::ToUpper(text[1]) == 'O') {
    pos = 2;
  } else if (!IsOctalDigit(text[1])) {
    return false;
  }
  unsigned long long number = 0;
  for (; pos < text.size(); ++pos) {
    const int digit = base == 16 ? HexDigitValue(text[pos]) : (IsOctalDigit(text[pos]) ? text[pos] - '0' : -1);
    if (digit < 0) break;
    number = number * base + static_cast<unsigned>(digit);
    if (number > 0xFFFFFFFFull) throw Overflow();
  }
  if (number <= 0xFFFFull) {
    value = static_cast<std::int16_t>(static_cast<std::uint16_t>(number));
  } else {
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
  }
  return true;
}

// The longest decimal number at the start of `text`: sign, digits, one point, and an
// exponent written with E or D. `thousands` accepts commas among the whole digits, as
// the string-to-number conversion of CBool does. Returns the characters read, normalised
// for strtod, and sets `length` to how many characters of `text` they took.
std::string ScanDecimal(std::string_view text, bool thousands, std::size_t& length) {
  std::string number;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) number += text[pos++];
  bool digits = false;
  while (pos < text.size() && (IsDigit(text[pos]) || (thousands && digits && text[pos] == ','))) {
    if (text[pos] != ',') number += text[pos];
    digits = true;
    ++pos;
  }
  if (pos < text.size() && text[pos] == '.') {
    number += text[pos++];
    while (pos < text.size() && IsDigit(text[pos])) {
      number += text[pos++];
      digits = true;
    }
  }
  if (!digits) {
    length = 0;
    return {};
  }
  if (pos < text.size() && (cp1252::ToUpper(text[pos]) == 'E' || cp1252::ToUpper(text[pos]) == 'D')) {
    std::size_t exp = pos + 1;
    std::string exponent = "e";
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) exponent += text[exp++];
    if (exp < text.size() && IsDigit(text[exp])) {
      while (exp < text.size() && IsDigit(text[exp])) exponent += text[exp++];
      number += exponent;
      pos = exp;
    }
  }
  length = pos;
  return number;
}

double ToDouble(const std::string& number) {
  errno = 0;
  const double value = std::strtod(number.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value)) throw Overflow();
  return value;
}

char UpperOf(char c) { return cp1252::ToUpper(c); }

// '*' any run, '?' any one character; letter case ignored.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || UpperOf(pattern[p]) == UpperOf(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Windows lets a trailing ".*" match a name without any extension ("*.*" lists "README").
bool MatchesFilePattern(std::string_view pattern, std::string_view name) {
  if (WildcardMatch(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
    return WildcardMatch(pattern.substr(0, pattern.size() - 2), name);
  return false;
}

std::size_t LastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

std::string_view TrimLeftSpaces(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

std::string_view TrimRightSpaces(std::string_view s) {
  const std::size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

}  // namespace

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

std::int16_t LineCount(std::string_view text) {
  int breaks = 0;
  for (std::size_t pos = text.find(kCrLf); pos != std::string_view::npos; pos = text.find(kCrLf, pos + 1)) {
    if (++breaks > kMaxLineBreaks) throw Overflow();
  }
  return static_cast<std::int16_t>(breaks + 1);
}

std::string GetField(std::string_view text, std::string_view delimiter, long index) {
  if (index < 1) return {};
  // Basic's InStr(start, text, delimiter): 1-based, 0 when absent or start is past the end.
  auto in_str = [&](std::size_t start) -> std::size_t {
    if (start > text.size() || text.empty()) return 0;
    if (delimiter.empty()) return start;
    const std::size_t found = text.find(delimiter, start - 1);
    return found == std::string_view::npos ? 0 : found + 1;
  };
  auto mid = [&](std::size_t start, std::size_t count) -> std::string_view {
    if (start > text.size()) return {};
    return text.substr(start - 1, count);
  };
  std::size_t start = 1;
  for (long field = 1;; ++field) {
    // The search begins one character into the field, so a delimiter standing first in a
    // field belongs to it: 'a,,b' splits into 'a' and ',b'.
    const std::size_t found = in_str(start + 1);
    const std::string_view current = found != 0 ? mid(start, found - start) : mid(start, std::string_view::npos);
    if (field == index) return std::string(TrimSpaces(current));
    if (found == 0) return {};
    start = found + delimiter.size();
  }
}

bool StrToBool(std::string_view text) {
  if (cp1252::EqualsNoCase(text, "True") || cp1252::EqualsNoCase(text, "#TRUE#")) return true;
  if (cp1252::EqualsNoCase(text, "False") || cp1252::EqualsNoCase(text, "#FALSE#")) return false;
  // Otherwise the whole text must be a number (blanks around it allowed); anything that is
  // not gives False instead of a type-mismatch error.
  std::string_view number = text;
  while (!number.empty() && (number.front() == ' ' || number.front() == '\t')) number.remove_prefix(1);
  while (!number.empty() && (number.back() == ' ' || number.back() == '\t')) number.remove_suffix(1);
  try {
    double value = 0;
    if (number.size() >= 2 && number[0] == '&') {
      std::size_t end = 2;
      while (end < number.size() && HexDigitValue(number[end]) >= 0) ++end;
      if (end != number.size() || !ReadRadixNumber(number, value)) return false;
      return value != 0;
    }
    std::size_t length = 0;
    const std::string decimal = ScanDecimal(number, true, length);
    if (length == 0 || length != number.size()) return false;
    return ToDouble(decimal) != 0;
  } catch (const VbError&) {
    return false;
  }
}

double Val(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') compact += c;
  }
  double value = 0;
  if (ReadRadixNumber(compact, value)) return value;
  std::size_t length = 0;
  const std::string decimal = ScanDecimal(compact, false, length);
  return length == 0 ? 0 : ToDouble(decimal);
}

std::string GetFile(std::string_view path) {
  if (TrimSpaces(path).empty()) return {};
  const std::size_t separator = LastSeparator(path);
  if (separator == std::string_view::npos) throw InvalidCall();
  return std::string(path.substr(separator + 1));
}

std::string GetFilePath(std::string_view path) {
  if (path.empty()) return {};
  const std::size_t separator = LastSeparator(path);
  if (separator == std::string_view::npos) throw InvalidCall();
  std::string folder(path.substr(0, separator));
  // A drive or the root keeps its separator: "C:\file" is in "C:\", "/file" in "/".
  if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) folder += path[separator];
  return folder;
}

std::vector<std::string> Files(const std::filesystem::path& folder, std::string_view pattern) {
  std::string_view wanted = TrimSpaces(pattern);
  if (wanted.empty()) wanted = "*.*";
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entry(folder, error);
  // A folder that cannot be listed (missing, no access, gone while listing) lists what was
  // read so far; listing a folder never fails the caller.
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    std::error_code status_error;
    if (!entry->is_regular_file(status_error) || status_error) continue;
    std::string name = entry->path().filename().string();
    if (name.empty() || name.front() == '.') continue;  // hidden on this platform
    if (MatchesFilePattern(wanted, name)) names.push_back(std::move(name));
  }
  // Windows' file system lists a folder in case-insensitive name order, and users expect
  // template and script lists in that order; the order here would be the hash order of ext4.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string upper_a = cp1252::Upper(a), upper_b = cp1252::Upper(b);
    return upper_a != upper_b ? upper_a < upper_b : a < b;
  });
  return names;
}

std::string READ_INI(const std::string& section, const std::string& key, const std::filesystem::path& file) {
  return platform::GetPrivateProfileString(section, key, "", kIniBufferSize, file);
}

std::string NTDomainUserName(const platform::Environment& env) { return cp1252::Upper(env.UserName()); }

std::string_view TrimSpaces(std::string_view s) { return TrimRightSpaces(TrimLeftSpaces(s)); }

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t pos = text.find(find); pos != std::string_view::npos; pos = text.find(find, from)) {
    result.append(text.substr(from, pos - from));
    result.append(with);
    from = pos + find.size();
  }
  result.append(text.substr(from));
  return result;
}

std::string MakeValidFilename(std::string_view name) {
  std::string valid;
  for (char c : name)
    if (std::string_view(":/\\*?<>|").find(c) == std::string_view::npos) valid += c;
  return valid;
}

}  // namespace gildex
