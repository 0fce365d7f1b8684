#include "platform/registry.h"

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string_view>

#include <fmt/core.h>

#include "platform/atomic_file.h"
#include "platform/code_page.h"
#include "platform/system.h"

namespace gildex::platform {
namespace fs = std::filesystem;
namespace {

using Values = std::map<std::string, RegValue, cp1252::LessNoCase>;
using KeyMap = std::map<std::string, Values, cp1252::LessNoCase>;

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

struct ParseError {
  std::size_t line;
  std::string what;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A line quoted in a message: shown as UTF-8 and cut, so one bad line cannot flood the terminal.
std::string Shown(std::string_view line) {
  constexpr std::size_t kMax = 40;
  return cp1252::ToUtf8(line.size() > kMax ? std::string(line.substr(0, kMax)) + "..." : std::string(line));
}

// --- Unicode files -----------------------------------------------------------------------
// Registry Editor 5 writes UTF-16 files; a hand-edited file may be UTF-8 with a byte order
// mark. Both come back to Windows-1252 bytes, or fail on a character the code page lacks.

std::optional<ParseError> AppendCodePoint(std::string& out, char32_t cp, std::size_t line) {
  const std::optional<char> byte = cp1252::FromUnicode(cp, cp1252::kDefaultCodePage);
  if (!byte) return ParseError{line, fmt::format("character U+{:04X} has no Windows-1252 byte", unsigned(cp))};
  out += *byte;
  return std::nullopt;
}

std::optional<ParseError> FromUtf16(std::string_view bytes, std::string& out) {
  std::size_t line = 1;
  const auto unit = [&](std::size_t i) {
    return char16_t(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (auto error = AppendCodePoint(out, cp, line)) return error;
    if (cp == '\n') ++line;
  }
  if (bytes.size() % 2 != 0) return ParseError{line, "UTF-16 text ends in the middle of a character"};
  return std::nullopt;
}

std::optional<ParseError> FromUtf8(std::string_view bytes, std::string& out) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= bytes.size()) return ParseError{line, "not valid UTF-8 text"};
    char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return ParseError{line, "not valid UTF-8 text"};
      cp = (cp << 6) | (next & 0x3F);
    }
    if (auto error = AppendCodePoint(out, cp, line)) return error;
    if (cp == '\n') ++line;
    i += extra + 1;
  }
  return std::nullopt;
}

std::optional<ParseError> ToCodePage(const std::string& raw, std::string& text) {
  if (raw.starts_with("\xFF\xFE")) return FromUtf16(std::string_view(raw).substr(2), text);
  if (raw.starts_with("\xEF\xBB\xBF")) return FromUtf8(std::string_view(raw).substr(3), text);
  text = raw;
  return std::nullopt;
}

// --- Keys ----------------------------------------------------------------------------------

