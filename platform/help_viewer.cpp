#include "platform/help_viewer.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/shell_command.h"

namespace gildex::platform {

void ShellHelpViewer::Open(const std::filesystem::path& file) {
  if (!Configured()) throw std::runtime_error("no help viewer is configured");
  const std::string line = ExpandShellCommand(command_, {{"{file}", file.string()}});
  const int status = std::system(line.c_str());
  if (status == -1) throw std::runtime_error("the help viewer could not be started: " + command_);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("the help viewer failed (" +
                             (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                                : std::string("stopped by a signal")) +
                             "): " + command_);
}

}  // namespace gildex::platform
