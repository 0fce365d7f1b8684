#pragma once
// Command lines the user configures for the tools Gildex starts (build command, build tool,
// help viewer), with placeholders such as "{project}" standing for paths.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gildex::platform {

// Single quotes keep every byte as it is; a quote inside becomes '\''.
std::string ShellQuoted(std::string_view text);

// Every placeholder replaced by its value quoted for the shell, in one pass, so that a value
// that holds a placeholder stays as it is.
std::string ExpandShellCommand(std::string_view command,
                               const std::vector<std::pair<std::string_view, std::string>>& values);

}  // namespace gildex::platform
