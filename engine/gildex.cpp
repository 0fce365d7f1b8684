#include "engine/gildex.h"

#include "common/nembus_common.h"

namespace gildex {

CGildex::CGildex(platform::Services& services, ErrorReport& report, RegistryTools& registry, host::VBE* vbe)
    : services_(services), report_(report), registry_(registry), vbe_(vbe) {}

// A timer left running would call back into a destroyed engine.
CGildex::~CGildex() { StopAutoSaveTimer(); }

std::string CGildex::ProgramFolderPath() const {
  std::string folder = services_.program_folder.string();
  if (folder.empty() || !IsPathSeparator(folder.back())) folder += kPathSeparator;
  return folder;
}

ScriptBudget CGildex::ScriptRunBudget() {
  // The script runs inside one procedure's turn, where the engine would not let the host run
  // its loop until the script returns: the interpreter asks on its behalf.
  return {script_time_limit_, [this] {
            services_.loop.DoEvents();
            return cancel_;
          }};
}

}  // namespace gildex
