#include "platform/builder_tool.h"

#include <optional>

#include "platform/process.h"
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
  try {
    StartProcess({ShellArgv(command), project.has_parent_path() ? project.parent_path() : std::filesystem::path(".")});
  } catch (const ProcessError& error) {
    return {BuilderStart::Failed, std::string("Cannot start the build tool: ") + error.what()};
  }
  return {BuilderStart::Started, {}};
}

}  // namespace gildex::platform
