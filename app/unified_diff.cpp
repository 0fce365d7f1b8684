#include "app/unified_diff.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <unordered_map>
#include <utility>

namespace gildex::app {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kContext = 3;
// Beyond this many edits between two matched lines the region is printed as replaced
// whole: a longer search would cost time and memory for no gain to the reader.
constexpr long kMaxEdits = 2000;
// Nesting of regions searched for lines found once on each side; past it, the edit search.
constexpr int kMaxDepth = 32;

// Lines with their LF, split at LF only as git and patch see them (a CR stays in its line);
// the last one may have no LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// Finds pairs of equal lines, in increasing order on both sides, over lines given as ids
// (equal lines, equal ids).
class Matcher {
 public:
  Matcher(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, std::size_t ids)
      : a_(a), b_(b), count_a_(ids, 0), count_b_(ids, 0), where_b_(ids, 0) {}

  std::vector<std::pair<std::size_t, std::size_t>> Run() {
    Match(0, a_.size(), 0, b_.size(), 0);
    return std::move(matches_);
  }

 private:
  void Match(std::size_t alo, std::size_t ahi, std::size_t blo, std::size_t bhi, int depth) {
    while (alo < ahi && blo < bhi && a_[alo] == b_[blo]) matches_.emplace_back(alo++, blo++);
    std::size_t ahi_end = ahi;
    while (ahi > alo && bhi > blo && a_[ahi - 1] == b_[bhi - 1]) --ahi, --bhi;
    const std::size_t common_end = ahi_end - ahi;
    if (alo < ahi && blo < bhi) {
      std::vector<std::pair<std::size_t, std::size_t>> anchors;
      if (depth < kMaxDepth) anchors = UniqueAnchors(alo, ahi, blo, bhi);
      if (anchors.empty()) {
        Edits(alo, ahi, blo, bhi);
      } else {
        std::size_t next_a = alo, next_b = blo;
        for (const auto& [i, j] : anchors) {
          Match(next_a, i, next_b, j, depth + 1);
          matches_.emplace_back(i, j);
          next_a = i + 1;
          next_b = j + 1;
        }
        Match(next_a, ahi, next_b, bhi, depth + 1);
      }
    }
    for (std::size_t k = 0; k < common_end; ++k) matches_.emplace_back(ahi + k, bhi + k);
  }

  // Lines found exactly once in each range, the longest run of them in the same order on
  // both sides.
  std::vector<std::pair<std::size_t, std::size_t>> UniqueAnchors(std::size_t alo, std::size_t ahi, std::size_t blo,
                                                                 std::size_t bhi) {
    for (std::size_t i = alo; i < ahi; ++i) ++count_a_[a_[i]];
    for (std::size_t j = blo; j < bhi; ++j) {
      ++count_b_[b_[j]];
      where_b_[b_[j]] = j;
    }
    std::vector<std::pair<std::size_t, std::size_t>> unique;
    for (std::size_t i = alo; i < ahi; ++i)
      if (count_a_[a_[i]] == 1 && count_b_[a_[i]] == 1) unique.emplace_back(i, where_b_[a_[i]]);
    for (std::size_t i = alo; i < ahi; ++i) count_a_[a_[i]] = 0;
    for (std::size_t j = blo; j < bhi; ++j) count_b_[b_[j]] = 0;
    return LongestIncreasing(unique);
  }

  // The longest subsequence increasing on the b side (it already increases on the a side).
  static std::vector<std::pair<std::size_t, std::size_t>> LongestIncreasing(
      const std::vector<std::pair<std::size_t, std::size_t>>& pairs) {
    std::vector<std::size_t> tails;  // index in `pairs` of the smallest tail of each length
    std::vector<std::ptrdiff_t> before(pairs.size(), -1);
    for (std::size_t p = 0; p < pairs.size(); ++p) {
      auto at = std::lower_bound(tails.begin(), tails.end(), pairs[p].second,
                                 [&](std::size_t t, std::size_t b) { return pairs[t].second < b; });
      if (at != tails.begin()) before[p] = static_cast<std::ptrdiff_t>(*(at - 1));
      if (at == tails.end())
        tails.push_back(p);
      else
        *at = p;
    }
    std::vector<std::pair<std::size_t, std::size_t>> run;
    for (std::ptrdiff_t p = tails.empty() ? -1 : static_cast<std::ptrdiff_t>(tails.back()); p >= 0; p = before[p])
      run.push_back(pairs[p]);
    std::reverse(run.begin(), run.end());
    return run;
  }

