#pragma once
// The stored form of templates: in the templates folder each template is two text files
// named after it, NAME.hdr (its header block; the file's existence makes NAME a template)
// and NAME.ftr (its footer block). A file may open with a four-line preamble:
//   DO NOT CHANGE THE NEXT 4 LINES
//   title
//   second preamble line
//   third preamble line
// which is not part of the block. Files are Windows-1252 text; CR LF, LF and CR all end a line.
#include <string>
#include <string_view>
#include <vector>

#include "engine/gildex.h"
#include "templates/cls_template.h"

namespace gildex {

inline constexpr std::string_view kPreambleMarker = "DO NOT CHANGE THE NEXT 4 LINES";
inline constexpr std::string_view kHeaderExtension = ".hdr";
inline constexpr std::string_view kFooterExtension = ".ftr";

// Reads `path_without_extension` + `extension` into the record's HeaderText (for ".hdr") or
// FooterText (any other extension). A preamble fills Title, PreambleLine2 and PreambleLine3,
// each only while still empty. A missing or unreadable file leaves the block empty; the
// result is true only when the file was read to its end.
bool ReadTemplateBlock(const std::string& path_without_extension, std::string_view extension, clsTemplate& record);

// The file `path` names, or, when there is none, the one in its folder whose name differs only
// in letter case (folders copied from Windows hold "STANDARD.HDR"); empty when neither exists.
std::string FindTemplateFile(const std::string& path);

// The names of the templates in `template_path` (a folder ending with a separator): every
// "*.hdr" file without its extension, in the order the file system lists them.
std::vector<std::string> TemplateNames(const std::string& template_path);

// Reads template `name` from the engine's templates folder into a record titled `name`.
clsTemplate ReadTemplate(CGildex& engine, const std::string& name);

// Makes template `name` the engine's current one: its blocks become HeaderCode and
// FooterCode (a missing file gives an empty block). A blank name means DefaultTemplate.
// Returns the record read.
clsTemplate LoadTemplate(CGildex& engine, std::string_view name);

}  // namespace gildex
