#include "engine/gildex.h"

#include "common/nembus_common.h"

namespace gildex {

CGildex::CGildex(platform::Services& services, ErrorReport& report, RegistryTools& registry, host::VBE* vbe)
    : Settings(report, services.program_folder,
               [this] {
                 host::VBProject* project = pass_.ActiveProject();
                 return project != nullptr ? GetFilePath(project->FileName()) : std::string();
               }),
      services_(services),
      report_(report),
      registry_(registry) {
  pass_.vbe = vbe;
}

void CGildex::LoadSettings() {
  Load(registry_);
  LoadPrefixes();
}

ScriptBudget PassContext::ScriptRunBudget() {
  // The script runs inside one procedure's turn, where the engine would not let the host run
  // its loop until the script returns: the interpreter asks on its behalf.
  return {settings.ScriptTimeLimit(), [this] {
            services.loop.DoEvents();
            return run.cancel;
          }};
}

}  // namespace gildex
