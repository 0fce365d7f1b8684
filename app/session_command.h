#pragma once
// `gildex session FILE`: a scripted IDE session (session/session_script.h) read from a file and
// played with its record on standard output.
#include <filesystem>
#include <iosfwd>

namespace gildex::app {

// Reads the script (UTF-8, or Windows-1252 when it is no UTF-8) and plays it with the record
// on `out`. 2 with the reason on `err` when it cannot be read or does not parse (no step is
// run then); 1 when a step could not be done.
int PlaySessionFile(const std::filesystem::path& file, std::ostream& out, std::ostream& err);

}  // namespace gildex::app
