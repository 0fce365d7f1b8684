#include "platform/builder_tool.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/shell_command.h"

namespace gildex::platform {

BuilderStart StartBuilderTool(const Environment& env, const std::filesystem::path& project_file,
                              const std::string& output_file) {
  const std::optional<std::string> configured = env.Get(kBuilderCommandVariable);
  if (!configured || configured->find_first_not_of(" \t") == std::string::npos)
    return {BuilderStart::NotConfigured, std::string("No build tool is configured: set ") + kBuilderCommandVariable +
                                             " to the command that starts it"};
  const std::filesystem::path project = std::filesystem::absolute(project_file).lexically_normal();
  const std::string command = ExpandShellCommand(*configured, {{"{project}", project.string()}, {"{output}", output_file}});
  const std::string dir = project.has_parent_path() ? project.parent_path().string() : std::string(".");
  // The grandchild runs the tool; the child that made it ends at once and is reaped here,
  // so the tool is nobody's zombie and the add-in never waits for it.
  const pid_t child = ::fork();
  if (child < 0) return {BuilderStart::Failed, std::string("Cannot start the build tool: ") + std::strerror(errno)};
  if (child == 0) {
    // Only async-signal-safe calls between fork and exec.
    ::setsid();
    const pid_t tool = ::fork();
    if (tool != 0) ::_exit(tool < 0 ? 1 : 0);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd >= 0) ::dup2(null_fd, 0);
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return {BuilderStart::Failed, "Cannot start the build tool: " + *configured};
  return {BuilderStart::Started, {}};
}

}  // namespace gildex::platform
