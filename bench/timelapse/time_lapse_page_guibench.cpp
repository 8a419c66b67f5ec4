// The Time Lapse page as the camera sees it, on a pseudo-terminal behind the
// real window: the shutter and REC/USB switch gaps when the waits run the
// window's event loop, and how far the shot starts of a 31-shot series at a
// 1 s interval stray from the ideal grid anchored at the end of the first
// shot (30 shots measured, about 30 s).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <map>
#include <mutex>
#include <thread>

#include "gui/timelapse/time_lapse_page.h"
#include "support/gap_report.h"
#include "support/sheet_fixture.h"

namespace {

using vel::test::PseudoTerminal;
using vel::test::SheetFixture;
using SteadyTime = std::chrono::steady_clock::time_point;

double MsBetween(SteadyTime from, SteadyTime to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Reads the camera's end of the line on a thread of its own, so that bytes
// are stamped as they arrive while the user-interface thread runs a shot.
class ByteRecorder {
 public:
  struct Arrival {
    std::uint8_t byte;
    SteadyTime at;
  };

  explicit ByteRecorder(PseudoTerminal& camera) : m_camera(camera), m_thread([this] { Run(); }) {}
  ~ByteRecorder() {
    m_stop = true;
    m_thread.join();
  }

  std::vector<Arrival> Arrivals() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals;
  }
  std::size_t Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals.size();
  }

 private:
  void Run() {
    while (!m_stop) {
      const std::vector<std::uint8_t> bytes = m_camera.Read(1, 10);
      const SteadyTime now = std::chrono::steady_clock::now();
      std::lock_guard<std::mutex> lock(m_mutex);
      for (std::uint8_t byte : bytes) m_arrivals.push_back({byte, now});
    }
  }

  PseudoTerminal& m_camera;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_mutex;
  std::vector<Arrival> m_arrivals;
  std::thread m_thread;  // last: it starts once everything else exists
};

// The moment each status text was first written.
class StatusLog {
 public:
  explicit StatusLog(CTimeLapse* page) {
    page->SetStatusObserver([this](const std::string& text, const std::string&) {
      m_first.try_emplace(text, std::chrono::steady_clock::now());
    });
  }
  SteadyTime At(const std::string& text) const {
    const auto found = m_first.find(text);
    return found == m_first.end() ? SteadyTime{} : found->second;
  }

 private:
  std::map<std::string, SteadyTime> m_first;
};

constexpr int kTimeLapsePage = 1;

struct PageBench {
  explicit PageBench(const std::string& profile) : sheet(5, profile) {
    sheet.ShowPage(kTimeLapsePage);
    page = dynamic_cast<CTimeLapse*>(sheet.Page());
    statuses = std::make_unique<StatusLog>(page);
    camera = std::make_unique<ByteRecorder>(sheet.Camera());
  }
  void Start() { sheet.Click(vel::kStartButton); }
  // Runs the event loop as the program's own loop does (QTest::qWait would
  // sleep between its passes and delay the ticks) until the series is over.
  void RunUntilSeriesEnds() {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
      if (!page->SeriesTimerRunning())
        loop.quit();
    });
    check.start(50);
    loop.exec();
  }
  // The arrivals so far, once at least count bytes have come.
  std::vector<ByteRecorder::Arrival> Arrivals(std::size_t count) {
    for (int i = 0; i < 2000 && camera->Count() < count; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return camera->Arrivals();
  }

  SheetFixture sheet;
  CTimeLapse* page = nullptr;
  std::unique_ptr<StatusLog> statuses;
  std::unique_ptr<ByteRecorder> camera;
};

// Gaps from each arrival of press to the arrival right after it.
std::vector<double> Gaps(const std::vector<ByteRecorder::Arrival>& arrivals, std::uint8_t press) {
  std::vector<double> gaps;
  for (std::size_t i = 0; i + 1 < arrivals.size(); ++i)
    if (arrivals[i].byte == press)
      gaps.push_back(MsBetween(arrivals[i].at, arrivals[i + 1].at));
  return gaps;
}

// One shot per Start click: "B", 10 ms, "b".
void BM_PageShutterPressToRelease(benchmark::State& state) {
  PageBench bench("[Interval]\nCount=1\nSecond=1\n");
  std::size_t expected = 0;
  for (auto _ : state) {
    bench.Start();
    bench.Arrivals(expected += 2);
  }
  vel::bench::ReportGaps(state, Gaps(bench.camera->Arrivals(), 'B'));
}
BENCHMARK(BM_PageShutterPressToRelease)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One copying shot per Start click, the copy failing at once (no camera
// drive): "B" "b", then "M", 250 ms, "m" twice.
void BM_PageSwitchPressToRelease(benchmark::State& state) {
  PageBench bench(
      "[Interval]\nCount=1\nSecond=1\n[Options]\nCopyFile=1\nDelayRecUsb=0\n"
      "DelayUsbRec=0\n");
  bench.page->SetVolumeSources({"/nonexistent/mountinfo", "/nonexistent"});
  vel::test::MessageBoxRecorder boxes;
  std::size_t expected = 0;
  for (auto _ : state) {
    bench.Start();
    bench.Arrivals(expected += 6);
  }
  vel::bench::ReportGaps(state, Gaps(bench.camera->Arrivals(), 'M'));
}
BENCHMARK(BM_PageSwitchPressToRelease)
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Shot k (2 to 31) should start k - 1 intervals after the end of shot 1; its
// start is the arrival of its "B".
void BM_PageGridDeviation(benchmark::State& state) {
  constexpr int kShots = 31;
  PageBench bench("[Interval]\nCount=31\nSecond=1\n");
  double worst = 0, last = 0, sum = 0;
  for (auto _ : state) {
    bench.Start();
    const SteadyTime anchor = bench.statuses->At("Doze (picture 1 of 31 taken)");
    bench.RunUntilSeriesEnds();
    const std::vector<ByteRecorder::Arrival> arrivals = bench.Arrivals(2 * kShots);
    for (int shot = 2; shot <= kShots; ++shot) {
      const double ideal = (shot - 1) * 1000.0;
      last = MsBetween(anchor, arrivals.at(2 * (shot - 1)).at) - ideal;
      worst = std::max(worst, std::abs(last));
      sum += std::abs(last);
    }
  }
  state.counters["shots_on_grid"] = kShots - 1;
  state.counters["worst_deviation_ms"] = worst;
  state.counters["last_deviation_ms"] = last;
  state.counters["mean_deviation_ms"] = sum / (kShots - 1);
}
BENCHMARK(BM_PageGridDeviation)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
