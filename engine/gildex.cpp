#include "engine/gildex.h"

#include <limits>

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
      vbe_(vbe) {
  OnAutoSaveChange([this] { ArmAutoSaveTimer(); });
}

// A timer left running would call back into a destroyed engine.
CGildex::~CGildex() { StopAutoSaveTimer(); }

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

// The timer runs while AutoSave is on with a positive interval (SaveInterval minutes).
void CGildex::ArmAutoSaveTimer() {
  report_.Trap("CGildex.AutoSave", [&] {
    StopAutoSaveTimer();
    if (AutoSave() && SaveInterval() > 0) {
      const std::int64_t period_ms = std::int64_t{SaveInterval()} * 60000;
      if (period_ms > std::numeric_limits<std::int32_t>::max()) throw VbError(6, "Overflow");
      auto_save_timer_ = services_.timers.SetTimer(period_ms, [this] {
        if (auto_save_handler_) auto_save_handler_();
      });
    }
  });
}

void CGildex::StopAutoSaveTimer() {
  if (auto_save_timer_ != 0) services_.timers.KillTimer(auto_save_timer_);
  auto_save_timer_ = 0;
}

}  // namespace gildex
