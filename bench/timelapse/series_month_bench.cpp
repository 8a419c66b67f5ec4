// A month of a scheduled series simulated on a clock that moves only by the
// series' waits: 30 days at a 10-minute interval, shots on weekdays from 7:00
// to 18:00 (Europe/Berlin, across the spring's daylight-saving change), the
// whole core series run on a pseudo-terminal. Reports every shot's distance
// from its slot on the grid (all must be 0) and how long the month took.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/platform/clock.h"
#include "core/timelapse/series_calendar.h"
#include "core/timelapse/series_run.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace {

class MonthClock final : public vel::Clock {
 public:
  explicit MonthClock(vel::test::PseudoTerminal& line) : m_line(line) {}
  std::int64_t NowMs() override { return m_now; }
  void WaitMs(std::uint32_t ms) override {
    Drain();
    m_now += ms;
  }
  std::int64_t WallMs() override { return wallBaseMs + m_now; }
  // The shutter presses that reached the camera, and when.
  void Drain() {
    for (std::uint8_t byte : m_line.Read(0, 0))
      if (byte == 'B')
        shutterMs.push_back(m_now);
  }

  std::int64_t wallBaseMs = 0;
  std::vector<std::int64_t> shutterMs;

 private:
  vel::test::PseudoTerminal& m_line;
  std::int64_t m_now = 0;
};

struct QuietView final : vel::SeriesView {
  void ShowStatus(const std::string&) override {}
};

void BM_ScheduledMonth(benchmark::State& state) {
  ::setenv("TZ", "Europe/Berlin", 1);
  ::tzset();
  std::size_t shots = 0;
  std::int64_t worstOffGrid = 0;
  for (auto _ : state) {
    vel::test::PseudoTerminal line;
    vel::test::TempDir logs;
    MonthClock clock(line);
    clock.wallBaseMs = vel::ParseMoment("2026-03-15 05:00", 0).Value() * 1000;
    vel::CComPort port;
    if (!port.Open(line.SlavePath())) {
      state.SkipWithError("pseudo-terminal did not open");
      return;
    }
    const vel::Settings settings = vel::LoadSettings(vel::IniProfile::FromText(
        "[Interval]\nMinute=10\nInfinity=1\n[Options]\nModel=5\n[Schedule]\n"
        "ScheduleWindows=07:00-18:00\nScheduleDays=mon-fri\nScheduleFor=30d\n"));
    QuietView view;
    vel::SeriesRun run(settings, port, clock, view);
    run.SetLogFolder(logs.Path());
    bool more = run.Begin();
    while (more && run.Running()) {
      clock.WaitMs(static_cast<std::uint32_t>(run.NextDueMs() - clock.NowMs()));
      run.OnTick();
    }
    clock.Drain();
    shots = clock.shutterMs.size();
    for (std::int64_t ms : clock.shutterMs)
      worstOffGrid = std::max(worstOffGrid, ms % (10 * 60 * 1000));
  }
  state.counters["shots"] = static_cast<double>(shots);
  state.counters["worst_off_grid_ms"] = static_cast<double>(worstOffGrid);
  ::unsetenv("TZ");
  ::tzset();
}

BENCHMARK(BM_ScheduledMonth)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
