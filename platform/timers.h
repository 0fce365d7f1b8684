#pragma once
// System timers as the add-in sees them: a period in milliseconds and a callback that runs
// on the user-interface thread when the host processes its messages. Here the host's
// message loop is Timers::ProcessDue, called by whoever plays the host (the command line
// between units of work, the desktop program's event loop when NextDue says, tests after
// advancing the clock).
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "platform/clock.h"

namespace gildex::platform {

class Timers {
 public:
  explicit Timers(const Clock& clock) : clock_(clock) {}
  // Returns the timer's identifier, never 0.
  std::int32_t SetTimer(std::int64_t period_ms, std::function<void()> tick);
  // Returns false when no such timer runs.
  bool KillTimer(std::int32_t id);
  bool IsRunning(std::int32_t id) const { return timers_.count(id) != 0; }
  std::size_t Count() const { return timers_.size(); }
  std::int64_t PeriodOf(std::int32_t id) const;
  // Runs every timer whose period has elapsed since it was set or last ticked.
  void ProcessDue();
  // How long ProcessDue may wait before a timer is due (0 when one is due now); nothing when
  // no timer runs. A host's own event loop arms its wake-up with it.
  std::optional<std::int64_t> NextDue() const;

 private:
  struct Entry {
    std::int64_t period;
    std::int64_t next_due;
    std::function<void()> tick;
  };
  const Clock& clock_;
  std::map<std::int32_t, Entry> timers_;
  std::int32_t next_id_ = 1;
};

}  // namespace gildex::platform
