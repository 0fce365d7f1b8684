#pragma once
// The help viewer: a shell command the host program configures, "{file}" standing for the
// help file's path (quoted for the shell). The command runs to its end, so a viewer that
// stays open is started in the background by the command itself ("viewer {file} &").
#include <filesystem>
#include <string>

namespace gildex::platform {

class HelpViewer {
 public:
  explicit HelpViewer(std::string command = "") : command_(std::move(command)) {}
  bool Configured() const { return !command_.empty(); }
  // Opens `file` at its beginning. Throws std::runtime_error when no viewer is configured,
  // when the command cannot start or when it fails.
  void Open(const std::filesystem::path& file) const;

 private:
  std::string command_;
};

}  // namespace gildex::platform
