#include "core/timelapse/series_calendar.h"

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/timelapse/series_plan.h"
#include "core/timelapse/series_state.h"
#include "timelapse/fixtures/volume_fixture.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

// What the schedule's settings and options take, and what they refuse with a text that says
// what they should look like.
TEST(SeriesCalendar, ItsTextsAreReadOrRefused) {
  velotest::BerlinTime berlin;
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

  SeriesState stopped;
  stopped.lastShotWallMs = (monday + 59) * 1000;
  stopped.counts.taken = 12;
  stopped.settings.Count = 40;
  EXPECT_EQ(ResumeQuestion(stopped),
            "A time-lapse series was running until 2026-03-02 09:30 "
            "(picture 12 of 40 taken). Continue it?");
  stopped.settings.Infinity = 1;
  EXPECT_NE(ResumeQuestion(stopped).find("(picture 12 taken)"), std::string::npos);
}

// Before Start: how many shots, when the first and the last, room for their pictures, and
// whether a shot fits into the interval.
TEST(SeriesPlan, TellsShotsRoomAndPace) {
  velotest::BerlinTime berlin;
  test::TempDir dest;
  const std::int64_t nine = ParseMoment("2026-03-02 09:00", 0).Value() * 1000;
  struct Case {
    const char* profile;
    ShotMeasure last;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"[Schedule]\nScheduleStart=2026-03-02 10:00\nScheduleFor=45m\n[Interval]\nMinute=10\n"
       "Infinity=1",
       {},
       {"Plan: 5 shots, the first at 2026-03-02 10:00, the last at 2026-03-02 10:40."}},
      {"[Interval]\nCount=3\nHour=1\n[Options]\nCopyFile=1\nModel=5",
       {1000, 1},
       {"Plan: 3 shots, the first at 2026-03-02 09:00, the last at 2026-03-02 11:00.",
        "Room: 3 pictures of 0.0 MB need 0.0 MB; the destination has "}},
      {"[Interval]\nCount=2\nSecond=10\nBulb=1\nBulbSeconds=30\n[Options]\nCopyFile=1\nModel=5",
       {std::nullopt, 1'000'000'000'000'000},
       {"Plan: 2 shots, the first at 2026-03-02 09:00, the last at 2026-03-02 09:01.",
        "Warning: too little room: 2 pictures of 1000000.0 GB need ",
        "Warning: one shot with its copy takes about 00:01:02 (estimated from the delays), longer "
        "than the interval of 00:00:10: the shots will follow each other without pause."}},
      {"[Interval]\nInfinity=1\nMinute=1",
       {},
       {"Plan: shots until the series is ended, the first at 2026-03-02 09:00."}},
      {"[Interval]\nCount=0\nMinute=1",
       {},
       {"No shot would be taken: set an interval (or Bulb) and a count (or Infinity)."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    const Settings settings = LoadSettings(
        IniProfile::FromText(std::string(c.profile) + "\nDestFileDir=" + dest.Path() + "\n"));
    const std::vector<std::string> lines = PlanSeries(settings, nine, c.last).Lines();
    ASSERT_EQ(lines.size(), c.lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
      EXPECT_EQ(lines[i].substr(0, c.lines[i].size()), c.lines[i]);
  }
}

}  // namespace
}  // namespace vel
