#pragma once
// What one run of the `gildex` command line stands on: the real platform services (system
// clock, timers, environment, the registry file, the dialogs of a terminal or of an
// unattended run, the program folder) and the engine over them with its settings loaded.
// Every command builds one of these and nothing else reaches for the system.
#include <iosfwd>
#include <memory>
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
#include "templates/commands.h"

namespace gildex::app {

struct AppContext {
  // `forced` answers every Yes/No question (--yes, --no); 0 asks a person at a terminal or,
  // without one, takes each question's default answer. A damaged registry file is reported
  // once on standard error; the run goes on with the settings' absent values.
  explicit AppContext(platform::MsgBoxResult forced = platform::MsgBoxResult{});
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // The context the options and templates commands run in, printing on `out` and `err`;
  // makes the engine with its settings loaded.
  CommandContext Commands(std::ostream& out, std::ostream& err);
  CGildex& Engine();

  platform::SystemClock clock;
  platform::Timers timers{clock};
  platform::MessageLoop loop{timers};
  platform::Registry registry;
  platform::SystemEnvironment env;
  std::unique_ptr<platform::Dialogs> dialogs;
  platform::Services services;
  ErrorReport report;
  RegistryTools tools;

 private:
  std::optional<CGildex> engine_;
};

}  // namespace gildex::app
