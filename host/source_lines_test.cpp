#include "host/source_lines.h"

#include <gtest/gtest.h>

namespace gildex::host {
namespace {

// Splitting and joining back byte for byte is checked on whole files (source_file_test.cpp).
TEST(SourceLines, DominantLineEndIsTheMostUsed) {
  EXPECT_EQ(DominantLineEnd(SplitLines("")), LineEnd::CrLf);
  EXPECT_EQ(DominantLineEnd(SplitLines("a")), LineEnd::CrLf);
  EXPECT_EQ(DominantLineEnd(SplitLines("a\nb\nc\r\nd")), LineEnd::Lf);
  EXPECT_EQ(DominantLineEnd(SplitLines("a\rb\r\nc\r")), LineEnd::Cr);
  EXPECT_EQ(DominantLineEnd(SplitLines("a\nb\r\n")), LineEnd::CrLf);
}

}  // namespace
}  // namespace gildex::host
