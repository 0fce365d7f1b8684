#include "platform/help_viewer.h"

#include <stdexcept>

#include "platform/process.h"
#include "platform/shell_command.h"

namespace gildex::platform {

void ShellHelpViewer::Open(const std::filesystem::path& file) {
  if (!Configured()) throw std::runtime_error("no help viewer is configured");
  const std::string line = ExpandShellCommand(command_, {{"{file}", file.string()}});
  ProcessResult result;
  try {
    result = RunProcess({ShellArgv(line), {}}, 0);
  } catch (const ProcessError&) {
    throw std::runtime_error("the help viewer could not be started: " + command_);
  }
  if (result.signal != 0 || result.exit_code != 0)
    throw std::runtime_error("the help viewer failed (" +
                             (result.signal == 0 ? "exit code " + std::to_string(result.exit_code)
                                                 : std::string("stopped by a signal")) +
                             "): " + command_);
}

}  // namespace gildex::platform
