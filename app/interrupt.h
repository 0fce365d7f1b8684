#pragma once
// Ctrl-C (SIGINT) and a polite kill (SIGTERM) on the command line: while a guard lives they
// ask for a cancel instead of ending the process, so that a run ends as a cancelled one with
// its lock and temporary files gone.
#include <string>

namespace gildex::app {

// Takes SIGINT and SIGTERM as a cancel request. Guards nest: the outermost one installs the
// handlers and clears an old request, the inner ones share it. A second signal ends the
// process at once (files are replaced whole, so none is left half-written).
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// Asks the running command to stop, as Ctrl-C does.
void RequestCancel();
// Whether a cancel was asked for; TakeInterrupt also clears the request.
bool Interrupted();
bool TakeInterrupt();

// Thrown out of a project's load when a cancel was asked for: nothing of the project was
// changed, and its lock is let go as the session unwinds.
struct LoadCancelled {
  std::string project;
};

}  // namespace gildex::app
