#pragma once
// The unified diff `--dry-run` prints: what a command would write into one file.
#include <string>
#include <string_view>

namespace gildex::app {

// "--- a/NAME", "+++ b/NAME" and the hunks with three lines of context, lines compared
// without their line ends; empty when the texts are equal. Bytes are passed through: the
// caller converts the result for display.
std::string UnifiedDiff(std::string_view name, std::string_view before, std::string_view after);

}  // namespace gildex::app
