#pragma once
// The platform services one running Gildex uses, handed down from whoever plays the host
// (the command line, tests, later the desktop program). Nothing below reaches for globals.
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/timers.h"

namespace gildex::platform {

// The host's message loop. Long operations call DoEvents between units of work; that is the
// only moment timers tick and user requests (Cancel, Ctrl-C) reach the add-in.
class MessageLoop {
 public:
  explicit MessageLoop(Timers& timers) : timers_(timers) {}
  void DoEvents();
  // Called on every DoEvents, in the order added (e.g. the command line turns a pending
  // Ctrl-C into the engine's Cancel flag here).
  void OnIdle(std::function<void()> handler) { idle_.push_back(std::move(handler)); }

 private:
  Timers& timers_;
  std::vector<std::function<void()>> idle_;
};

struct Services {
  Dialogs& dialogs;
  const Clock& clock;
  Timers& timers;
  MessageLoop& loop;
  Registry& registry;
  const Environment& env;
  std::filesystem::path program_folder;  // AppPath
};

}  // namespace gildex::platform
