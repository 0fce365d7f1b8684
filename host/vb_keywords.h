#pragma once
// The VB6 code window re-renders every line it is given: its Basic keywords take their own
// case ("exit SUB" is saved as "Exit Sub", "Goto" as "GoTo"). Lines the in-memory module is
// given go through the same rendering, so that what Gildex writes looks as VB6 would save it.
#include <string>
#include <string_view>

namespace gildex::host {

// `line` with each reserved word and built-in type name in VB6's case, outside string
// literals, comments (apostrophe and Rem), bracketed names and members after "." or "!";
// every other byte (names, spacing, line numbers, labels) as given.
std::string RenderKeywords(std::string_view line);
// The same, written over `line` itself.
void RenderKeywordsInPlace(std::string& line);

// True for a word VB6 reserves or a built-in type name, in any letter case (the words the
// code window draws in its keyword colour).
bool IsKeyword(std::string_view word);

}  // namespace gildex::host
