// How far the shots of a velorantica-cli series stray from their grid, seen
// where the camera sees them: qvsim's recorded arrival of each shutter press.
// One series of 100 shots at a 1 s interval (about 100 s); the grid is
// anchored at the end of the first shot (its shutter release), the other 99
// are measured.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fstream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

constexpr int kShots = 100;
constexpr long kIntervalMs = 1000;

// The recorded times of the shutter's press (0x42) and release (0x62) bytes.
void ReadShutterTimes(const std::string& recording, std::vector<long>& presses,
                      std::vector<long>& releases) {
  std::ifstream in(recording);
  long ms;
  std::string hex;
  while (in >> ms >> hex) {
    if (hex == "42")
      presses.push_back(ms);
    else if (hex == "62")
      releases.push_back(ms);
  }
}

void BM_CliSeriesGridDeviation(benchmark::State& state) {
  double worstMs = 0, lastMs = 0, sumMs = 0;
  for (auto _ : state) {
    vel::test::TempDir dir;
    vel::test::ChildProcess camera(QVSIM_PROGRAM, {"--model", "5", "--record", dir / "recording"});
    const std::string port = camera.FirstLine(20000);
    vel::test::TempDir::WriteFile(dir / "profile.ini", "[Options]\nModel=5\n");
    vel::test::ChildProcess cli(CLI_PROGRAM,
                                {"series", "--count", std::to_string(kShots), "--interval", "1",
                                 "--port", port, "--profile", dir / "profile.ini"},
                                {"XDG_STATE_HOME=" + dir.Path()});
    if (cli.Wait(kShots * kIntervalMs + 30000) != 0) {
      state.SkipWithError(("series failed: " + cli.Errors()).c_str());
      return;
    }
    camera.Stop(SIGTERM);
    std::vector<long> presses, releases;
    ReadShutterTimes(dir / "recording", presses, releases);
    if (presses.size() != kShots || releases.empty()) {
      state.SkipWithError("the camera did not receive every shot");
      return;
    }
    worstMs = sumMs = 0;
    for (int shot = 1; shot < kShots; ++shot) {
      lastMs = static_cast<double>(presses[shot] - (releases[0] + shot * kIntervalMs));
      worstMs = std::max(worstMs, std::abs(lastMs));
      sumMs += std::abs(lastMs);
    }
  }
  state.counters["shots_on_grid"] = kShots - 1;
  state.counters["worst_deviation_ms"] = worstMs;
  state.counters["last_deviation_ms"] = lastMs;
  state.counters["mean_deviation_ms"] = sumMs / (kShots - 1);
}

BENCHMARK(BM_CliSeriesGridDeviation)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
