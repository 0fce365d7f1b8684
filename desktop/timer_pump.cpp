#include "desktop/timer_pump.h"

#include <algorithm>

namespace gildex::desktop {

TimerPump::TimerPump(platform::Timers& timers, QObject* parent) : QObject(parent), timers_(timers) {
  wake_.setSingleShot(true);
  // Re-armed only once the ticks are done: a tick that asks a question (auto-save's) runs a
  // modal loop, which must not tick again underneath it.
  connect(&wake_, &QTimer::timeout, this, [this] {
    timers_.ProcessDue();
    Arm();
  });
  Arm();
}

void TimerPump::Arm() {
  const std::int64_t wait = std::min(timers_.NextDue().value_or(kLongestWaitMs), kLongestWaitMs);
  wake_.start(static_cast<int>(wait));
}

}  // namespace gildex::desktop
