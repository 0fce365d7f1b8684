#include "host/source_file.h"

#include <algorithm>
#include <array>
#include <cstring>

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

// 0-based line of the byte at `offset` of the file the lines were split from.
std::size_t LineOfOffset(std::string_view bytes, const std::vector<LineView>& lines, std::size_t offset) {
  const char* at = bytes.data() + offset;
  auto after = std::upper_bound(lines.begin(), lines.end(), at,
                                [](const char* p, const LineView& line) { return p < line.text.data(); });
  return static_cast<std::size_t>(after - lines.begin()) - 1;
}

// 1-based line of the first UTF-8 sequence when every byte above 0x7F of the file belongs to
// one; 0 otherwise. Windows-1252 text almost never forms such sequences throughout. Line
// ends are below 0x80, so a sequence never spans two lines and the file is read as a whole.
long FirstUtf8Line(std::string_view bytes, const std::vector<LineView>& lines) {
  std::size_t first = std::string_view::npos;
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = Utf8SequenceAt(bytes, i);
    if (length == 0) return 0;
    if (first == std::string_view::npos) first = i;
    i += length;
  }
  return first == std::string_view::npos ? 0 : static_cast<long>(LineOfOffset(bytes, lines, first)) + 1;
}

std::array<std::size_t, 4> CountLineEnds(const std::vector<LineView>& lines) {
  std::array<std::size_t, 4> uses{};
  for (const LineView& line : lines) ++uses[static_cast<std::size_t>(line.end)];
  return uses;
}

LineEnd Dominant(const std::array<std::size_t, 4>& uses) {
  // On a tie CR LF wins, as it is what the IDE itself writes.
  LineEnd best = LineEnd::CrLf;
  for (LineEnd end : {LineEnd::Lf, LineEnd::Cr})
    if (uses[static_cast<std::size_t>(end)] > uses[static_cast<std::size_t>(best)]) best = end;
  return best;
}

std::string MixedLineEnds(const std::array<std::size_t, 4>& uses) {
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

void CheckBytes(std::string_view bytes, const std::vector<LineView>& lines, const std::array<std::size_t, 4>& ends,
                Reporter& report) {
  for (std::size_t n = 0; n < lines.size(); ++n)
    if (lines[n].text.size() > kMaxLineLength) report.Warn(static_cast<long>(n) + 1, "line longer than 1023 characters");
  // Line ends hold no NUL, so the first NUL of the file is on the first line that has one.
  if (const void* nul = bytes.empty() ? nullptr : std::memchr(bytes.data(), '\0', bytes.size()))
    report.Warn(static_cast<long>(LineOfOffset(bytes, lines, static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()))) + 1,
                "NUL bytes; kept as bytes");
  if (long utf8 = FirstUtf8Line(bytes, lines); utf8 != 0) report.Warn(utf8, "looks like UTF-8; kept as bytes");
  if (std::string mixed = MixedLineEnds(ends); !mixed.empty()) report.Warn(0, mixed);
}

// What the header tests look at: the line without leading blanks, and without the byte
// order mark an editor may have put before the first line.
std::string_view HeaderText(const std::vector<LineView>& lines, std::size_t n) {
  std::string_view text = lines[n].text;
  if (n == 0 && text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return TrimLeft(text);
}

std::vector<RawLine> Copies(const std::vector<LineView>& lines, std::size_t count) {
  std::vector<RawLine> copies;
  copies.reserve(count);
  for (std::size_t n = 0; n < count; ++n) copies.push_back({std::string(lines[n].text), lines[n].end});
  return copies;
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
// Fills file.header with copies of its lines and returns the index of the first code line.
std::size_t ReadHeader(const std::vector<LineView>& lines, SourceFile& file, Reporter& report) {
  std::size_t n = 0;
  if (n < lines.size() && StartsWithWord(HeaderText(lines, n), "VERSION")) ++n;
  while (n < lines.size() && IsObjectLine(HeaderText(lines, n))) ++n;
  if (n < lines.size() && StartsWithWord(HeaderText(lines, n), "Begin")) {
    // The block reader wants copies of the lines; the block ends before the Attribute VB_
    // lines, so those above the first of them are enough when the block closes in them.
    // Otherwise (a broken block, or none of those lines) it reads every line, as it reads
    // forward only and gives the same answer either way.
    std::size_t limit = n + 1;
    while (limit < lines.size() && !StartsWithNoCase(HeaderText(lines, limit), "Attribute VB_")) ++limit;
    file.header = Copies(lines, limit);
    DesignerParse parse = ParseDesignerBlock(file.header, n);
    if (!parse.block && limit < lines.size()) {
      file.header = Copies(lines, lines.size());
      parse = ParseDesignerBlock(file.header, n);
    }
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
  if (file.header.size() > n) {
    file.header.resize(n);
  } else {
    file.header.reserve(n);
    for (std::size_t k = file.header.size(); k < n; ++k) file.header.push_back({std::string(lines[k].text), lines[k].end});
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
  // One split into views; only the lines kept are copied, each once, straight into place.
  const std::vector<LineView> lines = SplitLineViews(bytes);
  const std::array<std::size_t, 4> ends = CountLineEnds(lines);
  file.new_line_end = Dominant(ends);
  if (LooksBinary(bytes)) {
    report.Fatal(0, "not a VB6 text file");
    file.header = Copies(lines, lines.size());
    return file;
  }
  CheckBytes(bytes, lines, ends, report);

  const std::size_t first_code = ReadHeader(lines, file, report);
  // The code module copies the lines into its own store (with room for its gap there).
  file.code.reserve(lines.size() - first_code);
  for (std::size_t n = first_code; n < lines.size(); ++n) {
    RawLine line{std::string(lines[n].text), lines[n].end};
    // With no code line above it there is nothing to hide it behind, so it stays visible.
    if (!file.code.empty() && IsHiddenAttribute(lines[n].text)) {
      file.code.back().hidden.push_back(std::move(line));
    } else {
      file.code.push_back(CodeLine{std::move(line), {}});
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
