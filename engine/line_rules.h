#pragma once
// The token tests by which source lines are classified: procedure starts, ends, declarations,
// comments and the procedure type and kind a declaration names. They are deliberately simple
// text tests, not a parser: every pass of the engine, and the event-code converter, rely on
// exactly these answers.
#include <string>
#include <string_view>

#include "host/vbide.h"

namespace gildex::lines {

// What must be blank after a matched token: the one character right after it (the engine's
// passes), or all the rest of the line (the event-code converter, which must not take
// "End Sub ' done" for an end line).
enum class After { NextCharacter, RestOfLine };

bool IsBlank(std::string_view text);
// Whether the first occurrence of `token` (any letter case) stands with only blanks before
// it and, on a line longer than its position, blanks after it as `after` says.
bool MatchFirstToken(std::string_view line, std::string_view token, After after = After::NextCharacter);
bool IsStartProc(std::string_view line);
// "End Function", "End Sub" or "End Property".
bool IsEndProc(std::string_view line, After after = After::NextCharacter);
// Blank, or a declaration keyword first: what steps over the top of a procedure body.
bool IsDeclarationLine(std::string_view line);
// 1 property, 2 function, 3 sub, 0 not a procedure declaration.
int ProcType(std::string_view line);
// "Property", "Function" or "Sub" for a type code; for 0 the word the declaration names.
std::string ProcTypeString(int type_code, std::string_view declaration);
std::string GetProcString(std::string_view line, bool upper);
// The kind a declaration's text names (" LET ", " GET ", " SET "); Proc for any other.
host::ProcKind ProcKindOfDeclaration(std::string_view declaration);

}  // namespace gildex::lines
