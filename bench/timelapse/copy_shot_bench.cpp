// How long a shot with picture copy takes when the camera's drive shows up
// 0.5 s after the switch to USB mode, with "Delay REC -> USB" at 8 s: once
// waiting the whole delay before looking for the drive (as the program did),
// once looking every 100 ms and copying as soon as the drive is there. The
// camera is qvsim with a real card image, so this needs root and loop
// devices; the shot runs the core's plan on the real serial port object.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/platform/clock.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/shot_plan.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

constexpr int kMountDelayMs = 500;
constexpr int kDelayRecUsbSeconds = 8;

// Runs a plan's bytes and waits on the port and the steady clock, and its
// copy step with the real transfer; with waitWholeDelay the copy first sits
// out the whole delay and then looks once.
class CopyingExecutor final : public vel::PortExecutor {
 public:
  CopyingExecutor(vel::CComPort& port, const vel::DriveSnapshot& atStart, bool waitWholeDelay)
      : PortExecutor(port, vel::SteadyClock()),
        m_atStart(atStart),
        m_waitWholeDelay(waitWholeDelay) {}

  vel::CopyOutcome CopyPicture(const vel::TransferSettings& settings,
                               std::uint32_t waitMs) override {
    if (m_waitWholeDelay) {
      TheClock().WaitMs(waitMs);
      waitMs = 0;
    }
    vel::CopyOutcome copied = m_transfer.CopyNewestPicture(m_atStart, settings, TheClock(), waitMs);
    if (!copied.result)
      failure = copied.result.Text();
    return copied;
  }

  std::string failure;

 private:
  const vel::DriveSnapshot& m_atStart;
  bool m_waitWholeDelay;
  vel::PictureTransfer m_transfer;
};

void BM_ShotWithCopy(benchmark::State& state) {
  if (::geteuid() != 0) {
    state.SkipWithError("needs root: the camera's card is mounted through a loop device");
    return;
  }
  vel::test::TempDir dir;
  vel::test::ChildProcess camera(QVSIM_PROGRAM, {"--model", "5", "--card", dir.Path(),
                                                 "--mount-delay", std::to_string(kMountDelayMs),
                                                 "--label", "BENCH" + std::to_string(::getpid())});
  vel::CComPort port;
  if (!port.Open(camera.FirstLine()).Ok()) {
    state.SkipWithError("qvsim did not start");
    return;
  }
  vel::Settings settings = vel::LoadSettings(vel::IniProfile());
  settings.Model = 5;
  settings.CopyFile = 1;
  settings.DeleteAfterCopy = 1;
  settings.DestFileDir = dir / "Copied";
  settings.DelayRecUsb = kDelayRecUsbSeconds;
  settings.DelayUsbRec = 1;
  ::mkdir(settings.DestFileDir.c_str(), 0777);
  const vel::ShotSettings shot = vel::ShotSettings::Of(settings);
  const vel::DriveSnapshot atStart = vel::TakeDriveSnapshot();
  CopyingExecutor executor(port, atStart, state.range(0) == 0);
  std::uint32_t number = 0;
  for (auto _ : state) {
    (void)vel::RunShotPlan(vel::BuildShotPlan(shot, {++number, 0, {}}), executor);
  }
  if (!executor.failure.empty())
    state.SkipWithError(executor.failure.c_str());
  state.SetLabel(state.range(0) == 0 ? "whole delay, then one look" : "looking every 100 ms");
}

BENCHMARK(BM_ShotWithCopy)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
