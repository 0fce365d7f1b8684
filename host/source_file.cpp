#include "host/source_file.h"

#include <array>
#include <iterator>

#include "platform/cp1252.h"

namespace gildex::host {
namespace {

using cp1252::EqualsNoCase;
using cp1252::StartsWithNoCase;

// The code window holds at most 1023 characters a line; the IDE cuts longer ones on load.
constexpr std::size_t kMaxLineLength = 1023;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

class Reporter {
 public:
  Reporter(std::string_view file, std::vector<LoadProblem>& problems) : file_(file), problems_(problems) {}
  void Warn(long line, std::string message) { Add(line, std::move(message), false); }
  void Fatal(long line, std::string message) {
    Add(line, std::move(message), true);
    fatal_ = true;
  }
  bool AnyFatal() const { return fatal_; }

 private:
  void Add(long line, std::string message, bool fatal) {
    problems_.push_back(LoadProblem{std::string(file_), line, std::move(message), fatal});
  }
  std::string_view file_;
  std::vector<LoadProblem>& problems_;
  bool fatal_ = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

bool IsControlByte(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F; }

// A source file has a stray control byte now and then; a file where they are common is
// something else under a source file's name (a .frx, a UTF-16 file, a damaged copy).
bool LooksBinary(std::string_view bytes) {
  std::size_t controls = 0;
  for (char c : bytes) controls += IsControlByte(static_cast<unsigned char>(c)) ? 1 : 0;
  return controls * 10 > bytes.size();
}

// Length of the UTF-8 multi-byte sequence at bytes[i], or 0 when there is none.
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t i) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || i + length > bytes.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if (next < 0x80 || next > 0xBF) return 0;
  }
  return length;
}

// 1-based line of the first UTF-8 sequence when every byte above 0x7F of the file belongs to
// one; 0 otherwise. Windows-1252 text almost never forms such sequences throughout.
long FirstUtf8Line(const std::vector<RawLine>& lines) {
  long first = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::string_view text = lines[n].text;
    for (std::size_t i = 0; i < text.size();) {
      if (static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
        continue;
      }
      std::size_t length = Utf8SequenceAt(text, i);
      if (length == 0) return 0;
      if (first == 0) first = static_cast<long>(n) + 1;
      i += length;
    }
  }
  return first;
}

std::string MixedLineEnds(const std::vector<RawLine>& lines) {
  std::array<std::size_t, 4> uses{};
  for (const RawLine& line : lines) ++uses[static_cast<std::size_t>(line.end)];
  const std::array<std::pair<LineEnd, const char*>, 3> kinds{
      {{LineEnd::CrLf, "CR LF"}, {LineEnd::Lf, "LF"}, {LineEnd::Cr, "CR"}}};
  std::string list;
  int used = 0;
  for (const auto& [end, label] : kinds) {
    std::size_t count = uses[static_cast<std::size_t>(end)];
    if (count == 0) continue;
    ++used;
    if (!list.empty()) list += ", ";
    list += std::to_string(count) + " " + label;
  }
  return used > 1 ? "mixed line ends (" + list + ")" : std::string();
}

void CheckBytes(const std::vector<RawLine>& lines, Reporter& report) {
  long first_nul = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const long line = static_cast<long>(n) + 1;
    if (lines[n].text.size() > kMaxLineLength) report.Warn(line, "line longer than 1023 characters");
    if (first_nul == 0 && lines[n].text.find('\0') != std::string::npos) first_nul = line;
  }
  if (first_nul != 0) report.Warn(first_nul, "NUL bytes; kept as bytes");
  if (long utf8 = FirstUtf8Line(lines); utf8 != 0) report.Warn(utf8, "looks like UTF-8; kept as bytes");
  if (std::string mixed = MixedLineEnds(lines); !mixed.empty()) report.Warn(0, mixed);
}

