#pragma once
// Re-applying the default template to every module of every open project, after the user
// changed the template: each procedure's old block of that template is replaced by the new
// one (the engine's update mode) and, when the insert commands number lines, the module is
// numbered again.
#include <cstdint>
#include <functional>
#include <string>

#include "common/error_report.h"
#include "engine/gildex.h"
#include "engine/progress.h"
#include "host/vbide.h"

namespace gildex {

// The read-only gate every processing command passes a component through (check-out,
// backup); true means leave the component alone.
using FileSkipGate = std::function<bool(host::VBComponent& component)>;

// A failure in one component is shown under "AddIn.UpdateProjectTemplates": Retry runs that
// component again, Ignore goes on with the next, Abort ends the run. Either way the engine
// leaves update mode and IgnoreExisting is as it was.
void UpdateProjectTemplates(CGildex& engine, host::VBE& vbe, Progress& progress, const FileSkipGate& file_skip,
                            ErrorReport& report);

}  // namespace gildex
