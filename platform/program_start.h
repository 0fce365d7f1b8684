#pragma once
// Starting a program the user configured (such as the external template editor) and leaving
// it to run on its own: nothing waits for it or reads what it returns.
#include <string>
#include <vector>

namespace gildex::platform {

// True when `program` names an existing regular file that may be executed.
bool ProgramExists(const std::string& program);

// Starts `program` with `arguments` (no shell: each argument reaches it as it is), detached
// from this process, standard input /dev/null. Throws std::runtime_error naming the program
// when it cannot be started (missing, not executable).
void StartProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace gildex::platform
