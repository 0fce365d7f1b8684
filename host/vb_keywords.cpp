#include "host/vb_keywords.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "host/basic_lexer.h"
#include "platform/cp1252.h"

namespace gildex::host {

namespace {

// The words VB6 reserves (they can never be a user's name, so recasing them never touches
// one) and its built-in types; Debug is handled apart. Words that are keywords only in one statement (Input,
// Name, Line, Binary, Lib, Alias...) are left out: a user's variable may carry that name.
constexpr auto kKeywords = std::to_array<std::string_view>({
    "And",        "Any",     "As",         "Boolean",  "ByRef",      "Byte",     "ByVal",  "Call",    "Case",
    "CBool",      "CByte",   "CCur",       "CDate",    "CDbl",       "CDec",     "CInt",   "CLng",    "Close",
    "Const",      "CSng",    "CStr",       "Currency", "CVar",       "CVErr",    "Date",   "Decimal", "Declare",
    "DefBool",    "DefByte", "DefCur",     "DefDate",  "DefDbl",     "DefDec",   "DefInt", "DefLng",  "DefObj",
    "DefSng",     "DefStr",  "DefVar",     "Dim",      "Do",         "Double",   "Each",   "Else",    "ElseIf",
    "Empty",      "End",     "Enum",       "Eqv",      "Erase",      "Error",    "Event",  "Exit",    "False",
    "For",        "Friend",  "Function",   "Get",      "Global",     "GoSub",    "GoTo",   "If",      "Imp",
    "Implements", "In",      "Integer",    "Is",       "Let",        "Like",     "Long",   "Loop",    "LSet",
    "Me",         "Mod",     "New",        "Next",     "Not",        "Nothing",  "Null",   "Object",  "On",
    "Open",       "Option",  "Optional",   "Or",       "ParamArray", "Preserve", "Print",  "Private", "Property",
    "Public",     "Put",     "RaiseEvent", "ReDim",    "Rem",        "Resume",   "Return", "RSet",    "Select",
    "Set",        "Single",  "Static",     "Step",     "Stop",       "String",   "Sub",    "Then",    "To",
    "True",       "Type",    "TypeOf",     "Until",    "Variant",    "Wend",     "While",  "With",    "WithEvents",
    "Write",      "Xor",
});

// VB6's spelling of `word`, or empty when it is no keyword. Every word of every line an
// edit gives the module passes here: no allocation, and the few keywords of the word's length
// and first letter compared.
std::string_view Keyword(std::string_view word) {
  constexpr std::size_t kLongest = 10, kLetters = 26;
  const auto letter = [](char c) -> std::size_t {
    if (c >= 'a' && c <= 'z') return static_cast<std::size_t>(c - 'a');
    if (c >= 'A' && c <= 'Z') return static_cast<std::size_t>(c - 'A');
    return kLetters;
  };
  if (word.size() < 2 || word.size() > kLongest || letter(word.front()) == kLetters) return {};
  using Bucket = std::vector<std::string_view>;
  static const std::vector<Bucket> buckets = [&letter] {
    std::vector<Bucket> table((kLongest + 1) * kLetters);
    for (std::string_view keyword : kKeywords) table[keyword.size() * kLetters + letter(keyword.front())].push_back(keyword);
    return table;
  }();
  for (std::string_view keyword : buckets[word.size() * kLetters + letter(word.front())])
    if (cp1252::EqualsNoCase(word, keyword)) return keyword;
  return {};
}

}  // namespace

bool IsKeyword(std::string_view word) { return !Keyword(word).empty(); }

void RenderKeywordsInPlace(std::string& text) {
  // A keyword keeps its length, so it is written over the word. The lexer reads the bytes being
  // written, but only ever compares them without letter case.
  const std::string_view line = text;
  std::string_view previous_word;
  BasicLexer lexer(line);
  for (Token token; lexer.Next(token);) {
    if (token.kind == TokenKind::Comment) {
      // Rem takes its case; the comment itself stays as written.
      if (token.text.front() != '\'') std::copy_n("Rem", 3, text.begin() + static_cast<std::ptrdiff_t>(token.at));
      break;
    }
    if (token.kind != TokenKind::Word) {
      if (token.text != "." && token.text != "!") previous_word = {};
      continue;
    }
    const std::string_view word = token.Name();
    const std::size_t at = token.at, stop = at + word.size();
    // A member after "." or "!" is the object's name, not a keyword; Debug.Print is the
    // one statement written that way.
    const bool member = at > 0 && (line[at - 1] == '.' || line[at - 1] == '!');
    std::string_view keyword = Keyword(word);
    if (member && !(cp1252::EqualsNoCase(previous_word, "Debug") && keyword == "Print")) keyword = {};
    // Debug is the object only before its dot: "#Const DEBUG" names a constant of the user's.
    if (cp1252::EqualsNoCase(word, "Debug") && stop < line.size() && line[stop] == '.') keyword = "Debug";
    if (!keyword.empty()) std::copy(keyword.begin(), keyword.end(), text.begin() + static_cast<std::ptrdiff_t>(at));
    previous_word = word;
  }
}

std::string RenderKeywords(std::string_view line) {
  std::string out(line);
  RenderKeywordsInPlace(out);
  return out;
}

}  // namespace gildex::host
