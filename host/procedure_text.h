#pragma once
// Whether a piece of Basic text can stand for one procedure of a module: what a user's script
// hands back in place of the procedure it was given must be one, whole.
#include <string>
#include <string_view>

namespace gildex::host {

// Why `text` cannot take a procedure's place, or empty: it must be one procedure, whole
// (declaration, balanced blocks, End line), with nothing but comments and blank lines
// around it.
std::string NotOneProcedure(std::string_view text);

}  // namespace gildex::host
