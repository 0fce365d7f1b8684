// A template line is read as literal pieces with a wildcard between each two: the variables
// InsertUserVars fills. Only the spellings it replaces are variables; any other text between
// percent signs was inserted as it stands ("%procname%" stays, and so does Basic's
// Integer suffix in "Dim i%, j%").
#include "engine/template_line.h"

#include <string_view>
#include <vector>

#include "platform/cp1252.h"

namespace gildex {

namespace {

constexpr std::string_view kVariables[] = {
    "%sProcName%",      "%sModule%",      "%ModuleName%", "%ProcName%", "%Scope%", "%ProcType%", "%FileName%",
    "%SourceProject%",  "%ProjectName%",  "%AppName%",    "%Date%",     "%Time%",  "%User%",     "%PrevLine%"};

// The length of the variable at the start of `text`, or 0.
std::size_t VariableAt(std::string_view text) {
  if (text.starts_with("%[")) {
    const std::size_t close = text.find("]%", 2);
    return close == std::string_view::npos ? 0 : close + 2;
  }
  for (std::string_view variable : kVariables)
    if (text.starts_with(variable)) return variable.size();
  return 0;
}

// The literal pieces of a template line; a wildcard stands between each two.
std::vector<std::string_view> LiteralPieces(std::string_view template_line) {
  std::vector<std::string_view> pieces;
  std::size_t piece_start = 0;
  for (std::size_t at = template_line.find('%'); at != std::string_view::npos;
       at = template_line.find('%', at + 1)) {
    const std::size_t length = VariableAt(template_line.substr(at));
    if (length == 0) continue;
    pieces.push_back(template_line.substr(piece_start, at - piece_start));
    piece_start = at + length;
    at = piece_start - 1;
  }
  pieces.push_back(template_line.substr(piece_start));
  return pieces;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && cp1252::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

bool MatchesTemplateLine(std::string_view template_line, std::string_view line) {
  const std::vector<std::string_view> pieces = LiteralPieces(template_line);
  if (pieces.size() == 1) return cp1252::EqualsNoCase(line, pieces.front());
  const std::string_view first = pieces.front(), last = pieces.back();
  if (first.size() + last.size() > line.size() || !cp1252::StartsWithNoCase(line, first) ||
      !EndsWithNoCase(line, last))
    return false;
  // With nothing but "match anything" between the pieces, taking each middle piece where it
  // first occurs leaves the most room for the ones after it.
  const std::string_view middle = line.substr(first.size(), line.size() - first.size() - last.size());
  std::size_t from = 0;
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
    const std::size_t found = cp1252::FindNoCase(middle, pieces[i], from);
    if (found == std::string_view::npos) return false;
    from = found + pieces[i].size();
  }
  return true;
}

}  // namespace gildex
