#pragma once
// The help viewer: what shows the add-in's help file. Each host program gives its own: the
// desktop program a window, a scripted session a line naming the file, or a shell command
// the host configures (ShellHelpViewer).
#include <filesystem>
#include <string>

namespace gildex::platform {

class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  // Shows `file` from its beginning (WinHelp's force-file mode). Throws std::runtime_error
  // when it cannot.
  virtual void Open(const std::filesystem::path& file) = 0;
};

// A shell command, "{file}" standing for the help file's path (quoted for the shell). The
// command runs to its end, so a viewer that stays open is started in the background by the
// command itself ("viewer {file} &").
class ShellHelpViewer : public HelpViewer {
 public:
  explicit ShellHelpViewer(std::string command = "") : command_(std::move(command)) {}
  bool Configured() const { return !command_.empty(); }
  // Throws when no command is configured, when it cannot start or when it fails.
  void Open(const std::filesystem::path& file) override;

 private:
  std::string command_;
};

}  // namespace gildex::platform
