#include "app/app_context.h"

#include <fmt/core.h>
#include <unistd.h>

#include <iostream>

#include "platform/cp1252.h"

namespace gildex::app {
namespace {

std::unique_ptr<platform::Dialogs> MakeDialogs(platform::MsgBoxResult forced) {
  // Questions go to standard error so that standard output stays the command's result.
  if (forced == platform::MsgBoxResult{} && ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO))
    return std::make_unique<platform::TerminalDialogs>(std::cin, std::cerr);
  return std::make_unique<platform::UnattendedDialogs>(std::cerr, forced);
}

platform::Registry OpenRegistry() {
  platform::Registry registry(platform::DefaultRegistryPath());
  if (!registry.Warning().empty())
    fmt::print(stderr, "gildex: warning: {} (the settings are read as unset and the file is left as it is)\n",
               cp1252::ToUtf8(registry.Warning()));
  return registry;
}

}  // namespace

AppContext::AppContext(platform::MsgBoxResult forced)
    : registry(OpenRegistry()),
      dialogs(MakeDialogs(forced)),
      services{*dialogs, clock, timers, loop, registry, env, platform::ProgramFolder()},
      report(*dialogs),
      tools(registry, report) {}

CGildex& AppContext::Engine() {
  if (!engine_) {
    engine_.emplace(services, report, tools);
    engine_->LoadSettings();
  }
  return *engine_;
}

CommandContext AppContext::Commands(std::ostream& out, std::ostream& err) {
  return CommandContext{Engine(), registry, report, out, err};
}

}  // namespace gildex::app
