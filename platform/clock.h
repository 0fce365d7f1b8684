#pragma once
// Date and time through an interface, so that tests (and SOURCE_DATE_EPOCH runs) see a
// fixed clock.
#include <cstdint>
#include <string>

namespace gildex::platform {

struct LocalTime {
  int year = 1899, month = 12, day = 30;  // VB's day zero
  int hour = 0, minute = 0, second = 0;
  int weekday = 0;  // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  // Milliseconds since some fixed start; for timers and elapsed times.
  virtual std::int64_t TickCount() const = 0;
};

// The system clock in the local time zone; with SOURCE_DATE_EPOCH set it reports that
// moment (in UTC) for Now(), so generated text is the same on every run.
class SystemClock : public Clock {
 public:
  LocalTime Now() const override;
  std::int64_t TickCount() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalTime now = {2024, 3, 9, 14, 5, 7, 6}) : now_(now) {}
  LocalTime Now() const override { return now_; }
  std::int64_t TickCount() const override { return ticks_; }
  void Set(LocalTime now) { now_ = now; }
  void AdvanceTicks(std::int64_t ms) { ticks_ += ms; }

 private:
  LocalTime now_;
  std::int64_t ticks_ = 0;
};

// The system's "long date" and "long time" formats, as a US English Windows shows them:
// "Saturday, March 09, 2024" and "2:05:07 PM".
std::string LongDate(const LocalTime& t);
std::string LongTime(const LocalTime& t);

}  // namespace gildex::platform
