#pragma once
// What a session of the add-in stands on: the real platform services (system clock, timers,
// environment, the registry file, the program folder), the dialogs the host program shows
// (a terminal's, an unattended run's, a desktop window's), the one error report over them,
// and the engine with its settings loaded. Nothing else in a host reaches for the system.
#include <iosfwd>
#include <optional>

#include "common/error_report.h"
#include "common/registry_tools.h"
#include "engine/gildex.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/system.h"
#include "platform/timers.h"

namespace gildex::session {

struct PlatformContext {
  // `dialogs` belongs to the host and outlives the context. A damaged registry file leaves
  // the settings at their absent values; RegistryWarning() says why, for the host to show.
  // `clock`, when given, outlives the context and stands in for the system's (tests).
  explicit PlatformContext(platform::Dialogs& dialogs, const platform::Clock* clock = nullptr);
  PlatformContext(const PlatformContext&) = delete;
  PlatformContext& operator=(const PlatformContext&) = delete;

  const std::string& RegistryWarning() const { return registry.Warning(); }
  // The session's one engine, with its settings loaded (made at the first call). The add-in
  // the session connects wires this one up rather than making its own.
  CGildex& Engine();
  // The engine, once made, loads its settings again (the values over the registry changed).
  void ReloadSettings();

  platform::SystemClock system_clock;
  const platform::Clock& clock;
  platform::Timers timers{clock};
  platform::MessageLoop loop{timers};
  platform::Registry registry;
  platform::SystemEnvironment env;
  platform::Dialogs& dialogs;
  platform::Services services;
  ErrorReport report;
  RegistryTools tools;

 private:
  std::optional<CGildex> engine_;
};

}  // namespace gildex::session
