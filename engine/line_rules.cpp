// The token tests by which the engine recognises procedure starts, ends, declarations and
// comments, and the engine's line operations that trap their errors around them.
#include "engine/line_rules.h"

#include <array>
#include <string>
#include <string_view>

#include "common/nembus_common.h"
#include "engine/pass_context.h"
#include "platform/cp1252.h"

namespace gildex {

namespace lines {
namespace {
constexpr std::array<std::string_view, 12> kProcStarts = {
    "Sub",         "Function",         "Property",         "Public Sub", "Public Function", "Public Property",
    "Private Sub", "Private Function", "Private Property", "Friend Sub", "Friend Function", "Friend Property"};

constexpr std::array<std::string_view, 3> kProcEnds = {"End Function", "End Sub", "End Property"};

constexpr std::array<std::string_view, 17> kDeclarationStarts = {
    "Dim",   "Sub",     "Function", "Private", "Friend",   "Static",       "Public",  "Global",      "Option",
    "Const", "Declare", "Property", "Type",    "End Type", "End Function", "End Sub", "End Property"};

struct TypeGroup {
  int code;
  std::array<std::string_view, 5> tokens;
};

// The first group that matches decides, so a property is never taken for a sub.
constexpr std::array<TypeGroup, 3> kTypeGroups = {{
    {1, {"Public Property", "Private Property", "Property", "Friend Property", "Static Property"}},
    {3, {"Public Sub", "Private Sub", "Sub", "Friend Sub", "Static Sub"}},
    {2, {"Public Function", "Private Function", "Function", "Friend Function", "Static Function"}},
}};

}  // namespace

bool IsBlank(std::string_view text) { return TrimSpaces(text).empty(); }

// Whether the first character after the leading spaces is one of `letters` (lower case),
// letter case aside: a token can only match where its first letter stands there, and this
// spares trying a list of tokens on every line.
bool StartsWithOneOf(std::string_view line, std::string_view letters) {
  const std::size_t found = line.find_first_not_of(' ');
  return found != std::string_view::npos && letters.find(cp1252::ToLower(line[found])) != std::string_view::npos;
}

bool MatchFirstToken(std::string_view line, std::string_view token, After after) {
  if (token.empty()) return false;
  std::size_t found = std::string_view::npos;
  if (token.front() != ' ') {
    // Only spaces may come before the token, so the one place worth comparing is the first
    // other character: this runs for every line of every procedure, a search did not pay.
    found = line.find_first_not_of(' ');
    if (found == std::string_view::npos || line.size() - found < token.size()) return false;
    const char first = cp1252::ToLower(token.front());
    if ((line[found] != first && line[found] != cp1252::ToUpper(first)) ||
        !cp1252::EqualsNoCase(line.substr(found + 1, token.size() - 1), token.substr(1)))
      return false;
  } else {
    found = cp1252::FindNoCase(line, token);
  }
  if (found == std::string_view::npos) return false;
  const std::size_t position = found + 1;
  const bool nothing_before = IsBlank(line.substr(0, found));
  // The trimmed length is compared with a position in the untrimmed line: an indented
  // "Subx" still counts as "Sub" when the line is short enough. The add-in has always
  // matched that way, so existing modules are read the same.
  if (TrimSpaces(line).size() > position) {
    const std::size_t end = found + token.size();
    const std::string_view rest = end < line.size() ? line.substr(end) : std::string_view();
    return nothing_before && IsBlank(after == After::NextCharacter ? rest.substr(0, 1) : rest);
  }
  return nothing_before;
}

bool IsStartProc(std::string_view line) {
  if (!StartsWithOneOf(line, "sfp")) return false;
  for (std::string_view token : kProcStarts)
    if (MatchFirstToken(line, token)) return true;
  return false;
}

bool IsEndProc(std::string_view line, After after) {
  if (!StartsWithOneOf(line, "e")) return false;
  for (std::string_view token : kProcEnds)
    if (MatchFirstToken(line, token, after)) return true;
  return false;
}

bool IsDeclarationLine(std::string_view line) {
  if (IsBlank(line)) return true;
  for (std::string_view token : kDeclarationStarts)
    if (MatchFirstToken(line, token)) return true;
  return false;
}

int ProcType(std::string_view line) {
  for (const TypeGroup& group : kTypeGroups)
    for (std::string_view token : group.tokens)
      if (MatchFirstToken(line, token)) return group.code;
  return 0;
}

std::string ProcTypeString(int type_code, std::string_view declaration) {
  switch (type_code) {
    case 1:
      return "Property";
    case 2:
      return "Function";
    case 3:
      return "Sub";
    default: {
      std::string word = GetProcString(declaration, false);
      return IsBlank(word) ? "Function" : word;
    }
  }
}

std::string GetProcString(std::string_view line, bool upper) {
  std::string word;
  // A keyword anywhere in the line wins over the first token, so "Public Static Sub"
  // still reads as a sub.
  if (cp1252::FindNoCase(line, " sub ") != std::string_view::npos)
    word = "Sub";
  else if (cp1252::FindNoCase(line, " function ") != std::string_view::npos)
    word = "Function";
  else if (cp1252::FindNoCase(line, " property ") != std::string_view::npos)
    word = "Property";
  else if (MatchFirstToken(line, "sub"))
    word = "Sub";
  else if (MatchFirstToken(line, "function"))
    word = "Function";
  else if (MatchFirstToken(line, "property"))
    word = "Property";
  return upper ? cp1252::Upper(word) : word;
}

host::ProcKind ProcKindOfDeclaration(std::string_view declaration) {
  const std::string upper = cp1252::Upper(declaration);
  if (upper.find(" LET ") != std::string::npos) return host::ProcKind::Let;
  if (upper.find(" GET ") != std::string::npos) return host::ProcKind::Get;
  if (upper.find(" SET ") != std::string::npos) return host::ProcKind::Set;
  return host::ProcKind::Proc;
}

}  // namespace lines

using lines::IsBlank;

bool PassContext::MatchFirstToken(std::string_view line, std::string_view token) {
  return report.Trap("CGildex.MatchFirstToken", false, [&] { return lines::MatchFirstToken(line, token); });
}

bool PassContext::IsStartProc(std::string_view line) {
  return report.Trap("CGildex.IsStartProc", false, [&] { return lines::IsStartProc(line); });
}

bool PassContext::IsEndProc(std::string_view line) {
  return report.Trap("CGildex.IsEndProc", false, [&] { return lines::IsEndProc(line); });
}

bool PassContext::IsDeclarationLine(std::string_view line) {
  return report.Trap("CGildex.IsDeclarationLine", false, [&] { return lines::IsDeclarationLine(line); });
}

int PassContext::ProcType(const host::CodeModule& module, long line) {
  return report.Trap("CGildex.ProcType", 0, [&] { return lines::ProcType(module.Line(line)); });
}

std::string PassContext::ProcTypeString(int type_code, std::string_view declaration) {
  return report.Trap("CGildex.ProcTypeString", std::string(),
                     [&] { return lines::ProcTypeString(type_code, declaration); });
}

std::string PassContext::GetProcString(std::string_view line, bool upper) {
  return report.Trap("CGildex.GetProcString", std::string(), [&] { return lines::GetProcString(line, upper); });
}

host::ProcKind PassContext::GuessProcKind(const host::CodeModule& module, long line) {
  const long count = module.CountOfLines();
  for (long current = line < 1 ? 1 : line; current <= count && !run.cancel; ++current) {
    std::string text = module.Lines(current, 1);
    if (!IsBlank(text) && IsDeclarationLine(text)) return lines::ProcKindOfDeclaration(text);
  }
  return host::ProcKind::Proc;
}

host::ProcKind PassContext::ProcKindOf(const host::CodeModule& module, std::string_view name, long line) {
  return report.Trap("CGildex.ProcKindOf", host::ProcKind::Proc, [&] {
    const host::ProcKind guess = GuessProcKind(module, line);
    // The declaration text can mislead (a " Get " inside a parameter list); the host knows.
    const std::array<host::ProcKind, 5> order = {guess, host::ProcKind::Proc, host::ProcKind::Let, host::ProcKind::Set,
                                                 host::ProcKind::Get};
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (i > 0 && order[i] == guess) continue;
      try {
        module.ProcStartLine(name, order[i]);
        return order[i];
      } catch (const host::HostError&) {
        // Not this kind; try the next.
      }
    }
    return guess;
  });
}

