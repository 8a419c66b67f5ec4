// How far the shot starts of a time-lapse series stray from the ideal grid
// when the series runs on the real monotonic clock with real sleeps and each
// shot takes 20 to 50 ms. One run of 31 shots at a 1 s interval (about 30 s);
// the first shot anchors the grid, the other 30 are measured.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "core/platform/clock.h"
#include "core/timelapse/series_schedule.h"

namespace {

using Micros = std::chrono::microseconds;

constexpr std::uint32_t kShots = 31;
constexpr int kIntervalSeconds = 1;

std::int64_t NowMicros() {
  return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A stand-in for a shot: some computing and some waiting, 20 to 50 ms in all,
// different for every shot.
void SimulatedShot(std::uint32_t shot) {
  const auto length = std::chrono::milliseconds(20 + (shot * 7919) % 31);
  const auto end = std::chrono::steady_clock::now() + length;
  const auto busyUntil = std::chrono::steady_clock::now() + length / 2;
  volatile std::uint64_t work = shot;
  while (std::chrono::steady_clock::now() < busyUntil) work = work * 6364136223846793005u + 1;
  std::this_thread::sleep_until(end);
}

void BM_SeriesGridDeviation(benchmark::State& state) {
  vel::Clock& clock = vel::SteadyClock();
  double worstMs = 0;
  double lastMs = 0;
  double sumMs = 0;
  for (auto _ : state) {
    vel::SeriesSchedule schedule;
    vel::SeriesStartSettings settings;
    settings.second = kIntervalSeconds;
    settings.count = kShots;
    if (!schedule.Start(settings)) {
      state.SkipWithError("series did not start");
      return;
    }
    SimulatedShot(schedule.BeginShot());
    const std::int64_t anchorMs = clock.NowMs();
    schedule.FinishFirstShot(anchorMs);
    worstMs = sumMs = 0;
    for (std::uint32_t tick = 1; schedule.TimerRunning(); ++tick) {
      clock.WaitMs(static_cast<std::uint32_t>(schedule.DelayMs(clock.NowMs())));
      const std::int64_t startMicros = NowMicros();
      if (schedule.OnTick(clock.NowMs(), false) != vel::SeriesSchedule::Tick::Shoot)
        break;
      const std::int64_t idealMicros = (anchorMs + tick * 1000LL * kIntervalSeconds) * 1000;
      lastMs = static_cast<double>(startMicros - idealMicros) / 1000.0;
      worstMs = std::max(worstMs, std::abs(lastMs));
      sumMs += std::abs(lastMs);
      SimulatedShot(schedule.BeginShot());
      if (schedule.Complete(false))
        break;  // the closing tick is not a shot
    }
  }
  state.counters["shots_on_grid"] = kShots - 1;
  state.counters["worst_deviation_ms"] = worstMs;
  state.counters["last_deviation_ms"] = lastMs;
  state.counters["mean_deviation_ms"] = sumMs / (kShots - 1);
}

BENCHMARK(BM_SeriesGridDeviation)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
