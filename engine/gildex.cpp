#include "engine/gildex.h"

#include "common/nembus_common.h"

namespace gildex {

CGildex::CGildex(platform::Services& services, ErrorReport& report, RegistryTools& registry, host::VBE* vbe)
    : Settings(report, services.program_folder,
               [this] {
                 host::VBProject* project = vbe_ != nullptr ? vbe_->ActiveVBProject() : nullptr;
                 return project != nullptr ? GetFilePath(project->FileName()) : std::string();
               }),
      services_(services),
      report_(report),
      registry_(registry),
      vbe_(vbe) {}

void CGildex::LoadSettings() {
  Load(registry_);
  LoadPrefixes();
}

ScriptBudget CGildex::ScriptRunBudget() {
  // The script runs inside one procedure's turn, where the engine would not let the host run
  // its loop until the script returns: the interpreter asks on its behalf.
  return {ScriptTimeLimit(), [this] {
            services_.loop.DoEvents();
            return run_.cancel;
          }};
}

}  // namespace gildex
