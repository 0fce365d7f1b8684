#pragma once
// The per-procedure template tag: a comment " ' GX2/" + template name that ends the last
// physical line of a procedure's declaration. With InsertInto "--" (Selected Routines) the
// driver treats only the procedures tagged for the template in use; the assignment window and
// `gildex tag` write and remove the tags.
#include <optional>
#include <string>
#include <string_view>

#include "host/vbide.h"

namespace gildex {

inline constexpr std::string_view kTemplateTagMarker = "' GX2/";
inline constexpr std::string_view kSelectedRoutines = "--";

// The last physical line of the declaration that starts on `line`: the first one that does
// not end with a "_" continuation (nor runs past the module's end).
long LastDeclarationLine(const host::CodeModule& module, long line);

// The template a line's tag names: the text after the first marker (any letter case) to the
// end of the line; nullopt when the line carries no marker.
std::optional<std::string> TemplateTagOf(std::string_view line);

// `line` cut just before its marker, the blank before the marker kept. A marker in the first
// column makes the line a comment, not a tagged declaration: such a line stays whole.
std::string WithoutTemplateTag(std::string_view line);

// `line` with any tag it carries replaced by one for `template_name`. A blank the line already
// ends with serves as the separator, so tagging a tagged line, or one whose tag was cut, again
// changes nothing.
std::string WithTemplateTag(std::string_view line, std::string_view template_name);

// Whether the declaration (one or more physical lines) is tagged for `template_name`: some
// "GX2/" on a line is followed by that name, in any letter case, and nothing but blanks. A
// tag for "StandardPlus" does not pass for "Standard".
bool TaggedFor(std::string_view declaration, std::string_view template_name);

}  // namespace gildex
