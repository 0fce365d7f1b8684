#include "platform/timers.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace gildex::platform {
namespace {
// Windows raises shorter periods to this minimum (USER_TIMER_MINIMUM); it also keeps a
// zero period from ticking on every pass of the message loop.
constexpr std::int64_t kMinimumPeriod = 10;
}  // namespace

std::int32_t Timers::SetTimer(std::int64_t period_ms, std::function<void()> tick) {
  const std::int64_t period = period_ms < kMinimumPeriod ? kMinimumPeriod : period_ms;
  // Identifiers count up from 1 and wrap round past the largest, skipping those in use.
  const auto advance = [this] { next_id_ = next_id_ <= 0 || next_id_ == std::numeric_limits<std::int32_t>::max() ? 1 : next_id_ + 1; };
  while (next_id_ <= 0 || timers_.count(next_id_)) advance();
  const std::int32_t id = next_id_;
  advance();
  timers_[id] = Entry{period, clock_.TickCount() + period, std::move(tick)};
  return id;
}

bool Timers::KillTimer(std::int32_t id) { return timers_.erase(id) != 0; }

std::int64_t Timers::PeriodOf(std::int32_t id) const {
  const auto found = timers_.find(id);
  return found == timers_.end() ? -1 : found->second.period;
}

std::optional<std::int64_t> Timers::NextDue() const {
  std::optional<std::int64_t> next;
  for (const auto& [id, entry] : timers_)
    if (!next || entry.next_due < *next) next = entry.next_due;
  if (!next) return std::nullopt;
  return std::max<std::int64_t>(*next - clock_.TickCount(), 0);
}

void Timers::ProcessDue() {
  const std::int64_t now = clock_.TickCount();
  // Callbacks may set or kill timers, so work from a list of the ones due now and look each
  // up again before it runs; a timer set during this pass waits for the next one.
  std::vector<std::int32_t> due;
  for (const auto& [id, entry] : timers_)
    if (entry.next_due <= now) due.push_back(id);
  for (const std::int32_t id : due) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) continue;
    Entry& entry = found->second;
    if (entry.next_due > now) continue;
    // One tick however far behind the timer fell, as Windows merges missed WM_TIMER messages.
    entry.next_due += entry.period;
    if (entry.next_due <= now) entry.next_due = now + entry.period;
    // A copy, because the callback may kill its own timer and so destroy the original.
    const std::function<void()> tick = entry.tick;
    if (tick) tick();
  }
}

}  // namespace gildex::platform
