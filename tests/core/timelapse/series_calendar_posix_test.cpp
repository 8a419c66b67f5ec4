#include "core/timelapse/series_calendar.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vel {
namespace {

// What the schedule's settings and options take, and what they refuse with a text that says
// what they should look like.
TEST(SeriesCalendar, ItsTextsAreReadOrRefused) {
  ::setenv("TZ", "Europe/Berlin", 1);
  ::tzset();
  const std::int64_t monday = ParseMoment("2026-03-02 09:30", 0).Value();
  EXPECT_EQ(MomentText(monday), "2026-03-02 09:30");
  EXPECT_EQ(ParseMoment("2026-03-02 09:30:15", 0).Value(), monday + 15);
  EXPECT_EQ(ParseMoment("10:00", monday).Value(), monday + 30 * 60) << "later today";
  EXPECT_EQ(ParseMoment("09:00", monday).Value(), monday + 23 * 3600 + 30 * 60) << "tomorrow";
  for (const char* bad : {"2026-13-02 09:30", "2026-03-02", "9:30", "2026-03-02 09:30 x"})
    EXPECT_FALSE(ParseMoment(bad, monday)) << bad;

  const std::pair<const char*, std::int64_t> durations[] = {{"36h", 36 * 3600}, {"90m", 5400},
                                                            {"1h30m", 5400},    {"45s", 45},
                                                            {"2d", 172800},     {"600", 600}};
  for (const auto& [text, seconds] : durations) EXPECT_EQ(ParseDuration(text).Value(), seconds);
  for (const char* bad : {"", "h", "3x", "0", "-5m"}) EXPECT_FALSE(ParseDuration(bad)) << bad;

  EXPECT_EQ(ParseWindows("07:00-18:00, 22:30-01:00").Value(),
            (std::vector<DailyWindow>{{420, 1080}, {1350, 60}}));
  for (const char* bad : {"7:00-18:00", "07:00", "07:00-07:00", "25:00-26:00"})
    EXPECT_FALSE(ParseWindows(bad)) << bad;
  EXPECT_EQ(ParseDays("mon-fri").Value(), 0x1F);
  EXPECT_EQ(ParseDays("Sat,sunday,wed").Value(), 0x64);
  EXPECT_EQ(ParseDays("fri-mon").Value(), 0x71) << "over the weekend";
  EXPECT_EQ(ParseDays("mo").Text(),
            "Cannot read the days \"mo\": write them like mon-fri or mon,wed,sat.");
  ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace vel
