#include "platform/clock.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string_view>

#include <fmt/core.h>

namespace gildex::platform {
namespace {

LocalTime FromTm(const std::tm& tm) {
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}

// SOURCE_DATE_EPOCH as the reproducible-builds convention writes it: decimal seconds.
std::optional<std::time_t> SourceDateEpoch() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text) return std::nullopt;
  const std::string_view s = text;
  long long seconds = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), seconds);
  if (ec != std::errc() || end != s.data() + s.size() || seconds < 0) return std::nullopt;
  return static_cast<std::time_t>(seconds);
}

// Day of the week in the Gregorian calendar, 0 = Sunday (Sakamoto's method).
int WeekdayOf(int year, int month, int day) {
  static constexpr int kOffset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  const int w = (year + year / 4 - year / 100 + year / 400 + kOffset[month - 1] + day) % 7;
  return w < 0 ? w + 7 : w;
}

void CheckDate(const LocalTime& t) {
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31)
    throw std::invalid_argument(fmt::format("not a date: {:04}-{:02}-{:02}", t.year, t.month, t.day));
}

}  // namespace

LocalTime SystemClock::Now() const {
  std::tm tm{};
  if (const auto fixed = SourceDateEpoch(); fixed && gmtime_r(&*fixed, &tm)) return FromTm(tm);
  const std::time_t now = std::time(nullptr);
  localtime_r(&now, &tm);
  return FromTm(tm);
}

std::int64_t SystemClock::TickCount() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string LongDate(const LocalTime& t) {
  static constexpr const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  static constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
  CheckDate(t);
  return fmt::format("{}, {} {:02}, {:04}", kDays[WeekdayOf(t.year, t.month, t.day)], kMonths[t.month - 1], t.day,
                     t.year);
}

std::string LongTime(const LocalTime& t) {
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 60)
    throw std::invalid_argument(fmt::format("not a time of day: {}:{:02}:{:02}", t.hour, t.minute, t.second));
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  return fmt::format("{}:{:02}:{:02} {}", hour12, t.minute, t.second, t.hour < 12 ? "AM" : "PM");
}

}  // namespace gildex::platform