// What the header tests look at: the line without leading blanks, and without the byte
// order mark an editor may have put before the first line.
std::string_view HeaderText(const std::vector<RawLine>& lines, std::size_t n) {
  std::string_view text = lines[n].text;
  if (n == 0 && text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return TrimLeft(text);
}

bool StartsWithWord(std::string_view text, std::string_view word) {
  return StartsWithNoCase(text, word) && (text.size() == word.size() || IsBlank(text[word.size()]));
}

bool IsObjectLine(std::string_view text) {
  if (!StartsWithNoCase(text, "Object")) return false;
  return TrimLeft(text.substr(6)).starts_with('=');
}

// `Attribute VB_Name = "frmMain"` gives frmMain.
std::string VbNameOf(std::string_view text) {
  std::string_view rest = TrimLeft(text.substr(std::string_view("Attribute").size()));
  std::size_t eq = rest.find('=');
  if (eq == std::string_view::npos) return {};
  std::string_view name = rest.substr(0, eq);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  if (!EqualsNoCase(name, "VB_Name")) return {};
  std::string value = DesignerValueText(rest.substr(eq + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return value;
}

// Walks the header: VERSION, Object= lines, the Begin ... End block, the Attribute VB_ lines.
// Returns the index of the first code line.
std::size_t ReadHeader(const std::vector<RawLine>& lines, SourceFile& file, Reporter& report) {
  std::size_t n = 0;
  if (n < lines.size() && StartsWithWord(HeaderText(lines, n), "VERSION")) ++n;
  while (n < lines.size() && IsObjectLine(HeaderText(lines, n))) ++n;
  if (n < lines.size() && StartsWithWord(HeaderText(lines, n), "Begin")) {
    DesignerParse parse = ParseDesignerBlock(lines, n);
    if (!parse.block) {
      report.Fatal(parse.error_line, parse.error);
    } else if (!parse.block->root->prog_id.empty()) {
      file.designer = std::move(parse.block);
    }
    n = parse.end;
  }
  for (; n < lines.size() && StartsWithNoCase(HeaderText(lines, n), "Attribute VB_"); ++n) {
    if (file.vb_name.empty()) file.vb_name = VbNameOf(HeaderText(lines, n));
  }
  return n;
}

// The IDE keeps "Attribute Name.VB_... = value" lines out of the code window; it writes
// them at the start of the line.
bool IsHiddenAttribute(std::string_view text) {
  if (!StartsWithNoCase(text, "Attribute ")) return false;
  std::string_view rest = TrimLeft(text.substr(10));
  if (rest.empty()) return false;
  const auto c = static_cast<unsigned char>(rest.front());
  return c == '_' || c == '[' || c >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

SourceFile ParseSourceFile(std::string_view bytes, std::string_view file_name, std::vector<LoadProblem>& problems) {
  SourceFile file;
  Reporter report(file_name, problems);
  std::vector<RawLine> lines = SplitLines(bytes);
  file.new_line_end = DominantLineEnd(lines);
  if (LooksBinary(bytes)) {
    report.Fatal(0, "not a VB6 text file");
    file.header = std::move(lines);
    return file;
  }
  CheckBytes(lines, report);

  const std::size_t first_code = ReadHeader(lines, file, report);
  file.header.assign(std::make_move_iterator(lines.begin()),
                     std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(first_code)));
  file.code.reserve(lines.size() - first_code);
  for (std::size_t n = first_code; n < lines.size(); ++n) {
    // With no code line above it there is nothing to hide it behind, so it stays visible.
    if (!file.code.empty() && IsHiddenAttribute(lines[n].text)) {
      file.code.back().hidden.push_back(std::move(lines[n]));
    } else {
      file.code.push_back(CodeLine{std::move(lines[n]), {}});
    }
  }
  // A broken file has enough said about it; the name is missing because the parse stopped.
  if (file.vb_name.empty() && !report.AnyFatal()) report.Warn(0, "no Attribute VB_Name line; the IDE names the component itself");
  return file;
}

std::string WriteSourceFile(const std::vector<RawLine>& header, const std::vector<CodeLine>& code) {
  std::size_t size = 0;
  for (const RawLine& line : header) size += line.text.size() + 2;
  for (const CodeLine& line : code) {
    size += line.line.text.size() + 2;
    for (const RawLine& hidden : line.hidden) size += hidden.text.size() + 2;
  }
  std::string bytes;
  bytes.reserve(size);
  const auto append = [&bytes](const RawLine& line) {
    bytes += line.text;
    bytes += LineEndText(line.end);
  };
  for (const RawLine& line : header) append(line);
  for (const CodeLine& line : code) {
    append(line.line);
    for (const RawLine& hidden : line.hidden) append(hidden);
  }
  return bytes;
}

}  // namespace gildex::host
