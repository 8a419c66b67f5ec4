#include "core/timelapse/series_schedule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/timelapse/status_text.h"

namespace vel {
namespace {

// Drives a schedule the way the Time Lapse page does, on a pretend clock:
// Start takes the first shot at once, then every tick is delivered at the
// time NextDueMs names, and a shot lasts as long as shotLength says.
class SeriesDriver {
 public:
  std::int64_t nowMs = 1'000'000;
  bool infinity = false;  // the Infinity setting as it is now
  std::function<std::int64_t(std::uint32_t shot)> shotLength = [](std::uint32_t) { return 10; };
  std::vector<std::int64_t> shotStarts;
  std::vector<std::int64_t> shotEnds;
  std::vector<std::string> statuses;
  std::vector<std::int64_t> statusTimes;
  SeriesSchedule schedule;

  void Start(SeriesStartSettings settings) {
    infinity = settings.infinity;
    if (!schedule.Start(settings)) {
      Show(schedule.IdleText());
      return;
    }
    TakeShot();
    if (!schedule.FinishFirstShot(nowMs))
      Show(schedule.IdleText());
  }

  // Delivers the next tick; false when no timer runs.
  bool Tick() {
    if (!schedule.TimerRunning())
      return false;
    const std::int64_t due = schedule.NextDueMs(nowMs);
    EXPECT_GE(due, nowMs);
    nowMs = due;
    switch (schedule.OnTick(nowMs, infinity)) {
      case SeriesSchedule::Tick::Shoot:
        TakeShot();
        break;
      case SeriesSchedule::Tick::Finish:
        Show(schedule.IdleText());
        break;
      case SeriesSchedule::Tick::Ignore:
        ADD_FAILURE() << "tick ignored while the timer runs";
        break;
    }
    return true;
  }

  void TickUntilStopped(int limit = 100000) {
    while (limit-- > 0 && Tick()) {
    }
  }

  void Cancel() {
    schedule.Cancel();
    Show(schedule.IdleText());
  }

