#pragma once
// JSON text written by hand for the commands' --json output: every string goes through
// JsonString, which converts the Windows-1252 text of the source files to UTF-8 and escapes it.
#include <string>
#include <string_view>

namespace gildex {

// `text` (Windows-1252) as a quoted JSON string in UTF-8.
std::string JsonString(std::string_view text);

}  // namespace gildex