std::string NormalKey(const std::string& key) {
  std::string_view k = key;
  while (!k.empty() && k.back() == '\\') k.remove_suffix(1);
  if (k.empty()) throw std::invalid_argument("a registry key path must not be empty");
  if (k.front() == '-') throw std::invalid_argument(fmt::format("a registry key path must not start with '-': {}", Shown(k)));
  if (k.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    throw std::invalid_argument(fmt::format("a registry key path must not contain line breaks: {}", Shown(k)));
  return std::string(k);
}

void CheckValueName(const std::string& name) {
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
    throw std::invalid_argument(fmt::format("a registry value name must not contain line breaks: {}", Shown(name)));
}

// Creating a key creates its parents, as the registry does; the hive alone is not a key of
// its own.
bool CreateKeyIn(KeyMap& keys, const std::string& key) {
  bool created = false;
  for (std::size_t p = key.find('\\'); p != std::string::npos; p = key.find('\\', p + 1))
    if (p > 0 && key.find('\\') != p) created |= keys.try_emplace(key.substr(0, p)).second;
  created |= keys.try_emplace(key).second;
  return created;
}

void DeleteKeyTree(KeyMap& keys, const std::string& key) {
  for (auto it = keys.begin(); it != keys.end();) {
    const bool inside = cp1252::EqualsNoCase(it->first, key) || cp1252::StartsWithNoCase(it->first, key + "\\");
    it = inside ? keys.erase(it) : std::next(it);
  }
}

bool SameValue(const RegValue& a, const RegValue& b) {
  return a.type == b.type && (a.type == RegType::Number ? a.number == b.number : a.data == b.data);
}

// --- Reading the file ------------------------------------------------------------------------

class RegFileParser {
 public:
  RegFileParser(const std::string& text, KeyMap& keys) : keys_(keys) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string_view line(text.data() + start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
  }

  std::optional<ParseError> Parse() {
    // An empty file holds nothing that a write could lose (say, one made with touch).
    if (lines_.empty()) return std::nullopt;
    const std::string_view header = Trim(lines_[0]);
    unicode_ = header == kHeader5;
    if (header != kHeader4 && !unicode_)
      return Error(fmt::format("not a registry file: the first line must be \"REGEDIT4\", not \"{}\"", Shown(header)));
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::string_view line = Trim(lines_[index_]);
      std::optional<ParseError> error;
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        error = KeyLine(line);
      } else if (line.front() == '"' || line.front() == '@') {
        error = ValueLine(line);
      } else {
        error = Error(fmt::format("not a key, value or comment: \"{}\"", Shown(line)));
      }
      if (error) return error;
    }
    return std::nullopt;
  }

 private:
  ParseError Error(std::string what) const { return ParseError{index_ + 1, std::move(what)}; }

  std::optional<ParseError> KeyLine(std::string_view line) {
    if (line.back() != ']') return Error(fmt::format("a key line must end with ']': \"{}\"", Shown(line)));
    std::string_view name = line.substr(1, line.size() - 2);
    const bool remove = !name.empty() && name.front() == '-';
    if (remove) name.remove_prefix(1);
    while (!name.empty() && name.back() == '\\') name.remove_suffix(1);
    if (name.empty()) return Error("a key line names no key");
    if (remove) {
      DeleteKeyTree(keys_, std::string(name));
      current_.reset();
    } else {
      current_ = std::string(name);
      CreateKeyIn(keys_, *current_);
    }
    return std::nullopt;
  }

  // A quoted string from `pos` (at the opening quote); `pos` ends past the closing quote.
  std::optional<ParseError> Quoted(std::string_view line, std::size_t& pos, std::string& out) const {
    for (++pos; pos < line.size(); ++pos) {
      const char c = line[pos];
      if (c == '"') {
        ++pos;
        return std::nullopt;
      }
      if (c == '\\') {
        if (++pos == line.size()) break;
        if (line[pos] != '\\' && line[pos] != '"')
          return Error(fmt::format("unknown escape \"\\{}\" in a string (a backslash is written \\\\)",
                                   cp1252::ToUtf8(line.substr(pos, 1))));
      }
      out += line[pos];
    }
    return Error("unterminated string (no closing double quote)");
  }

  std::optional<ParseError> ValueLine(std::string_view line) {
    if (!current_) return Error("a value line before the first key line");
    std::string name;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else if (auto error = Quoted(line, pos, name)) {
      return error;
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != '=') return Error("expected '=' after the value name");
    const std::string_view data = Trim(line.substr(pos + 1));
    Values& values = keys_[*current_];
    if (data == "-") {
      values.erase(name);
      return std::nullopt;
    }
    RegValue value;
    std::optional<ParseError> error;
    if (data.starts_with('"')) {
      error = StringData(data, value);
    } else if (cp1252::StartsWithNoCase(data, "dword:")) {
      error = NumberData(data.substr(6), value);
    } else if (cp1252::StartsWithNoCase(data, "hex")) {
      error = HexData(data.substr(3), value);
    } else {
      error = Error(fmt::format("unknown value data \"{}\" (expected \"text\", dword: or hex:)", Shown(data)));
    }
    if (error) return error;
    values[name] = std::move(value);
    return std::nullopt;
  }

  std::optional<ParseError> StringData(std::string_view data, RegValue& value) const {
    std::size_t pos = 0;
    if (auto error = Quoted(data, pos, value.data)) return error;
    if (pos != data.size())
      return Error(fmt::format("unexpected text after the closing quote: \"{}\"", Shown(data.substr(pos))));
    value.type = RegType::String;
    return std::nullopt;
  }

  std::optional<ParseError> NumberData(std::string_view digits, RegValue& value) const {
    const auto bad = [&] {
      return Error(fmt::format("bad dword \"{}\" (expected 1 to 8 hex digits)", Shown(digits)));
    };
    if (digits.empty() || digits.size() > 8) return bad();
    std::uint32_t number = 0;
    for (char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return bad();
      number = number * 16 + static_cast<std::uint32_t>(d);
    }
    value.type = RegType::Number;
    value.number = number;
    return std::nullopt;
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  // "hex:" is binary, "hex(1):" a string; long values continue on the next line after a
  // trailing backslash, as the Registry Editor wraps them.
  std::optional<ParseError> HexData(std::string_view rest, RegValue& value) {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return Error("expected ':' after hex");
    const std::string_view kind = rest.substr(0, colon);
    if (kind != "" && kind != "(1)" && kind != "(3)")
      return Error(fmt::format("unsupported value type hex{} (only strings, dword: and hex: are kept)", Shown(kind)));
    std::string list(Trim(rest.substr(colon + 1)));
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      if (index_ + 1 >= lines_.size()) return Error("a hex value continues past the end of the file");
      list += Trim(lines_[++index_]);
    }
    std::string bytes;
    std::size_t start = 0;
    while (start < list.size()) {
      std::size_t comma = list.find(',', start);
      if (comma == std::string::npos) comma = list.size();
      const std::string_view item = Trim(std::string_view(list).substr(start, comma - start));
      if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0)
        return Error(fmt::format("bad hex byte \"{}\"", Shown(item)));
      bytes += static_cast<char>(HexDigit(item[0]) * 16 + HexDigit(item[1]));
      start = comma + 1;
    }
    if (kind != "(1)") {
      value.type = RegType::Binary;
      value.data = std::move(bytes);
      return std::nullopt;
    }
    value.type = RegType::String;
    if (!unicode_) {
      if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
      value.data = std::move(bytes);
      return std::nullopt;
    }
    if (bytes.size() >= 2 && bytes.ends_with(std::string_view("\0\0", 2))) bytes.resize(bytes.size() - 2);
    if (auto error = FromUtf16(bytes, value.data)) return Error("hex(1) string: " + error->what);
    return std::nullopt;
  }

  KeyMap& keys_;
  std::vector<std::string_view> lines_;
  std::size_t index_ = 0;
  std::optional<std::string> current_;
  bool unicode_ = false;
};

