#include "cli/series.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "cli/card_mount.h"
#include "cli/end_signals.h"
#include "cli/options.h"
#include "cli/progress.h"
#include "core/camera/command_bytes.h"
#include "core/platform/user_dirs.h"
#include "core/timelapse/external_command.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/series_log.h"
#include "core/timelapse/series_schedule.h"
#include "core/timelapse/shot_plan.h"

namespace cli {
namespace {

constexpr const char* kAbortedText = "Ended at once by a second signal.";

bool IsKeyPress(std::uint8_t byte) {
  return byte == vel::kFocusLockPress || byte == vel::kShutterPress;
}

class Series {
 public:
  Series(const vel::Settings& settings, const std::string& cardDevice, vel::CComPort& port,
         EndSignals& signals)
      : m_settings(settings),
        m_cardDevice(cardDevice),
        m_port(port),
        m_signals(signals),
        m_clock(signals),
        m_progress(stdout) {}

  int Run();

 private:
  class ShotRunner;

  void TakeShot();
  bool AwaitNextShot();
  void LeaveCameraSafe();
  void OpenLog();
  void Summarize();
  vel::CopyOutcome CopyPicture(const vel::TransferSettings& transfer, std::uint32_t waitMs);
  std::string RunProgram(const std::string& program, const std::vector<std::string>& words);
  vel::ShotSettings ShotSettings() const {
    return vel::ShotSettings::Of(m_settings, vel::DeriveSendSwitchRelease(m_settings.Model));
  }
  std::uint32_t Failures() const { return m_schedule.FailedShots() + m_schedule.FailedCopies(); }
  bool Infinity() const { return m_settings.Infinity != 0; }

  const vel::Settings& m_settings;
  const std::string m_cardDevice;
  vel::CComPort& m_port;
  EndSignals& m_signals;
  ShotClock m_clock;
  Progress m_progress;
  vel::SeriesSchedule m_schedule;
  vel::SeriesLog m_log;
  vel::PictureTransfer m_transfer;
  std::string m_storedName;  // the picture copied last, for the external program
  vel::DriveSnapshot m_drivesAtStart;
  std::set<std::uint8_t> m_heldKeys;  // press bytes not yet released
  bool m_usbMode = false;
  std::vector<std::string> m_failures;  // for the summary
};

// The steps of a shot on the port and the shot clock; what the shot did goes
// into its record for the log. It also follows which keys are held and
// whether the camera is in USB mode, and writes nothing once the series is
// ended at once.
class Series::ShotRunner final : public vel::PortExecutor {
 public:
  ShotRunner(Series& series, vel::ShotRecord& record)
      : PortExecutor(series.m_port, series.m_clock), m_series(series), m_record(record) {}

  vel::Result WriteByte(std::uint8_t byte) override {
    if (m_series.m_clock.Aborted())
      return vel::Result::Failure(kAbortedText);
    vel::Result written = PortExecutor::WriteByte(byte);
    if (!written)
      return written;
    m_record.bytes.push_back(byte);
    if (IsKeyPress(byte))
      m_series.m_heldKeys.insert(byte);
    m_series.m_heldKeys.erase(static_cast<std::uint8_t>(byte - vel::kReleaseOffset));
    if (byte == vel::kSwitchUsbRec)
      m_series.m_usbMode = !m_series.m_usbMode;
    return written;
  }
  void ShowStatus(const std::string& text) override { m_series.m_progress.ShowStatus(text); }
  vel::CopyOutcome CopyPicture(const vel::TransferSettings& settings,
                               std::uint32_t waitMs) override {
    vel::CopyOutcome copied = m_series.CopyPicture(settings, waitMs);
    vel::NoteCopy(m_record, copied);
    if (copied.storedNew)
      m_series.m_storedName = copied.storedName;
    return copied;
  }
  void RunCommand(const std::string& program, const std::vector<std::string>& words) override {
    std::vector<std::string> all = words;
    all.push_back(m_series.m_storedName);
    m_record.commandOutcome = m_series.RunProgram(program, all);
  }

