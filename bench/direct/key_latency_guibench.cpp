// Time from a key button showing pushed to its byte being readable on the
// camera's line: the sampling happens in the idle pass, so this measures how
// soon the event loop goes idle after input and how long the write takes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QtTest>
#include <algorithm>
#include <chrono>

#include "support/sheet_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

// Runs the event loop, as the program does between inputs, until the camera's
// end of the line has a byte to read (or a second has passed).
double UntilByte(vel::test::PseudoTerminal& camera, Clock::time_point start) {
  QEventLoop loop;
  QSocketNotifier readable(camera.MasterFd(), QSocketNotifier::Read);
  QObject::connect(&readable, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
  QTimer::singleShot(1000, &loop, &QEventLoop::quit);
  loop.exec();
  const double elapsed = Micros(Clock::now() - start);
  camera.Read(0, 0);
  return elapsed;
}

void BM_KeyPressToByte(benchmark::State& state) {
  vel::test::SheetFixture f(5);
  QAbstractButton* shutter = f.Item(vel::kShutterKey);
  std::vector<double> samples;
  for (auto _ : state) {
    const auto start = Clock::now();
    QTest::mousePress(shutter, Qt::LeftButton);
    samples.push_back(UntilByte(f.Camera(), start));
    QTest::mouseRelease(shutter, Qt::LeftButton);
    UntilByte(f.Camera(), Clock::now());
  }
  std::sort(samples.begin(), samples.end());
  state.counters["median_us"] = samples[samples.size() / 2];
  state.counters["p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
  state.counters["worst_us"] = samples.back();
}
BENCHMARK(BM_KeyPressToByte)->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