long PassContext::SkipJunkLines(const host::CodeModule& module, long line) {
  return report.Trap("CGildex.SkipJunkLines", 0L, [&] {
    const long count = module.CountOfLines();
    const auto continues = [&](long above) {
      if (above < 1 || above > count) return false;
      const std::string_view trimmed = TrimSpaces(module.Line(above));
      return !trimmed.empty() && trimmed.back() == '_';
    };
    long current = line;
    while (continues(current - 1)) ++current;
    if (settings.HeaderAfterComments())
      while (current <= count && MatchFirstToken(module.Line(current), "'")) ++current;
    return current;
  });
}

bool PassContext::SmallProcedure(long last_line, long body_line) {
  return report.Trap("CGildex.SmallProcedure", false, [&] {
    const long span = last_line - body_line;
    return span < 2 || (settings.IgnoreSmallFunctions() && span <= settings.MinLines());
  });
}

TrailingBlankLines PassContext::SetAsideTrailingBlankLines(host::CodeModule& module) {
  TrailingBlankLines aside;
  const long last = module.CountOfLines();
  long first = last + 1;
  while (first > 1 && IsBlank(module.Line(first - 1))) --first;
  aside.count = last - first + 1;
  if (aside.count > 0) aside.text = module.Lines(first, aside.count);
  TruncateBlankLinesIn(module);
  return aside;
}

void PassContext::PutBackTrailingBlankLines(host::CodeModule& module, const TrailingBlankLines& aside) {
  // Only when the truncation really took them: a failed host call leaves them in place.
  if (aside.count == 0) return;
  const long last = module.CountOfLines();
  if (last > 0 && IsBlank(module.Line(last))) return;
  module.InsertLines(last + 1, aside.text);
}

void PassContext::TruncateBlankLinesIn(host::CodeModule& module) {
  report.Trap("CGildex.TruncateBlankLinesIn", [&] {
    for (long line = module.CountOfLines(); line >= 1 && IsBlank(module.Line(line)); --line)
      module.DeleteLines(line, 1);
  });
}

long PassContext::EndLineIn(host::CodeModule& module, long first, long last) {
  for (long line = first; line <= last; ++line)
    if (IsEndProc(module.Line(line))) return line;
  return 0;
}

std::string PassContext::NoEndLineStatus(const std::string& proc_name, const std::string& component) {
  return proc_name + " in " + component + " has no End line; left as it was.";
}

std::string PassContext::ProcAtLine(host::CodeModule& module, long line, host::ProcKind& kind) {
  for (host::ProcKind asked : {host::ProcKind::Proc, host::ProcKind::Let, host::ProcKind::Set, host::ProcKind::Get}) {
    host::ProcKind answer = asked;
    std::string name = module.ProcOfLine(line, answer);
    if (!name.empty()) {
      kind = answer;
      return name;
    }
  }
  return {};
}

}  // namespace gildex
