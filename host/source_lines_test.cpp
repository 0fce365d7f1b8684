#include "host/source_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace gildex::host {
namespace {

using ::testing::ElementsAreArray;

std::vector<std::pair<std::string, LineEnd>> Pairs(const std::vector<RawLine>& lines) {
  std::vector<std::pair<std::string, LineEnd>> pairs;
  for (const RawLine& line : lines) pairs.emplace_back(line.text, line.end);
  return pairs;
}

TEST(SourceLines, SplitsAtEveryLineEndAndJoinsBackExactly) {
  struct Case {
    std::string bytes;
    std::vector<std::pair<std::string, LineEnd>> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a", {{"a", LineEnd::None}}},
      {"a\r\n", {{"a", LineEnd::CrLf}}},
      {"a\r\nb", {{"a", LineEnd::CrLf}, {"b", LineEnd::None}}},
      {"a\nb\rc\r\n", {{"a", LineEnd::Lf}, {"b", LineEnd::Cr}, {"c", LineEnd::CrLf}}},
      {"\r\n\r\n", {{"", LineEnd::CrLf}, {"", LineEnd::CrLf}}},
      {"a\n\rb", {{"a", LineEnd::Lf}, {"", LineEnd::Cr}, {"b", LineEnd::None}}},
      {"a\r\r\n", {{"a", LineEnd::Cr}, {"", LineEnd::CrLf}}},
      {"\xe9t\xe9\r\n", {{"\xe9t\xe9", LineEnd::CrLf}}},
      {"a\r", {{"a", LineEnd::Cr}}},
      {"a\rb\rc\nd\r", {{"a", LineEnd::Cr}, {"b", LineEnd::Cr}, {"c", LineEnd::Lf}, {"d", LineEnd::Cr}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::vector<RawLine> lines = SplitLines(c.bytes);
    EXPECT_THAT(Pairs(lines), ElementsAreArray(c.lines));
    EXPECT_EQ(JoinLines(lines), c.bytes);
  }
}

TEST(SourceLines, DominantLineEndIsTheMostUsed) {
  EXPECT_EQ(DominantLineEnd(SplitLines("")), LineEnd::CrLf);
  EXPECT_EQ(DominantLineEnd(SplitLines("a")), LineEnd::CrLf);
  EXPECT_EQ(DominantLineEnd(SplitLines("a\nb\nc\r\nd")), LineEnd::Lf);
  EXPECT_EQ(DominantLineEnd(SplitLines("a\rb\r\nc\r")), LineEnd::Cr);
  EXPECT_EQ(DominantLineEnd(SplitLines("a\nb\r\n")), LineEnd::CrLf);
  EXPECT_EQ(LineEndText(LineEnd::CrLf), "\r\n");
  EXPECT_EQ(LineEndText(LineEnd::None), "");
}

}  // namespace
}  // namespace gildex::host
