#include "host/basic_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/source_lines.h"

namespace gildex::host {
namespace {

// The tokens of a text's lines as "W<Dim> W<x>", lines joined by " / "; a comment continued
// from one line carries into the next, whatever ends the line.
std::string Lex(std::string_view text) {
  std::string out;
  bool comment = false;
  for (const LineView& line : SplitLineViews(text)) {
    if (!out.empty()) out += " /";
    BasicLexer lexer(line.text, comment);
    for (Token token; lexer.Next(token);) {
      EXPECT_EQ(line.text.substr(token.at, token.text.size()), token.text);
      out += std::string(" ") + "WBNSD:.C"[static_cast<int>(token.kind)] + "<" + std::string(token.text) + ">";
    }
    comment = lexer.CommentGoesOn();
  }
  return out;
}

TEST(BasicLexer, ReadsEveryKindOfTokenAsVbDoes) {
  const std::vector<std::pair<std::string_view, std::string_view>> cases = {
      {"x = \"a \"\"b\"\" ' c\" ' d", " W<x> .<=> S<\"a \"\"b\"\" ' c\"> C<' d>"},
      {"MsgBox \"unclosed ' x", " W<MsgBox> S<\"unclosed ' x>"},
      {"Remark = 1: rem x: y", " W<Remark> .<=> N<1> :<:> C<rem x: y>"},
      {"10 Rem a", " N<10> C<Rem a>"},
      {"If a Then Rem b", " W<If> W<a> W<Then> C<Rem b>"},
      {"rs.Rem = x.Rem", " W<rs> .<.> W<Rem> .<=> W<x> .<.> W<Rem>"},
      {"a$ = Left$(b, 1) & rs!Name & c&", " W<a$> .<=> W<Left$> .<(> W<b> .<,> N<1> .<)> .<&> W<rs> .<!> W<Name> .<&> W<c&>"},
      {"d = #1/2/2003# + #12:30 PM#", " W<d> .<=> D<#1/2/2003#> .<+> D<#12:30 PM#>"},
      {"Close #1: Print #2, x", " W<Close> .<#> N<1> :<:> W<Print> .<#> N<2> .<,> W<x>"},
      {"[end sub] = &HFF& + 1.5E3 + .5 + 5#", " B<[end sub]> .<=> N<&HFF&> .<+> N<1.5E3> .<+> N<.5> .<+> N<5#>"},
      {"f a:=1, b <> c", " W<f> W<a> .<:=> N<1> .<,> W<b> .<<>> W<c>"},
      {"\xC4nderung = \"\xE9\" '\xFC", " W<\xC4nderung> .<=> S<\"\xE9\"> C<'\xFC>"},
      {"\tx\x01 = [open", " W<x> .<=> B<[open>"},
      // Continued lines: code, then a comment through both LF and CR LF ends, then code again.
      {"Call f(a, _\ny)", " W<Call> W<f> .<(> W<a> .<,> W<_> / W<y> .<)>"},
      {"x ' a _\nb _\r\nc\r\nd", " W<x> C<' a _> / C<b _> / C<c> / W<d>"},
      {"Rem _\r\n\r\nx", " C<Rem _> / / W<x>"},
      {"' a_\nx", " C<' a_> / W<x>"},
  };
  for (const auto& [line, tokens] : cases) EXPECT_EQ(Lex(line), tokens) << line;
}

}  // namespace
}  // namespace gildex::host
