#include "host/source_lines.h"

#include <algorithm>
#include <array>
#include <cstring>

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

std::vector<LineView> SplitLineViews(std::string_view bytes) {
  std::vector<LineView> lines;
  // Source lines run about 40 bytes; a guess avoids a counting pass and most regrowth.
  lines.reserve(bytes.size() / 32 + 1);
  const char* const data = bytes.data();
  const std::size_t size = bytes.size();
  const auto find = [data](char c, std::size_t from, std::size_t to) {
    const void* at = std::memchr(data + from, c, to - from);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - data) : to;
  };
  // memchr is far faster than a byte loop; the next LF is kept between lines so that a file
  // of lone CRs is not searched to its end for every line.
  std::size_t start = 0, lf = 0;
  bool lf_known = false;
  while (start < size) {
    if (!lf_known || lf < start) {
      lf = find('\n', start, size);
      lf_known = true;
    }
    const std::size_t cr = find('\r', start, lf);
    if (cr < lf) {
      const bool crlf = cr + 1 == lf && lf < size;
      lines.push_back({bytes.substr(start, cr - start), crlf ? LineEnd::CrLf : LineEnd::Cr});
      start = cr + (crlf ? 2 : 1);
    } else if (lf < size) {
      lines.push_back({bytes.substr(start, lf - start), LineEnd::Lf});
      start = lf + 1;
    } else {
      lines.push_back({bytes.substr(start), LineEnd::None});
      break;
    }
  }
  return lines;
}

std::vector<RawLine> SplitLines(std::string_view bytes) {
  std::vector<LineView> views = SplitLineViews(bytes);
  std::vector<RawLine> lines;
  lines.reserve(views.size());
  for (const LineView& view : views) lines.push_back({std::string(view.text), view.end});
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