 private:
  void TakeShot() {
    shotStarts.push_back(nowMs);
    const std::uint32_t n = schedule.BeginShot();
    nowMs += shotLength(n);
    shotEnds.push_back(nowMs);
    Show(DozeText(n, schedule.Count(), infinity));
    if (schedule.Complete(infinity))
      Show(schedule.IdleText());
  }
  void Show(const std::string& text) {
    statuses.push_back(text);
    statusTimes.push_back(nowMs);
  }
};

SeriesStartSettings Series(std::uint32_t count, int seconds, bool infinity = false,
                           bool bulb = false) {
  SeriesStartSettings settings;
  settings.second = seconds;
  settings.count = count;
  settings.infinity = infinity;
  settings.bulb = bulb;
  return settings;
}

TEST(SeriesInterval, IsHoursMinutesSecondsInMillisecondsWrappingAt32Bits) {
  EXPECT_EQ(IntervalMs(1, 2, 3), 3'723'000u);
  EXPECT_EQ(IntervalMs(0, 0, 0), 0u);
  // 1194 hours are 4'298'400'000 ms, which wraps past 2^32.
  EXPECT_EQ(IntervalMs(1194, 0, 0), 3'432'704u);
}

TEST(SeriesStart, CountThreeGivesThreeShotsThenIdleAgainAtTheNextTick) {
  SeriesDriver driver;
  driver.Start(Series(3, 10));
  driver.TickUntilStopped();
  const std::vector<std::string> expected{
      "Doze (picture 1 of 3 taken)", "Doze (picture 2 of 3 taken)",
      "Doze (picture 3 of 3 taken)", "Idle (3 pictures taken)",
      "Idle (3 pictures taken)",  // written again by the tick after the last shot
  };
  EXPECT_EQ(driver.statuses, expected);
  ASSERT_EQ(driver.shotStarts.size(), 3u);
  const std::int64_t firstEnd = driver.shotEnds[0];
  EXPECT_EQ(driver.shotStarts[1], firstEnd + 10'000);
  EXPECT_EQ(driver.shotStarts[2], firstEnd + 20'000);
  EXPECT_EQ(driver.statusTimes.back(), firstEnd + 30'000);
  EXPECT_FALSE(driver.schedule.TimerRunning());
}

TEST(SeriesStart, CountOneTakesOneShotWithoutTimer) {
  SeriesDriver driver;
  driver.Start(Series(1, 10));
  EXPECT_FALSE(driver.schedule.TimerRunning());
  EXPECT_EQ(driver.shotStarts.size(), 1u);
  EXPECT_EQ(driver.statuses.back(), "Idle (1 picture taken)");
}

TEST(SeriesStart, NothingToPaceOrNothingToTakeMeansNoShot) {
  struct Case {
    const char* name;
    SeriesStartSettings settings;
  };
  const Case cases[] = {
      {"interval 0 without bulb", Series(5, 0)},
      {"count 0 without infinity", Series(0, 10)},
      {"count 0, interval 0, bulb", Series(0, 0, false, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SeriesDriver driver;
    driver.Start(c.settings);
    EXPECT_TRUE(driver.shotStarts.empty());
    EXPECT_FALSE(driver.schedule.TimerRunning());
    EXPECT_EQ(driver.statuses, std::vector<std::string>{"Idle (0 pictures taken)"});
  }
}

TEST(SeriesStart, IntervalZeroWithBulbRunsTheShotsBackToBack) {
  SeriesDriver driver;
  driver.shotLength = [](std::uint32_t n) { return 1000 + n; };
  driver.Start(Series(5, 0, false, true));
  driver.TickUntilStopped();
  ASSERT_EQ(driver.shotStarts.size(), 5u);
  for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(driver.shotStarts[i], driver.shotEnds[i - 1]);
  EXPECT_EQ(driver.statuses.back(), "Idle (5 pictures taken)");
}

TEST(SeriesCancel, BetweenShotsEndsTheSeriesWithoutFurtherShots) {
  SeriesDriver driver;
  driver.Start(Series(10, 5));
  for (int i = 0; i < 3; ++i) driver.Tick();
  driver.Cancel();
  EXPECT_EQ(driver.statuses.back(), "Idle (4 pictures taken, cancelled)");
  EXPECT_FALSE(driver.schedule.TimerRunning());
  EXPECT_EQ(driver.schedule.OnTick(driver.nowMs + 60'000, false), SeriesSchedule::Tick::Ignore);
  EXPECT_EQ(driver.schedule.Taken(), 4u);
}

TEST(SeriesInfinity, CountZeroRunsUntilCancelled) {
  SeriesDriver driver;
  driver.Start(Series(0, 2, /*infinity=*/true));
  for (int i = 0; i < 49; ++i) ASSERT_TRUE(driver.Tick());
  EXPECT_EQ(driver.shotStarts.size(), 50u);
  EXPECT_EQ(driver.statuses.back(), "Doze (picture 50 taken)");
  driver.Cancel();
  EXPECT_EQ(driver.statuses.back(), "Idle (50 pictures taken, cancelled)");
}

TEST(SeriesInfinity, ClearingItEndsAnEndlessSeriesAtTheNextTick) {
  SeriesDriver driver;
  driver.Start(Series(3, 2, /*infinity=*/true));
  for (int i = 0; i < 5; ++i) driver.Tick();
  EXPECT_EQ(driver.statuses.back(), "Doze (picture 6 taken)");
  driver.infinity = false;
  driver.Tick();
  EXPECT_EQ(driver.shotStarts.size(), 6u);
  EXPECT_EQ(driver.statuses.back(), "Idle (6 pictures taken)");
  EXPECT_FALSE(driver.schedule.TimerRunning());
}

TEST(SeriesTiming, ShotStartsStayOnTheGridWhateverTheShotsTake) {
  SeriesDriver driver;
  std::uint32_t seed = 12345;
  driver.shotLength = [&seed](std::uint32_t) {
    seed = seed * 1'103'515'245u + 12345u;
    return static_cast<std::int64_t>((seed >> 8) % 900);  // 0 to 899 ms, below the interval
  };
  driver.Start(Series(1001, 1));
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(driver.Tick());
  ASSERT_EQ(driver.shotStarts.size(), 1001u);
  const std::int64_t anchor = driver.shotEnds[0];
  for (std::size_t k = 1; k < driver.shotStarts.size(); ++k) {
    ASSERT_EQ(driver.shotStarts[k], anchor + static_cast<std::int64_t>(k) * 1000) << "shot " << k;
  }
}

TEST(SeriesTiming, ALongShotIsFollowedByOneShotAtOnceThenTheNextGridPoint) {
  SeriesDriver driver;
  driver.shotLength = [](std::uint32_t n) { return n == 2 ? 3500 : 100; };
  driver.Start(Series(5, 1));
  driver.TickUntilStopped();
  ASSERT_EQ(driver.shotStarts.size(), 5u);
  const std::int64_t anchor = driver.shotEnds[0];
  EXPECT_EQ(driver.shotStarts[1], anchor + 1000);
  // Grid points 2000, 3000 and 4000 passed during shot 2: one shot at its end.
  EXPECT_EQ(driver.shotStarts[2], anchor + 4500);
  EXPECT_EQ(driver.shotStarts[3], anchor + 5000);
  EXPECT_EQ(driver.shotStarts[4], anchor + 6000);
}

TEST(SeriesTiming, ATickThatComesEarlyKeepsTheGrid) {
  SeriesSchedule schedule;
  ASSERT_TRUE(schedule.Start(Series(10, 1)));
  schedule.BeginShot();
  ASSERT_TRUE(schedule.FinishFirstShot(0));
  EXPECT_EQ(schedule.NextDueMs(0), 1000);
  EXPECT_EQ(schedule.DelayMs(250), 750);
  // A timer that fires 2 ms early still stands for the grid point 1000.
  ASSERT_EQ(schedule.OnTick(998, false), SeriesSchedule::Tick::Shoot);
  schedule.BeginShot();
  EXPECT_EQ(schedule.NextDueMs(1020), 2000);
}

}  // namespace
}  // namespace vel
