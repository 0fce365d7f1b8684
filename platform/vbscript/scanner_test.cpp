#include "platform/vbscript/scanner.h"

#include <gtest/gtest.h>

namespace gildex::vbscript {
namespace {

// Tokens as "line:column text", newlines as "NL".
std::vector<std::string> Describe(std::string_view source) {
  std::vector<std::string> out;
  for (const Token& t : Scan(source)) {
    if (t.kind == TokenKind::End) break;
    std::string text = t.kind == TokenKind::Newline ? "NL" : t.text;
    if (t.kind == TokenKind::String) text = "\"" + text + "\"";
    out.push_back(std::to_string(t.line) + ":" + std::to_string(t.column) + " " + text);
  }
  return out;
}

TEST(ScannerTest, TokensCarryLineAndColumn) {
  EXPECT_EQ(Describe("x = \"a\"\"b\" & _\r\n    y ' note\r\nRem all of this\r\nIf a <> &HFF Then b = #1/2/2024#"),
            (std::vector<std::string>{"1:1 x", "1:3 =", "1:5 \"a\"b\"", "1:12 &", "2:5 y", "2:13 NL", "3:16 NL",
                                      "4:1 If", "4:4 a", "4:6 <>", "4:9 &HFF", "4:14 Then", "4:19 b", "4:21 =",
                                      "4:23 1/2/2024"}));
  EXPECT_EQ(Describe("a.b(1).c : [odd name] = .5"),
            (std::vector<std::string>{"1:1 a", "1:2 .", "1:3 b", "1:4 (", "1:5 1", "1:6 )", "1:7 .", "1:8 c", "1:10 :",
                                      "1:12 odd name", "1:23 =", "1:25 .5"}));
}

}  // namespace
}  // namespace gildex::vbscript
