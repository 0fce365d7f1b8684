#include "platform/shell_command.h"

namespace gildex::platform {

std::string ShellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ExpandShellCommand(std::string_view command,
                               const std::vector<std::pair<std::string_view, std::string>>& values) {
  std::string line;
  for (std::size_t i = 0; i < command.size();) {
    bool replaced = false;
    for (const auto& [placeholder, value] : values)
      if (command.substr(i).starts_with(placeholder)) {
        line += ShellQuoted(value);
        i += placeholder.size();
        replaced = true;
        break;
      }
    if (!replaced) line += command[i++];
  }
  return line;
}

}  // namespace gildex::platform
