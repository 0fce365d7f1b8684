#pragma once
#include <string>

namespace gildex::utf8 {

// Appends code point `cp` (below U+10000: every code page we read stays there) as UTF-8.
void Append(std::string& out, char32_t cp);

}  // namespace gildex::utf8