 private:
  Series& m_series;
  vel::ShotRecord& m_record;
};

int Series::Run() {
  m_schedule.Start(vel::SeriesStartSettings::Of(m_settings));
  m_drivesAtStart = vel::TakeDriveSnapshot();
  if (m_settings.CopyFile != 0) {
    // Unlike the window's chooser, a command line may name a new folder.
    std::error_code ignored;
    std::filesystem::create_directories(m_settings.DestFileDir, ignored);
  }
  OpenLog();
  m_log.Write(vel::CurrentLocalTime(),
              vel::SeriesStartLogText(vel::SeriesStartSettings::Of(m_settings), ShotSettings()));
  TakeShot();
  // The grid of the later shots is anchored at the end of the first one.
  if (m_signals.Count() == 0 && m_schedule.FinishFirstShot(m_clock.NowMs())) {
    while (m_signals.Count() == 0 && !m_schedule.Complete(Infinity()) && AwaitNextShot() &&
           m_schedule.OnTick(m_clock.NowMs(), Infinity()) == vel::SeriesSchedule::Tick::Shoot)
      TakeShot();
  }
  if (m_signals.Count() != 0)
    m_schedule.Cancel();
  m_log.Write(vel::CurrentLocalTime(),
              vel::SeriesEndLogText(m_schedule.Taken(), m_schedule.FailedCopies(),
                                    m_schedule.Cancelled(), m_schedule.FailedShots()));
  m_log.Close();
  Summarize();
  return Failures() != 0 || m_clock.Aborted() ? kExitFailed : kExitOk;
}

void Series::TakeShot() {
  const vel::LocalTime startTime = vel::CurrentLocalTime();
  const std::uint32_t shot = m_schedule.BeginShot();
  const vel::ShotSettings settings = ShotSettings();
  const std::uint32_t count = settings.infinity ? 0 : m_schedule.Count();
  m_progress.SetSeries(shot, count, Failures());
  vel::ShotRecord record{shot, count};
  ShotRunner runner(*this, record);
  // A line lost at an earlier shot gets one attempt to come back.
  vel::Result done = m_port.Reopen();
  if (done)
    done = vel::RunShotPlan(vel::BuildShotPlan(settings, {shot, m_schedule.Count(), startTime}),
                            runner);
  if (!done) {
    m_schedule.ShotFailed();
    record.shotFailure = done.Text();
    m_failures.push_back("Shot " + std::to_string(shot) + " failed: " + done.Text());
  }
  if (m_clock.Aborted())
    LeaveCameraSafe();
  m_log.Write(startTime, vel::ShotLogText(record));
  m_progress.SetSeries(shot, count, Failures());
  m_progress.ShotDone(startTime, record);
}

bool Series::AwaitNextShot() {
  for (;;) {
    const std::int64_t left = m_schedule.DelayMs(m_clock.NowMs());
    m_progress.ShowWait(left);
    if (left <= 0)
      return true;
    // On a terminal the countdown changes every second.
    const std::int64_t step = m_progress.OnTerminal() ? (left - 1) % 1000 + 1 : left;
    if (m_signals.Wait(step, 1))
      return false;
  }
}

// After a shot cut short: the held keys are let go and the camera goes back
// to REC mode, so that it is left as the series found it.
void Series::LeaveCameraSafe() {
  for (std::uint8_t press : m_heldKeys)
    (void)vel::SendCommandByte(m_port, static_cast<std::uint8_t>(press + vel::kReleaseOffset));
  m_heldKeys.clear();
  if (m_usbMode)
    vel::SwitchUsbRec(m_port, vel::SteadyClock(), ShotSettings().usbSwitch);
  m_usbMode = false;
}

vel::CopyOutcome Series::CopyPicture(const vel::TransferSettings& transfer, std::uint32_t waitMs) {
  std::unique_ptr<CardMount> mount;
  vel::CopyOutcome copied;
  vel::Result& result = copied.result;
  const std::int64_t start = m_clock.NowMs();
  if (!m_cardDevice.empty()) {
    mount = std::make_unique<CardMount>(m_cardDevice);
    result = mount->Mount(m_clock, waitMs);
  }
  if (result) {
    const std::int64_t left = std::max<std::int64_t>(0, start + waitMs - m_clock.NowMs());
    copied = m_transfer.CopyNewestPicture(m_drivesAtStart, transfer, m_clock,
                                          static_cast<std::uint32_t>(left));
  }
  if (mount)
    if (vel::Result unmounted = mount->Unmount(); !unmounted && result)
      result = std::move(unmounted);
  if (!result.Detail().empty())
    std::cerr << result.Detail() << std::flush;
  if (!result) {
    m_schedule.CopyFailed(result.Text());
    m_failures.push_back("Copy of shot " + std::to_string(m_schedule.Taken()) +
                         " failed: " + result.Text());
  }
  return copied;
}

std::string Series::RunProgram(const std::string& program, const std::vector<std::string>& words) {
  // Before the first shot has ended the grid is not laid yet: a whole
  // interval lies ahead.
  const std::int64_t untilNext =
      m_schedule.TimerRunning() ? m_schedule.DelayMs(m_clock.NowMs()) : m_schedule.IntervalMs();
  const vel::CommandLimits limits{vel::CommandLimitMs(untilNext),
                                  [this] { return m_signals.Count() != 0; }};
  const vel::Result run = vel::RunExternalCommand(program, words, m_clock, limits);
  if (!run) {
    std::cerr << run.Text() << std::endl;
    return run.Text();
  }
  return "exited with status 0";
}

void Series::OpenLog() {
  if (vel::Result opened = m_log.Open(vel::SeriesLogFolder("velorantica"), vel::CurrentLocalTime());
      !opened) {
    std::cerr << kProgramName << ": " << opened.Text() << std::endl;
    return;
  }
  std::printf("Series log: %s\n", m_log.Path().c_str());
  std::fflush(stdout);
}

void Series::Summarize() {
  m_progress.Break();
  std::printf("%s\n", vel::IdleText(m_schedule.Taken(), m_schedule.Cancelled(),
                                    m_schedule.FailedCopies(), m_schedule.FailedShots())
                          .c_str());
  for (const std::string& failure : m_failures) std::printf("%s\n", failure.c_str());
  if (m_clock.Aborted())
    std::printf("%s Keys let go, camera in REC mode.\n", kAbortedText);
  if (!m_log.Path().empty())
    std::printf("Log: %s\n", m_log.Path().c_str());
  std::fflush(stdout);
}

}  // namespace

std::string SeriesRefusal(const vel::Settings& settings) {
  if (vel::IntervalMs(settings.Hour, settings.Minute, settings.Second) == 0 && settings.Bulb == 0)
    return "an interval of 0 runs the shots back to back, which only a bulb series may do: "
           "give --interval (or --bulb)";
  if (settings.Count < 1 && settings.Infinity == 0)
    return "the series has no shots: give --count N (or --endless)";
  return {};
}

int RunSeries(const vel::Settings& settings, const std::string& cardDevice, vel::CComPort& port,
              EndSignals& signals) {
  return Series(settings, cardDevice, port, signals).Run();
}

}  // namespace cli