  // Myers' greedy search for the fewest insertions and deletions; gives up (matching
  // nothing) past kMaxEdits.
  void Edits(std::size_t alo, std::size_t ahi, std::size_t blo, std::size_t bhi) {
    const long n = static_cast<long>(ahi - alo), m = static_cast<long>(bhi - blo);
    const long max_d = std::min(n + m, kMaxEdits);
    const long offset = max_d + 1;
    std::vector<long> v(static_cast<std::size_t>(2 * max_d + 3), 0);
    std::vector<long> trace;  // v[-d..d] after each round d, one round after the other
    for (long d = 0; d <= max_d; ++d) {
      for (long k = -d; k <= d; k += 2) {
        long x = (k == -d || (k != d && v[k - 1 + offset] < v[k + 1 + offset])) ? v[k + 1 + offset]
                                                                                : v[k - 1 + offset] + 1;
        long y = x - k;
        while (x < n && y < m && a_[alo + x] == b_[blo + y]) ++x, ++y;
        v[k + offset] = x;
        if (x >= n && y >= m) return Backtrack(alo, blo, n, m, d, trace);
      }
      trace.insert(trace.end(), v.begin() + (offset - d), v.begin() + (offset + d + 1));
    }
  }

  void Backtrack(std::size_t alo, std::size_t blo, long x, long y, long d, const std::vector<long>& trace) {
    std::vector<std::pair<std::size_t, std::size_t>> found;
    for (; d > 0; --d) {
      // Round d-1 holds v[-(d-1)..d-1] and starts after the (d-1)^2 values of the rounds before.
      const long* prev = trace.data() + (d - 1) * (d - 1) + (d - 1);
      const long k = x - y;
      const bool down = k == -d || (k != d && prev[k - 1] < prev[k + 1]);
      const long from_k = down ? k + 1 : k - 1;
      const long from_x = prev[from_k];
      const long snake_x = down ? from_x : from_x + 1;
      for (long sx = x; sx > snake_x;) --sx, found.emplace_back(alo + sx, blo + (sx - k));
      x = from_x;
      y = from_x - from_k;
    }
    for (long sx = x; sx > 0;) --sx, found.emplace_back(alo + sx, blo + sx);
    matches_.insert(matches_.end(), found.rbegin(), found.rend());
  }

  const std::vector<std::uint32_t>& a_;
  const std::vector<std::uint32_t>& b_;
  std::vector<std::uint32_t> count_a_, count_b_;
  std::vector<std::size_t> where_b_;
  std::vector<std::pair<std::size_t, std::size_t>> matches_;
};

// A name as git writes it: in double quotes with C escapes when it holds a quote, a
// backslash or a control character.
std::string Quoted(std::string_view prefix, std::string_view path) {
  const std::string name = std::string(prefix) + std::string(path);
  const bool plain = std::none_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == '"' || c == '\\' || u < 0x20 || u == 0x7f;
  });
  if (plain) return name;
  std::string out = "\"";
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      default:
        if (u < 0x20 || u == 0x7f) {
          out += '\\';
          out += static_cast<char>('0' + (u >> 6));
          out += static_cast<char>('0' + ((u >> 3) & 7));
          out += static_cast<char>('0' + (u & 7));
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string Range(std::size_t first, std::size_t count) {
  // An empty range names the line before it.
  std::string text = std::to_string(count == 0 ? first : first + 1);
  if (count != 1) text += "," + std::to_string(count);
  return text;
}

void PutLine(std::string& out, char mark, std::string_view line) {
  out += mark;
  out += line;
  if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  if (ec) absolute = path;
  fs::path resolved = fs::weakly_canonical(absolute, ec);
  if (ec) resolved = absolute.lexically_normal();
  // "/a/b/" and "/a/b" are the same folder.
  if (!resolved.has_filename() && resolved.has_parent_path() && resolved != resolved.root_path())
    resolved = resolved.parent_path();
  return resolved;
}

bool Holds(const fs::path& folder, const fs::path& file) {
  auto f = file.begin();
  for (auto part = folder.begin(); part != folder.end(); ++part, ++f)
    if (f == file.end() || *part != *f) return false;
  return true;
}

}  // namespace

