#include "core/timelapse/series_schedule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/timelapse/status_text.h"

namespace vel {
namespace {

// Runs a series the way the Time Lapse page does, on a pretend clock: Start
// takes the first shot at once, each tick comes when NextDueMs says, and a
// shot lasts as long as shotLength says. Records when shots start and what
// the status line shows.
struct SeriesRun {
  std::int64_t nowMs = 1'000'000;
  bool infinity = false;  // the Infinity setting as it is now
  std::function<std::int64_t(std::uint32_t shot)> shotLength = [](std::uint32_t) { return 700; };
  std::vector<std::int64_t> starts;
  std::vector<std::string> statuses;
  SeriesSchedule schedule;

  SeriesRun(int count, int seconds, bool infinityAtStart = false, bool bulb = false) {
    infinity = infinityAtStart;
    if (schedule.Start({0, 0, seconds, std::uint32_t(count), infinityAtStart, bulb})) {
      Shoot();
      if (schedule.FinishFirstShot(nowMs))
        return;
    }
    statuses.push_back(schedule.IdleText());
  }
  void Shoot() {
    starts.push_back(nowMs);
    const std::uint32_t n = schedule.BeginShot();
    nowMs += shotLength(n);
    statuses.push_back(DozeText(n, schedule.Count(), infinity));
  }
  // Delivers ticks while the timer runs, at most limit of them.
  void Ticks(int limit = 10000) {
    for (; limit > 0 && schedule.TimerRunning(); --limit) {
      nowMs = schedule.NextDueMs(nowMs);
      if (schedule.OnTick(nowMs, infinity) == SeriesSchedule::Tick::Shoot)
        Shoot();
      else
        statuses.push_back(schedule.IdleText());
    }
  }
};

// The grid is anchored at the end of the first shot: shots of any length
// below the interval never move the later ones, and one that overruns several
// grid points is followed by one shot at once, then by the next point ahead.
TEST(SeriesSchedule, ShotsKeepToAGridFromTheEndOfTheFirstShot) {
  SeriesRun run(300, 1);
  std::uint32_t seed = 12345;
  run.shotLength = [&seed](std::uint32_t shot) -> std::int64_t {
    seed = seed * 1'103'515'245u + 12345u;
    return shot == 200 ? 3500 : shot == 201 ? 400 : (seed >> 8) % 1000;
  };
  run.Ticks();
  ASSERT_EQ(run.starts.size(), 300u);
  const std::int64_t anchor = run.starts[0] + 700;
  for (std::int64_t k = 1; k < 200; ++k) ASSERT_EQ(run.starts[k], anchor + k * 1000) << k;
  EXPECT_EQ(run.starts[200], run.starts[199] + 3500);
  EXPECT_EQ(run.starts[201], anchor + 203 * 1000);
  EXPECT_EQ(run.statuses[1], "Doze (picture 2 of 300 taken)");
  EXPECT_EQ(run.statuses.back(), "Idle (300 pictures taken)");
}

// A series needs an interval or bulb shots, and a count or Infinity; with an
// interval of 0 the shots run back to back.
TEST(SeriesSchedule, StartsOnlyWithAPaceAndSomethingToTake) {
  // Count, seconds, Infinity, bulb, and the shots taken within 30 ticks.
  const int cases[][5] = {{5, 0, 0, 0, 0},  {0, 10, 0, 0, 0}, {0, 0, 1, 0, 0},
                          {1, 10, 0, 0, 1}, {4, 0, 0, 1, 4},  {0, 0, 1, 1, 30}};
  for (const auto& [count, seconds, infinity, bulb, shots] : cases) {
    SCOPED_TRACE(testing::Message() << count << " " << seconds << " " << infinity << " " << bulb);
    SeriesRun run(count, seconds, infinity, bulb);
    run.Ticks(29);
    EXPECT_EQ(run.starts.size(), std::size_t(shots));
    if (shots == 0) {
      EXPECT_EQ(run.statuses, std::vector<std::string>{"Idle (0 pictures taken)"});
    }
    for (std::size_t i = 1; i < run.starts.size(); ++i)
      EXPECT_EQ(run.starts[i], run.starts[i - 1] + 700);
  }
  SeriesRun single(1, 5);  // over at once, without a tick
  EXPECT_EQ(single.statuses.back(), "Idle (1 picture taken)");
}

TEST(SeriesSchedule, AnEndlessSeriesStopsWhenInfinityIsCleared) {
  SeriesRun run(2, 5, true);
  run.Ticks(4);
  EXPECT_EQ(run.statuses.back(), "Doze (picture 5 taken)");
  run.infinity = false;
  run.Ticks();
  EXPECT_EQ(run.statuses.back(), "Idle (5 pictures taken)");
}

// At the end of each shot the progress names when the next shot and the last
// one will start, as the run then starts them, also after shot 3 overran two
// grid points (which moved the end, unforeseen before it).
TEST(SeriesSchedule, ProgressForetellsTheNextAndTheLastShot) {
  // Count, seconds, Infinity, bulb.
  const int cases[][4] = {{5, 1, 0, 0}, {2, 1, 1, 0}, {4, 0, 0, 1}};
  for (const auto& [count, seconds, infinity, bulb] : cases) {
    SCOPED_TRACE(testing::Message() << count << " " << seconds << " " << infinity);
    SeriesRun run(count, seconds, infinity, bulb);
    run.shotLength = [](std::uint32_t shot) { return shot == 3 ? 2500 : 300; };
    std::vector<SeriesProgress> foretold;
    while (run.schedule.TimerRunning() && run.starts.size() < 6) {
      foretold.push_back(run.schedule.Progress(run.nowMs, run.infinity));
      run.Ticks(1);
    }
    for (std::size_t i = 0; i < foretold.size(); ++i) {
      SCOPED_TRACE(i);
      const bool more = i + 1 < run.starts.size();
      EXPECT_EQ(foretold[i].nextShotMs, more ? std::optional(run.starts[i + 1]) : std::nullopt);
      EXPECT_EQ(foretold[i].backToBack, more && seconds == 0);
      const bool ends = more && !infinity && seconds != 0;
      const std::int64_t last = i < 2 ? run.starts[1] + (count - 2) * 1000 : run.starts.back();
      EXPECT_EQ(foretold[i].lastShotMs, ends ? std::optional(last) : std::nullopt);
    }
  }
}

TEST(SeriesSchedule, TheCountdownRoundsUpToWholeSeconds) {
  const std::pair<std::int64_t, const char*> countdowns[] = {
      {-5, "00:00"},           {1, "00:01"},         {7000, "00:07"},
      {7001, "00:08"},         {3'599'000, "59:59"}, {3'600'000, "01:00:00"},
      {36'061'000, "10:01:01"}};
  for (const auto& [ms, text] : countdowns) EXPECT_EQ(CountdownText(ms), text) << ms;
}

}  // namespace
}  // namespace vel
