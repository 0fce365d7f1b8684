#include "platform/timers.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/services.h"

namespace gildex::platform {
namespace {

TEST(Timers, TicksOncePerElapsedPeriod) {
  FixedClock clock;
  Timers timers(clock);
  int ticks = 0;
  const std::int32_t id = timers.SetTimer(1000, [&] { ++ticks; });
  EXPECT_NE(id, 0);
  EXPECT_EQ(timers.PeriodOf(id), 1000);

  timers.ProcessDue();
  EXPECT_EQ(ticks, 0);
  clock.AdvanceTicks(999);
  timers.ProcessDue();
  EXPECT_EQ(ticks, 0);
  clock.AdvanceTicks(1);
  timers.ProcessDue();
  timers.ProcessDue();
  EXPECT_EQ(ticks, 1);
  clock.AdvanceTicks(1000);  // the next period counts from when it was due, not from the tick
  timers.ProcessDue();
  EXPECT_EQ(ticks, 2);
}

TEST(Timers, ATimerFarBehindTicksOnceAndStartsAfresh) {
  FixedClock clock;
  Timers timers(clock);
  int ticks = 0;
  timers.SetTimer(100, [&] { ++ticks; });
  clock.AdvanceTicks(1050);
  timers.ProcessDue();
  EXPECT_EQ(ticks, 1);
  clock.AdvanceTicks(99);
  timers.ProcessDue();
  EXPECT_EQ(ticks, 1);
  clock.AdvanceTicks(1);
  timers.ProcessDue();
  EXPECT_EQ(ticks, 2);
}

TEST(Timers, IdentifiersStartAtOneAndUnknownOnesAreRefused) {
  FixedClock clock;
  Timers timers(clock);
  const std::int32_t a = timers.SetTimer(10, [] {});
  const std::int32_t b = timers.SetTimer(20, [] {});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(timers.Count(), 2u);
  EXPECT_TRUE(timers.KillTimer(a));
  EXPECT_FALSE(timers.KillTimer(a));
  EXPECT_FALSE(timers.KillTimer(0));
  EXPECT_FALSE(timers.IsRunning(a));
  EXPECT_TRUE(timers.IsRunning(b));
  EXPECT_EQ(timers.PeriodOf(a), -1);
  EXPECT_EQ(timers.SetTimer(0, [] {}), 3);
  EXPECT_EQ(timers.PeriodOf(3), 10);  // Windows' shortest period
}

TEST(Timers, CallbacksMayKillAndSetTimersIncludingTheirOwn) {
  FixedClock clock;
  Timers timers(clock);
  std::string log;
  std::int32_t self = 0, victim = 0, added = 0;
  // Auto-save re-arms itself: kill, then set again with a new period.
  self = timers.SetTimer(100, [&] {
    log += "self ";
    timers.KillTimer(self);
    self = timers.SetTimer(300, [&] { log += "rearmed "; });
    timers.KillTimer(victim);
    added = timers.SetTimer(100, [&] { log += "added "; });
  });
  victim = timers.SetTimer(100, [&] { log += "victim "; });

  clock.AdvanceTicks(100);
  timers.ProcessDue();
  EXPECT_EQ(log, "self ");  // the victim was killed before its turn; the new ones wait
  EXPECT_FALSE(timers.IsRunning(victim));
  EXPECT_EQ(timers.PeriodOf(self), 300);
  clock.AdvanceTicks(300);
  timers.ProcessDue();
  EXPECT_EQ(log, "self rearmed added ");
  EXPECT_NE(added, 0);
}

TEST(Timers, DoEventsRunsIdleHandlersInOrderThenDueTimers) {
  FixedClock clock;
  Timers timers(clock);
  MessageLoop loop(timers);
  std::string log;
  timers.SetTimer(50, [&] { log += "timer "; });
  loop.OnIdle([&] { log += "first "; });
  loop.OnIdle([&] { log += "second "; });
  loop.DoEvents();
  EXPECT_EQ(log, "first second ");
  clock.AdvanceTicks(50);
  loop.DoEvents();
  EXPECT_EQ(log, "first second first second timer ");
}

}  // namespace
}  // namespace gildex::platform