std::string UnifiedDiff(std::string_view path, std::string_view before, std::string_view after) {
  if (before == after) return {};
  const std::vector<std::string_view> a = SplitLines(before), b = SplitLines(after);
  std::unordered_map<std::string_view, std::uint32_t> ids;
  ids.reserve(a.size() + b.size());
  auto intern = [&](const std::vector<std::string_view>& lines) {
    std::vector<std::uint32_t> out;
    out.reserve(lines.size());
    for (const std::string_view line : lines)
      out.push_back(ids.try_emplace(line, static_cast<std::uint32_t>(ids.size())).first->second);
    return out;
  };
  const std::vector<std::uint32_t> ida = intern(a), idb = intern(b);
  const auto matches = Matcher(ida, idb, ids.size()).Run();

  // The changed blocks: a[a0, a1) became b[b0, b1).
  struct Block {
    std::size_t a0, a1, b0, b1;
  };
  std::vector<Block> blocks;
  std::size_t next_a = 0, next_b = 0;
  for (const auto& [i, j] : matches) {
    if (i > next_a || j > next_b) blocks.push_back({next_a, i, next_b, j});
    next_a = i + 1;
    next_b = j + 1;
  }
  if (next_a < a.size() || next_b < b.size()) blocks.push_back({next_a, a.size(), next_b, b.size()});

  std::string out = "diff --git " + Quoted("a/", path) + " " + Quoted("b/", path) + "\n";
  // Like git, a tab ends a name holding a space, so that patch reads the whole name.
  const std::string tab = path.find(' ') != std::string_view::npos ? "\t" : "";
  out += "--- " + Quoted("a/", path) + tab + "\n+++ " + Quoted("b/", path) + tab + "\n";
  for (std::size_t first = 0; first < blocks.size();) {
    // Blocks closer than twice the context share one hunk.
    std::size_t last = first;
    while (last + 1 < blocks.size() && blocks[last + 1].a0 - blocks[last].a1 <= 2 * kContext) ++last;
    const std::size_t lead = std::min(kContext, blocks[first].a0);
    const std::size_t trail = std::min(kContext, a.size() - blocks[last].a1);
    const std::size_t a_start = blocks[first].a0 - lead, b_start = blocks[first].b0 - lead;
    out += "@@ -" + Range(a_start, blocks[last].a1 + trail - a_start) + " +" +
           Range(b_start, blocks[last].b1 + trail - b_start) + " @@\n";
    std::size_t at = a_start;
    for (std::size_t k = first; k <= last; ++k) {
      for (; at < blocks[k].a0; ++at) PutLine(out, ' ', a[at]);
      for (std::size_t i = blocks[k].a0; i < blocks[k].a1; ++i) PutLine(out, '-', a[i]);
      for (std::size_t j = blocks[k].b0; j < blocks[k].b1; ++j) PutLine(out, '+', b[j]);
      at = blocks[k].a1;
    }
    for (; at < blocks[last].a1 + trail; ++at) PutLine(out, ' ', a[at]);
    first = last + 1;
  }
  return out;
}

fs::path DiffRoot(const std::vector<fs::path>& files, const fs::path& cwd, const fs::path& project_folder) {
  std::vector<fs::path> resolved;
  for (const fs::path& file : files) resolved.push_back(Resolved(file));
  auto holds_all = [&](const fs::path& folder) {
    return std::all_of(resolved.begin(), resolved.end(), [&](const fs::path& f) { return Holds(folder, f); });
  };
  const fs::path here = Resolved(cwd);
  if (holds_all(here)) return here;
  fs::path root = Resolved(project_folder);
  while (!holds_all(root) && root.has_relative_path()) root = root.parent_path();
  return root;
}

std::string DiffPath(const fs::path& file, const fs::path& root) {
  return Resolved(file).lexically_relative(Resolved(root)).generic_string();
}

}  // namespace gildex::app
