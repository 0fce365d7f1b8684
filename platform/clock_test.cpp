#include "platform/clock.h"

#include <gtest/gtest.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

using testing::ScopedEnv;

TEST(Clock, FormatsLongDateAndTimeAsUsEnglishWindows) {
  struct Case {
    LocalTime t;
    std::string date_and_time;
  };
  const std::vector<Case> cases = {
      {{2024, 3, 9, 14, 5, 7, 0}, "Saturday, March 09, 2024 2:05:07 PM"},  // weekday from the date
      {{2000, 1, 1, 0, 0, 0, 6}, "Saturday, January 01, 2000 12:00:00 AM"},
      {{2024, 2, 29, 12, 30, 59, 4}, "Thursday, February 29, 2024 12:30:59 PM"},
      {{1899, 12, 30, 11, 59, 0, 6}, "Saturday, December 30, 1899 11:59:00 AM"},
      {{1900, 3, 1, 23, 1, 2, 4}, "Thursday, March 01, 1900 11:01:02 PM"},
  };
  for (const Case& c : cases) EXPECT_EQ(LongDate(c.t) + " " + LongTime(c.t), c.date_and_time);
  EXPECT_THROW(LongDate(LocalTime{2024, 13, 1}), std::invalid_argument);
  EXPECT_THROW(LongTime(LocalTime{2024, 1, 1, 24, 0, 0}), std::invalid_argument);
}

TEST(Clock, SourceDateEpochFixesTheTimeInUtcWhenItIsAUsableNumber) {
  {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", "1709993107");  // 2024-03-09 14:05:07 UTC
    const LocalTime now = SystemClock().Now();
    EXPECT_EQ(LongDate(now) + " " + LongTime(now), "Saturday, March 09, 2024 2:05:07 PM");
    EXPECT_EQ(now.weekday, 6);
  }
  for (const char* bad : {"yesterday", "12x", "-5", "99999999999999999999999"}) {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", bad);
    EXPECT_GE(SystemClock().Now().year, 2024) << bad;
  }
}

}  // namespace
}  // namespace gildex::platform
