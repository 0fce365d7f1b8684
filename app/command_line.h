#pragma once
// The `gildex` command line: its commands and options (CLI11), the checks of what was typed,
// and the run of the chosen command. main() hands its arguments over; tests call it with
// their own.
#include <iosfwd>
#include <string>
#include <vector>

namespace gildex::app {

// `args` as main() gets them (args[0] is the program); returns the exit code: 0 done,
// 1 a component could not be processed, 2 bad usage or input, 3 cancelled.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The command of `commands` nearest to the mistyped `typed` (a few letters off); empty when
// none is near.
std::string NearestCommand(const std::string& typed, const std::vector<std::string>& commands);

}  // namespace gildex::app
