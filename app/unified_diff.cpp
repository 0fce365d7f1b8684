#include "app/unified_diff.h"

#include <dtl/dtl.hpp>

#include <vector>

namespace gildex::app {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string UnifiedDiff(std::string_view name, std::string_view before, std::string_view after) {
  if (before == after) return {};
  const std::vector<std::string> a = Lines(before), b = Lines(after);
  dtl::Diff<std::string, std::vector<std::string>> diff(a, b);
  // Whole modules of tens of thousands of lines: trade the shortest script for speed.
  if (a.size() + b.size() > 20000) diff.onHuge();
  diff.compose();
  diff.composeUnifiedHunks();
  std::string out = "--- a/" + std::string(name) + "\n+++ b/" + std::string(name) + "\n";
  for (const auto& hunk : diff.getUniHunks()) {
    out += "@@ -" + std::to_string(hunk.a) + "," + std::to_string(hunk.b) + " +" + std::to_string(hunk.c) + "," +
           std::to_string(hunk.d) + " @@\n";
    auto put = [&](const auto& elements) {
      for (const auto& [line, info] : elements) {
        out += info.type == dtl::SES_ADD ? '+' : info.type == dtl::SES_DELETE ? '-' : ' ';
        out += line;
        out += '\n';
      }
    };
    put(hunk.common[0]);
    put(hunk.change);
    put(hunk.common[1]);
  }
  if (out.find("\n@@") == std::string::npos) out += "@@ line ends differ only @@\n";
  return out;
}

}  // namespace gildex::app
