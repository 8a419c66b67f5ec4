#include "core/timelapse/status_text.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <string>

namespace vel {
namespace {

TEST(IdleText, PluralForEveryCountButOneAndTheCancelNote) {
  EXPECT_EQ(IdleText(0, false), "Idle (0 pictures taken)");
  EXPECT_EQ(IdleText(1, false), "Idle (1 picture taken)");
  EXPECT_EQ(IdleText(2, false), "Idle (2 pictures taken)");
  EXPECT_EQ(IdleText(12, true), "Idle (12 pictures taken, cancelled)");
  EXPECT_EQ(IdleText(1, true), "Idle (1 picture taken, cancelled)");
}

TEST(DozeText, NamesTheCountUnlessTheSeriesIsEndless) {
  EXPECT_EQ(DozeText(2, 3, false), "Doze (picture 2 of 3 taken)");
  EXPECT_EQ(DozeText(2, 3, true), "Doze (picture 2 taken)");
  EXPECT_EQ(DozeText(1, 4'294'967'295u, false), "Doze (picture 1 of 4294967295 taken)");
}

TEST(ShotTexts, AFileNameIsShownAsItIs) {
  EXPECT_EQ(CopiedFileText(3, "100%s.JPG"), "#3 File: 100%s.JPG");
}

TEST(TimeTexts, DayMonthYearAndTwentyFourHourTime) {
  const LocalTime june7{2003, 6, 7, 14, 5, 9};
  EXPECT_EQ(StatusTimeText(june7), "07.06.2003 14:05:09");
  EXPECT_EQ(DateWord(june7), "07.06.2003");
  EXPECT_EQ(TimeWord(june7), "14:05:09");
  EXPECT_EQ(StatusTimeText({999, 12, 31, 0, 0, 0}), "31.12.0999 00:00:00");
}

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
