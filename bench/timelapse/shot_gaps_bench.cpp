// How long the camera's keys stay pressed during a shot, measured where the
// camera sees them: on the far side of a pseudo-terminal that the real serial
// port object writes to. The shutter ("B" then "b", 10 ms planned) comes from
// the shot plan, the REC/USB switch ("M" then "m", 250 ms planned) from
// SwitchUsbRec for a QV-3000EX; both wait on the steady clock. Each sample is one gap; the
// counters give the median and the worst of all samples.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/platform/clock.h"
#include "core/timelapse/shot_plan.h"
#include "support/gap_report.h"

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

// The camera's end of the line: the port object opens the slave side, a
// thread of its own stamps each byte as it arrives on the master side.
class CameraLine {
 public:
  CameraLine() {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
      return;
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    m_open = m_port.Open(name).Ok();
    m_reader = std::thread([this] { Read(); });
  }
  ~CameraLine() {
    m_stop = true;
    if (m_reader.joinable())
      m_reader.join();
    m_port.Close();
    ::close(m_master);
    ::close(m_slave);
  }

  bool Open() const { return m_open; }
  vel::CComPort& Port() { return m_port; }

  // The arrival times of the next count bytes.
  std::vector<SteadyTime> Next(std::size_t count) {
    for (int i = 0; i < 2000 && Available() < count; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::size_t n = std::min(count, m_arrivals.size());
    std::vector<SteadyTime> next(m_arrivals.begin(), m_arrivals.begin() + n);
    m_arrivals.erase(m_arrivals.begin(), m_arrivals.begin() + n);
    return next;
  }

 private:
  std::size_t Available() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals.size();
  }

  void Read() {
    while (!m_stop) {
      pollfd p{m_master, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0)
        continue;
      std::uint8_t buffer[64];
      const ssize_t n = ::read(m_master, buffer, sizeof buffer);
      const SteadyTime now = std::chrono::steady_clock::now();
      std::lock_guard<std::mutex> lock(m_mutex);
      for (ssize_t i = 0; i < n; ++i) m_arrivals.push_back(now);
    }
  }

  int m_master = -1;
  int m_slave = -1;
  bool m_open = false;
  vel::CComPort m_port;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<SteadyTime> m_arrivals;
  std::thread m_reader;
};

double Ms(SteadyTime from, SteadyTime to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

void BM_ShutterPressToRelease(benchmark::State& state) {
  CameraLine camera;
  if (!camera.Open()) {
    state.SkipWithError("pseudo-terminal did not open");
    return;
  }
  const vel::ShotPlan plan = vel::BuildShotPlan(vel::ShotSettings{}, {1, 1, {}});
  // Real bytes and steady-clock waits, and nothing else.
  vel::PortExecutor shot(camera.Port(), vel::SteadyClock());
  std::vector<double> gaps;
  for (auto _ : state) {
    (void)vel::RunShotPlan(plan, shot);
    const std::vector<SteadyTime> bytes = camera.Next(2);
    if (bytes.size() == 2)
      gaps.push_back(Ms(bytes[0], bytes[1]));
  }
  vel::bench::ReportGaps(state, gaps);
}
BENCHMARK(BM_ShutterPressToRelease)->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SwitchPressToRelease(benchmark::State& state) {
  CameraLine camera;
  if (!camera.Open()) {
    state.SkipWithError("pseudo-terminal did not open");
    return;
  }
  vel::Settings settings;
  settings.Model = 5;
  const vel::SwitchSettings qv3000ex = vel::SwitchSettings::Of(settings);
  std::vector<double> gaps;
  for (auto _ : state) {
    if (!vel::SwitchUsbRec(camera.Port(), vel::SteadyClock(), qv3000ex))
      state.SkipWithError("the line was lost");
    const std::vector<SteadyTime> bytes = camera.Next(2);
    if (bytes.size() == 2)
      gaps.push_back(Ms(bytes[0], bytes[1]));
  }
  vel::bench::ReportGaps(state, gaps);
}
BENCHMARK(BM_SwitchPressToRelease)->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