// Reads the file into `keys`; the warning "file:line: what is wrong" when it is damaged.
std::string ReadRegFile(const fs::path& file, KeyMap& keys) {
  std::optional<std::string> raw;
  try {
    raw = ReadWholeFile(file);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  if (!raw) return {};
  std::string text;
  std::optional<ParseError> error = ToCodePage(*raw, text);
  if (!error) error = RegFileParser(text, keys).Parse();
  if (!error) return {};
  keys.clear();
  return fmt::format("{}:{}: {}", file.string(), error->line, error->what);
}

// --- Writing the file ----------------------------------------------------------------------

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string HexList(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    out += fmt::format("{}{:02x}", i ? "," : "", static_cast<unsigned char>(bytes[i]));
  return out;
}

// A quoted string cannot carry line breaks or other control bytes; such text is written as
// hex(1), the Registry Editor's own form for it.
bool NeedsHexString(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
  return false;
}

std::string FormatValue(const RegValue& v) {
  switch (v.type) {
    case RegType::Number:
      return fmt::format("dword:{:08x}", v.number);
    case RegType::Binary:
      return "hex:" + HexList(v.data);
    case RegType::String:
      break;
  }
  if (NeedsHexString(v.data)) return "hex(1):" + HexList(v.data + '\0');
  return Quote(v.data);
}

std::string FormatRegFile(const KeyMap& keys) {
  std::string out = std::string(kHeader4) + "\n\n";
  for (const auto& [key, values] : keys) {
    out += "[" + key + "]\n";
    for (const auto& [name, value] : values) out += (name.empty() ? "@" : Quote(name)) + "=" + FormatValue(value) + "\n";
    out += "\n";
  }
  return out;
}

}  // namespace

