#include "host/source_lines.h"

#include <algorithm>
#include <array>

namespace gildex::host {

std::string_view LineEndText(LineEnd end) {
  switch (end) {
    case LineEnd::CrLf:
      return "\r\n";
    case LineEnd::Lf:
      return "\n";
    case LineEnd::Cr:
      return "\r";
    case LineEnd::None:
      break;
  }
  return "";
}

std::size_t FindLineBreak(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i)
    if (text[i] == '\r' || text[i] == '\n') return i;
  return std::string_view::npos;
}

std::vector<RawLine> SplitLines(std::string_view bytes) {
  std::vector<RawLine> lines;
  lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t stop = FindLineBreak(bytes, start);
    if (stop == std::string_view::npos) {
      lines.push_back({std::string(bytes.substr(start)), LineEnd::None});
      break;
    }
    RawLine line{std::string(bytes.substr(start, stop - start)), LineEnd::Lf};
    if (bytes[stop] == '\r') {
      bool crlf = stop + 1 < bytes.size() && bytes[stop + 1] == '\n';
      line.end = crlf ? LineEnd::CrLf : LineEnd::Cr;
      start = stop + (crlf ? 2 : 1);
    } else {
      start = stop + 1;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string JoinLines(const std::vector<RawLine>& lines) {
  std::size_t size = 0;
  for (const RawLine& line : lines) size += line.text.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const RawLine& line : lines) {
    bytes += line.text;
    bytes += LineEndText(line.end);
  }
  return bytes;
}

LineEnd DominantLineEnd(const std::vector<RawLine>& lines) {
  std::array<std::size_t, 4> uses{};
  for (const RawLine& line : lines) ++uses[static_cast<std::size_t>(line.end)];
  // On a tie CR LF wins, as it is what the IDE itself writes.
  LineEnd best = LineEnd::CrLf;
  for (LineEnd end : {LineEnd::Lf, LineEnd::Cr})
    if (uses[static_cast<std::size_t>(end)] > uses[static_cast<std::size_t>(best)]) best = end;
  return best;
}

}  // namespace gildex::host
