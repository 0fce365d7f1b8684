#pragma once
// The maker's separate build tool, which the add-in offers instead of letting the IDE write
// a project's compiled file. On Windows it is "Forgent.exe" beside the add-in; here it is
// whatever command the user configures, started and left to run on its own.
#include <filesystem>
#include <string>

#include "platform/system.h"

namespace gildex::platform {

// The shell command line that starts the build tool. "{project}" and "{output}" in it stand
// for the project file and the compiled file, each quoted for the shell.
inline constexpr const char* kBuilderCommandVariable = "GILDEX_BUILDER_COMMAND";

struct BuilderStart {
  enum Status { Started, NotConfigured, Failed } status = NotConfigured;
  std::string message;  // why it did not start
};

// Starts the configured command with /bin/sh in the project's folder (standard input
// /dev/null), detached: nothing waits for it, and nothing it returns is used.
BuilderStart StartBuilderTool(const Environment& env, const std::filesystem::path& project_file,
                              const std::string& output_file);

}  // namespace gildex::platform
