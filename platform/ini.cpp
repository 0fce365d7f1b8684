#include "platform/ini.h"

#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file with its own line end ("\r\n", "\n", or "" for a last line without one).
struct Line {
  std::string text;
  std::string end;
};

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t nl = bytes.find('\n', start);
    if (nl == std::string::npos) {
      lines.push_back({bytes.substr(start), ""});
      break;
    }
    const bool crlf = nl > start && bytes[nl - 1] == '\r';
    lines.push_back({bytes.substr(start, nl - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
    start = nl + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
  std::string out;
  for (const Line& line : lines) out += line.text + line.end;
  return out;
}

// New lines follow the file's own habit; a new or line-less file gets the Windows CR LF.
std::string DominantLineEnd(const std::vector<Line>& lines) {
  std::size_t crlf = 0, lf = 0;
  for (const Line& line : lines) {
    if (line.end == "\r\n") ++crlf;
    if (line.end == "\n") ++lf;
  }
  return lf > crlf ? "\n" : "\r\n";
}

// The section named on a "[Name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view text) {
  const std::string_view t = Trim(text);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing for a comment or a line without '='.
std::optional<std::string_view> KeyName(std::string_view text) {
  const std::string_view t = Trim(text);
  if (t.empty() || t.front() == ';') return std::nullopt;
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(0, eq));
}

// Index of the first line of `key` in any section named `section`, and of the first
// matching section's header.
struct Found {
  std::optional<std::size_t> section;
  std::optional<std::size_t> key;
};

Found Find(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
  Found found;
  bool inside = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionName(lines[i].text)) {
      inside = cp1252::EqualsNoCase(*name, Trim(section));
      if (inside && !found.section) found.section = i;
      continue;
    }
    if (!inside) continue;
    const auto name = KeyName(lines[i].text);
    if (name && cp1252::EqualsNoCase(*name, Trim(key))) {
      found.key = i;
      return found;
    }
  }
  return found;
}

std::string Cut(std::string_view value, std::size_t size) {
  if (size == 0) return {};
  return std::string(value.substr(0, size - 1));
}

// Profile calls drop one pair of enclosing quotes, double or single, as Windows does.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// The line after which a new key goes: the last line of the section that is not blank.
std::size_t LastContentLine(const std::vector<Line>& lines, std::size_t header) {
  std::size_t last = header;
  for (std::size_t i = header + 1; i < lines.size() && !SectionName(lines[i].text); ++i)
    if (!Trim(lines[i].text).empty()) last = i;
  return last;
}

void InsertLine(std::vector<Line>& lines, std::size_t at, std::string text, const std::string& eol) {
  if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = eol;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), eol});
}

bool Writable(std::string_view s) { return s.find_first_of("\r\n") == std::string_view::npos; }

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& def,
                                    std::size_t size, const std::filesystem::path& file) {
  // Windows drops the default's trailing blanks as well.
  std::string_view fallback = def;
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.remove_suffix(1);
  std::optional<std::string> bytes;
  try {
    bytes = ReadWholeFile(file);
  } catch (const std::runtime_error&) {
    return Cut(fallback, size);
  }
  if (!bytes) return Cut(fallback, size);
  const std::vector<Line> lines = SplitLines(*bytes);
  const Found found = Find(lines, section, key);
  if (!found.key) return Cut(fallback, size);
  const std::string& text = lines[*found.key].text;
  const std::string_view value = Trim(std::string_view(text).substr(text.find('=') + 1));
  return Cut(Unquote(value), size);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::filesystem::path& file) {
  // A line break would split the entry; '=' in a key or ']' in a section would change its meaning.
  if (!Writable(section) || !Writable(key) || !Writable(value)) return false;
  if (key.find('=') != std::string::npos || section.find(']') != std::string::npos) return false;
  if (Trim(section).empty() || Trim(key).empty()) return false;
  try {
    const std::optional<std::string> bytes = ReadWholeFile(file);
    std::vector<Line> lines = bytes ? SplitLines(*bytes) : std::vector<Line>{};
    const std::string eol = DominantLineEnd(lines);
    const Found found = Find(lines, section, key);
    if (found.key) {
      // Only the value changes; the key's spelling and the blanks around '=' stay.
      std::string& text = lines[*found.key].text;
      std::size_t from = text.find('=') + 1;
      while (from < text.size() && (text[from] == ' ' || text[from] == '\t')) ++from;
      text = text.substr(0, from) + value;
    } else if (found.section) {
      InsertLine(lines, LastContentLine(lines, *found.section) + 1, key + "=" + value, eol);
    } else {
      if (!lines.empty() && !Trim(lines.back().text).empty()) InsertLine(lines, lines.size(), "", eol);
      InsertLine(lines, lines.size(), "[" + section + "]", eol);
      InsertLine(lines, lines.size(), key + "=" + value, eol);
    }
    WriteFileAtomically(file, JoinLines(lines), 0666, true);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

}  // namespace gildex::platform
