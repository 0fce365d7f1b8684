#pragma once
// Starting other programs: the build command the host waits for, and the build tool or
// external editor left to run on their own. Every fork and exec of Gildex is here.
#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace gildex::platform {

// A program could not be started: the reason ("No such file or directory", "cannot enter
// folder /x: Permission denied"), without the program's name, which the caller words.
class ProcessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ProcessRun {
  std::vector<std::string> argv;  // argv[0] is the program's path: no search of PATH
  std::filesystem::path folder;   // where it runs; empty: this process's folder
};

struct ProcessResult {
  int exit_code = 0;
  int signal = 0;      // the signal that ended it, or 0
  std::string output;  // standard output and error together, their last `output_limit` bytes
};

// The argv that runs `command` with /bin/sh.
std::vector<std::string> ShellArgv(const std::string& command);

// Runs the program and waits for it, standard input /dev/null so that one that asks a
// question cannot hang the caller. With an `output_limit` of 0 its output is not captured but
// goes where this process's goes (a viewer that leaves a program running must not keep us
// waiting for the end of its output). Throws ProcessError when it cannot be started.
ProcessResult RunProcess(const ProcessRun& run, std::size_t output_limit);

// Starts the program detached (its own session, standard input /dev/null, nobody's zombie)
// and returns once it runs. Throws ProcessError when it cannot be started.
void StartProcess(const ProcessRun& run);

// True when `program` names an existing regular file that may be executed.
bool ProgramExists(const std::string& program);

// Starts a program the user configured (such as the external template editor) with
// `arguments` (no shell: each reaches it as it is), detached. Throws std::runtime_error
// naming the program when it cannot be started (missing, not executable).
void StartProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace gildex::platform
