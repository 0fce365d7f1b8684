#include "platform/help_viewer.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

namespace gildex::platform {
namespace {

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

void HelpViewer::Open(const std::filesystem::path& file) const {
  if (!Configured()) throw std::runtime_error("no help viewer is configured");
  std::string line;
  const std::string placeholder = "{file}";
  for (std::size_t i = 0; i < command_.size();) {
    if (command_.compare(i, placeholder.size(), placeholder) == 0) {
      line += ShellQuoted(file.string());
      i += placeholder.size();
    } else {
      line += command_[i++];
    }
  }
  const int status = std::system(line.c_str());
  if (status == -1) throw std::runtime_error("the help viewer could not be started: " + command_);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("the help viewer failed (" +
                             (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                                : std::string("stopped by a signal")) +
                             "): " + command_);
}

}  // namespace gildex::platform
