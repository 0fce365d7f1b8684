#include "platform/timers.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/services.h"

namespace gildex::platform {
namespace {

TEST(Timers, TicksOncePerElapsedPeriodAndAfterALongWaitStartsAfresh) {
  struct Step {
    std::int64_t advance;
    int ticks;  // in total after ProcessDue
    std::int64_t next_due;  // then
  };
  const std::vector<Step> steps = {
      {0, 0, 1000}, {999, 0, 1}, {1, 1, 1000}, {0, 1, 1000},
      {1000, 2, 1000},  // the next period counts from when it was due, not from the tick
      {5500, 3, 1000},  // far behind: one tick, and the next period counts from now
      {999, 3, 1}, {1, 4, 1000},
  };
  FixedClock clock;
  Timers timers(clock);
  EXPECT_EQ(timers.NextDue(), std::nullopt);
  int ticks = 0;
  const std::int32_t id = timers.SetTimer(1000, [&] { ++ticks; });
  for (const Step& s : steps) {
    clock.AdvanceTicks(s.advance);
    timers.ProcessDue();
    EXPECT_EQ(ticks, s.ticks) << "at " << clock.TickCount();
    EXPECT_EQ(timers.NextDue(), s.next_due) << "at " << clock.TickCount();
  }
  timers.SetTimer(300, [] {});
  EXPECT_EQ(timers.NextDue(), 300) << "the earliest of all";
  timers.KillTimer(id);
  clock.AdvanceTicks(400);
  EXPECT_EQ(timers.NextDue(), 0) << "overdue";
}

TEST(Timers, IdentifiersStartAtOneAndUnknownOnesAreRefused) {
  FixedClock clock;
  Timers timers(clock);
  const std::int32_t a = timers.SetTimer(10, [] {});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(timers.SetTimer(20, [] {}), 2);
  EXPECT_TRUE(timers.KillTimer(a));
  EXPECT_FALSE(timers.KillTimer(a));
  EXPECT_FALSE(timers.KillTimer(0));
  EXPECT_EQ(timers.PeriodOf(a), -1);
  EXPECT_EQ(timers.SetTimer(0, [] {}), 3);
  EXPECT_EQ(timers.PeriodOf(3), 10);  // Windows' shortest period
}

TEST(Timers, CallbacksMayKillAndSetTimersIncludingTheirOwn) {
  FixedClock clock;
  Timers timers(clock);
  MessageLoop loop(timers);
  std::string log;
  std::int32_t self = 0, victim = 0;
  // Auto-save re-arms itself: kill, then set again with a new period.
  self = timers.SetTimer(100, [&] {
    log += "self ";
    timers.KillTimer(self);
    self = timers.SetTimer(300, [&] { log += "rearmed "; });
    timers.KillTimer(victim);
    timers.SetTimer(100, [&] { log += "added "; });
  });
  victim = timers.SetTimer(100, [&] { log += "victim "; });
  loop.OnIdle([&] { log += "idle "; });

  clock.AdvanceTicks(100);
  loop.DoEvents();  // idle handlers first; the victim was killed before its turn; the new ones wait
  EXPECT_EQ(log, "idle self ");
  clock.AdvanceTicks(300);
  loop.DoEvents();
  EXPECT_EQ(log, "idle self idle rearmed added ");
}

}  // namespace
}  // namespace gildex::platform
