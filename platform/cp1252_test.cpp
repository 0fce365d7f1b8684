#include "platform/cp1252.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace gildex::cp1252 {
namespace {

TEST(Cp1252, CaseRulesCoverAccentedLettersButNotSigns) {
  EXPECT_EQ(Upper("caf\xe9 \x9a\x9c\xff"), "CAF\xc9 \x8a\x8c\x9f");
  EXPECT_EQ(Lower("\xc7\xc3O \xd7 \xdf"), "\xe7\xe3o \xd7 \xdf");  // multiplication sign and sharp s stay
  EXPECT_TRUE(EqualsNoCase("Private SUB", "private sub"));
  EXPECT_FALSE(EqualsNoCase("Sub", "Subs"));
  EXPECT_TRUE(StartsWithNoCase("Attribute VB_Name", "attribute "));
  EXPECT_EQ(FindNoCase("x = Sub1: SUB", "sub"), 4u);
  EXPECT_EQ(FindNoCase("x = Sub1: SUB", "sub", 5), 10u);
  EXPECT_EQ(FindNoCase("x = \xc9t\xe9", "\xe9T\xc9"), 4u);
  EXPECT_EQ(FindNoCase("abc", "abcd"), std::string_view::npos);
  EXPECT_EQ(FindNoCase("abc", ""), 0u);
  EXPECT_TRUE(LessNoCase{}("apple", "BANANA"));
  EXPECT_FALSE(LessNoCase{}("Apple", "apple"));
}

TEST(Cp1252, ConvertsToAndFromUnicode) {
  EXPECT_EQ(ToUtf8("a\xe7\x80"), "a\xc3\xa7\xe2\x82\xac");
  EXPECT_EQ(ToUtf8("\x81"), "\xef\xbf\xbd");
  EXPECT_EQ(ToDisplay("Caf\xe9\r\nline\rend\n"), "Caf\xc3\xa9\nline\nend\n");
  EXPECT_EQ(ToDisplay(std::string("a\x1b[2Jb\t\x07\0\x7f.frm", 14)), "a\\x1B[2Jb\t\\x07\\x00\\x7F.frm");
  EXPECT_EQ(FromUnicode(U'a'), 'a');
  EXPECT_EQ(FromUnicode(0xE9), '\xe9');
  EXPECT_EQ(FromUnicode(0x20AC), '\x80');  // euro sign
  EXPECT_EQ(FromUnicode(0x0178), '\x9f');
  EXPECT_EQ(FromUnicode(0x0081), std::nullopt);  // C1 control: its byte means something else here
  EXPECT_EQ(FromUnicode(0x4E2D), std::nullopt);
}

// Another Windows code page, through iconv: text shown and typed follows it; Gildex's own files
// (the registry file) stay in 1252.
TEST(Cp1252, OtherCodePagesComeThroughIconv) {
  const struct {
    int code_page;
    std::string bytes, utf8;
    char32_t undefined;  // a byte the page leaves undefined
  } cases[] = {
      {1250, "\x8a\xe8", "\xc5\xa0\xc4\x8d", 0x81},             // S caron, c caron
      {1251, "\xcf\xf0\xe8", "\xd0\x9f\xd1\x80\xd0\xb8", 0x98},  // Cyrillic Pe, er, i
      {1253, "\xc1\xe2", "\xce\x91\xce\xb2", 0xAA},             // Greek Alpha, beta
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(UseCodePage(c.code_page)) << c.code_page;
    EXPECT_EQ(ToUtf8(c.bytes), c.utf8);
    std::string back;
    for (std::size_t at = 0; at < c.utf8.size();) back += FromUnicode(*NextUtf8(c.utf8, at)).value_or('?');
    EXPECT_EQ(back, c.bytes);
    EXPECT_EQ(CodePoint(static_cast<char>(c.undefined)), std::nullopt) << c.code_page;
    EXPECT_EQ(FromUnicode(0xE9, kDefaultCodePage), '\xe9');
  }
  EXPECT_FALSE(UseCodePage(65001));
  EXPECT_EQ(CurrentCodePage(), 1253);
  ASSERT_TRUE(UseCodePage(kDefaultCodePage));
  EXPECT_EQ(ToUtf8("\xe9"), "\xc3\xa9");
}

}  // namespace
}  // namespace gildex::cp1252
