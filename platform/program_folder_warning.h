#pragma once
// Who hears that the shipped data could not be copied into the user's program folder (see
// ProgramFolder in system.h); the text says where and why. By default a line on standard
// error; each host words it its own way.
#include <functional>
#include <string>

namespace gildex::platform {

void OnProgramFolderWarning(std::function<void(const std::string&)> warn);

}  // namespace gildex::platform