fs::path DefaultRegistryPath() {
  if (const char* own = std::getenv("GILDEX_REGISTRY"); own && *own) return fs::absolute(own);
  return UserConfigFolder() / "gildex" / "registry.reg";
}

Registry::Registry(fs::path file) : file_(std::move(file)) {
  warning_ = ReadRegFile(file_, keys_);
  damaged_ = !warning_.empty();
}

Registry::Registry() = default;

bool Registry::KeyExists(const std::string& key) const {
  std::string_view k = key;
  while (!k.empty() && k.back() == '\\') k.remove_suffix(1);
  if (k.empty()) return false;
  if (keys_.count(k)) return true;
  if (k.find('\\') != std::string_view::npos) return false;
  // A hive exists as soon as something lives under it.
  const std::string prefix = std::string(k) + "\\";
  const auto it = keys_.lower_bound(prefix);
  return it != keys_.end() && cp1252::StartsWithNoCase(it->first, prefix);
}

std::optional<RegValue> Registry::Get(const std::string& key, const std::string& name) const {
  std::string_view k = key;
  while (!k.empty() && k.back() == '\\') k.remove_suffix(1);
  const auto found = keys_.find(k);
  if (found == keys_.end()) return std::nullopt;
  const auto value = found->second.find(name);
  if (value == found->second.end()) return std::nullopt;
  return value->second;
}

void Registry::Set(const std::string& key, const std::string& name, const RegValue& value) {
  const std::string k = NormalKey(key);
  CheckValueName(name);
  // Changes capture copies: a batch runs them again after this call has returned.
  Apply([k, name, value](KeyMap& keys) {
    bool changed = CreateKeyIn(keys, k);
    Values& values = keys[k];
    const auto old = values.find(name);
    if (old != values.end() && SameValue(old->second, value)) return changed;
    values[name] = value;
    return true;
  });
}

void Registry::CreateKey(const std::string& key) {
  const std::string k = NormalKey(key);
  Apply([k](KeyMap& keys) { return CreateKeyIn(keys, k); });
}

// The change goes into memory first, so it holds for this run even when the file cannot
// take it. Only changes that alter what this run holds reach the file: a caller that saves
// every setting from its own copy then writes just the ones it changed, and a value another
// process wrote since we loaded survives. On disk the changes are applied to the file as it
// is now, under the lock; those that do not reach it stay pending and go with the next write.
bool Registry::Apply(const std::function<bool(Keys&)>& change) {
  const bool changed = change(keys_);
  if (file_.empty() || !changed) return changed;
  pending_.push_back(change);
  if (!batching_) Flush();
  return changed;
}

void Registry::Flush() {
  if (pending_.empty()) return;
  if (damaged_)
    throw std::runtime_error(fmt::format("the registry file {} is damaged and is left as it is, so the change is "
                                         "not saved; repair or remove the file ({})",
                                         file_.string(), warning_));
  FileLock lock(file_);
  KeyMap on_disk;
  if (std::string warning = ReadRegFile(file_, on_disk); !warning.empty()) {
    damaged_ = true;
    warning_ = warning;
    throw std::runtime_error(fmt::format("the registry file {} was damaged by another program and is left as it "
                                         "is, so the change is not saved ({})",
                                         file_.string(), warning_));
  }
  bool changed = false;
  for (const auto& change : pending_) changed = change(on_disk) || changed;
  if (changed) WriteFileAtomically(file_, FormatRegFile(on_disk), 0600, false);
  pending_.clear();
}

void Registry::CommitBatch() {
  batching_ = false;
  Flush();
}

}  // namespace gildex::platform
