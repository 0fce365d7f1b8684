#pragma once
// The platform's timers (the add-in's auto-save) driven by Qt's event loop: one QTimer, armed
// for the next timer due and at least once a second, so that a timer set meanwhile, or a
// clock set forward (tests), is seen soon. Long commands tick them through DoEvents as before.
#include <QObject>
#include <QTimer>

#include "platform/timers.h"

namespace gildex::desktop {

class TimerPump : public QObject {
 public:
  TimerPump(platform::Timers& timers, QObject* parent);

 private:
  void Arm();

  static constexpr std::int64_t kLongestWaitMs = 1000;
  platform::Timers& timers_;
  QTimer wake_;
};

}  // namespace gildex::desktop
