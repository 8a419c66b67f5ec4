#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <string>

#include "core/timelapse/status_text.h"

namespace vel {
namespace {

// Under TZ=UTC the local time is the calendar date of the system clock, which
// std::chrono works out on its own.
TEST(CurrentLocalTime, MatchesTheSystemClockInUtc) {
  const char* saved = ::getenv("TZ");
  const std::string savedTz = saved ? saved : "";
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  LocalTime local;
  std::chrono::sys_seconds expected;
  do {
    expected = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    local = CurrentLocalTime();
  } while (expected != std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
  if (saved) {
    ::setenv("TZ", savedTz.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();

  const auto day = std::chrono::floor<std::chrono::days>(expected);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{expected - day};
  EXPECT_EQ(local.year, static_cast<int>(date.year()));
  EXPECT_EQ(local.month, static_cast<int>(static_cast<unsigned>(date.month())));
  EXPECT_EQ(local.day, static_cast<int>(static_cast<unsigned>(date.day())));
  EXPECT_EQ(local.hour, time.hours().count());
  EXPECT_EQ(local.minute, time.minutes().count());
  EXPECT_EQ(local.second, time.seconds().count());
}

}  // namespace
}  // namespace vel
