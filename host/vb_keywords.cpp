#include "host/vb_keywords.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

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
// edit gives the module passes here: no allocation, one binary search over upper case.
std::string_view Keyword(std::string_view word) {
  constexpr std::size_t kLongest = 10;
  if (word.size() < 2 || word.size() > kLongest) return {};
  using Entry = std::pair<std::string, std::string_view>;
  static const std::vector<Entry> by_upper_case = [] {
    std::vector<Entry> entries;
    for (std::string_view keyword : kKeywords) entries.emplace_back(cp1252::Upper(keyword), keyword);
    std::sort(entries.begin(), entries.end());
    return entries;
  }();
  std::array<char, kLongest> buffer{};
  for (std::size_t i = 0; i < word.size(); ++i) buffer[i] = cp1252::ToUpper(word[i]);
  const std::string_view upper(buffer.data(), word.size());
  const auto found = std::lower_bound(by_upper_case.begin(), by_upper_case.end(), upper,
                                      [](const Entry& entry, std::string_view key) { return entry.first < key; });
  return found != by_upper_case.end() && found->first == upper ? found->second : std::string_view();
}

}  // namespace

bool IsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || u >= 0x80;
}

std::size_t PastQuoted(std::string_view line, std::size_t at) {
  const char close = line[at] == '"' ? '"' : ']';
  std::size_t stop = line.find(close, at + 1);
  while (close == '"' && stop != std::string_view::npos && stop + 1 < line.size() && line[stop + 1] == '"')
    stop = line.find('"', stop + 2);
  return stop == std::string_view::npos ? line.size() : stop + 1;
}

bool IsKeyword(std::string_view word) { return !Keyword(word).empty(); }

std::string RenderKeywords(std::string_view line) {
  // A keyword keeps its length: the line is copied once and its keywords written over.
  std::string out(line);
  std::string_view previous_word;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == '\'') break;  // the comment, as written
    if (c == '"' || c == '[') {
      // A string literal or a bracketed name stays as written.
      i = PastQuoted(line, i);
      previous_word = {};
      continue;
    }
    if (!IsWordChar(c)) {
      ++i;
      if (c != '.' && c != '!' && c != ' ' && c != '\t') previous_word = {};
      continue;
    }
    std::size_t stop = i;
    while (stop < line.size() && IsWordChar(line[stop])) ++stop;
    const std::string_view word = line.substr(i, stop - i);
    // A member after "." or "!" is the object's name, not a keyword; Debug.Print is the
    // one statement written that way.
    const bool member = i > 0 && (line[i - 1] == '.' || line[i - 1] == '!');
    std::string_view keyword = Keyword(word);
    if (member && !(cp1252::EqualsNoCase(previous_word, "Debug") && keyword == "Print")) keyword = {};
    // Debug is the object only before its dot: "#Const DEBUG" names a constant of the user's.
    if (cp1252::EqualsNoCase(word, "Debug") && stop < line.size() && line[stop] == '.') keyword = "Debug";
    if (!keyword.empty()) out.replace(i, keyword.size(), keyword);
    if (keyword == "Rem") break;
    previous_word = word;
    i = stop;
  }
  return out;
}

}  // namespace gildex::host
