#include "session/platform_context.h"

namespace gildex::session {

PlatformContext::PlatformContext(platform::Dialogs& dialogs, const platform::Clock* given_clock)
    : clock(given_clock != nullptr ? *given_clock : system_clock),
      registry(platform::DefaultRegistryPath()),
      dialogs(dialogs),
      services{dialogs, clock, timers, loop, registry, env, platform::ProgramFolder()},
      report(dialogs),
      tools(registry, report) {}

CGildex& PlatformContext::Engine() {
  if (!engine_) {
    engine_.emplace(services, report, tools);
    engine_->LoadSettings();
  }
  return *engine_;
}

void PlatformContext::ReloadSettings() {
  if (engine_) engine_->LoadSettings();
}

}  // namespace gildex::session
