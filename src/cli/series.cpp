#include "cli/series.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#ifndef _WIN32
#include "cli/card_mount.h"
#endif
#include "cli/options.h"
#include "cli/progress.h"
#include "cli/shot_clock.h"
#include "core/platform/end_signals.h"
#include "core/platform/files.h"
#include "core/platform/user_dirs.h"
#include "core/status/status_server.h"
#include "core/timelapse/series_plan.h"
#include "core/timelapse/series_run.h"
#include "core/timelapse/series_state.h"
#include "core/timelapse/status_text.h"

namespace cli {
namespace {

constexpr std::int64_t kPageRefreshMs = 1000;

// What the series shows on a terminal or a pipe, and the card device it
// mounts around each copy when it was given one.
class TerminalView final : public vel::SeriesView {
 public:
  TerminalView(const std::string& cardDevice, vel::EndSignals& signals)
      : m_cardDevice(cardDevice), m_signals(signals), m_progress(stdout) {}

  void Attach(const vel::SeriesRun& run) { m_run = &run; }
  Progress& Lines() { return m_progress; }
  const std::vector<std::string>& Failures() const { return m_failures; }

  void ShowStatus(const std::string& text) override { m_progress.ShowStatus(text); }
  void ShowLogPath(const std::string& path) override {
    std::printf("Series log: %s\n", path.c_str());
    std::fflush(stdout);
  }
  void ShotBegins() override {
    const vel::SeriesSchedule& schedule = m_run->Schedule();
    m_progress.SetSeries(schedule.Taken() + 1, Count(), FailureCount());
  }
  void ShotEnded(const vel::ShotRecord& record) override {
    if (record.shotFailure)
      m_failures.push_back("Shot " + std::to_string(record.shot) +
                           " failed: " + *record.shotFailure);
    if (record.copyFailure)
      m_failures.push_back("Copy of shot " + std::to_string(record.shot) +
                           " failed: " + *record.copyFailure);
    m_progress.SetSeries(record.shot, Count(), FailureCount());
    m_progress.ShotDone(record.startTime, record);
  }
  void ShowCopyFailure(const vel::Result& failure) override { Note(failure.Detail()); }
  void ShowWarning(const std::string& text) override {
    Note(std::string(kProgramName) + ": " + text + "\n");
    m_failures.push_back(text);
  }
  void Note(const std::string& text) override {
    if (text.empty())
      return;
    m_progress.Break();
    std::fprintf(stderr, "%s%s", text.c_str(), text.back() == '\n' ? "" : "\n");
  }
  vel::StopRequest Stop() override {
    const int signals = m_signals.Count();
    return signals >= 2   ? vel::StopRequest::AtOnce
           : signals == 1 ? vel::StopRequest::AfterShot
                          : vel::StopRequest::None;
  }
#ifndef _WIN32
  vel::Result BeforeCopy(vel::Clock& clock, std::uint32_t waitMs) override {
    if (m_cardDevice.empty())
      return vel::Result::Success();
    m_mount = std::make_unique<CardMount>(m_cardDevice);
    return m_mount->Mount(clock, waitMs);
  }
  vel::Result AfterCopy(vel::Clock& clock) override {
    vel::Result unmounted = m_mount ? m_mount->Unmount(clock) : vel::Result::Success();
    if (unmounted)
      m_mount.reset();
    return unmounted;
  }
#endif

 private:
  std::uint32_t Count() const {
    return m_run->ProgressText().find(" of ") == std::string::npos ? 0 : m_run->Schedule().Count();
  }
  std::uint32_t FailureCount() const {
    return m_run->Schedule().FailedShots() + m_run->Schedule().FailedCopies();
  }

  const std::string& m_cardDevice;
  vel::EndSignals& m_signals;
  Progress m_progress;
  const vel::SeriesRun* m_run = nullptr;
#ifndef _WIN32
  // Windows gives the camera's drive its letter itself.
  std::unique_ptr<CardMount> m_mount;
#endif
  std::vector<std::string> m_failures;  // for the summary
};

// Waits for the next shot, counting down on a terminal and keeping the
// status page's state fresh (a schedule's window opens and closes between
// shots); false when an end signal came first.
bool AwaitNextShot(vel::SeriesRun& run, ShotClock& clock, vel::EndSignals& signals,
                   Progress& progress, vel::StatusServer* page) {
  for (;;) {
    const std::int64_t now = clock.NowMs(), left = run.NextDueMs() - now;
    progress.ShowWait(run.Progress(), now, run.ScheduleText());
    if (left <= 0)
      return true;
    if (page)
      page->Publish(run.Status());
    // On a terminal the countdown changes every second; the page's state
    // is taken anew every few seconds.
    std::int64_t step = progress.OnTerminal() ? (left - 1) % 1000 + 1 : left;
    if (page)
      step = std::min<std::int64_t>(step, kPageRefreshMs);
    if (signals.Wait(step, 1))
      return false;
  }
}

// Starts the status page at address, with the series' state from now on,
// and prints where to open it; false after telling why it cannot.
bool ServePage(vel::StatusServer& page, const std::string& address, vel::SeriesRun& run) {
  page.Publish(run.Status());
  if (const vel::Result started = page.Start(address); !started) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, started.Text().c_str());
    return false;
  }
  for (const std::string& url : page.Urls()) std::printf("Status page: %s\n", url.c_str());
  std::fflush(stdout);
  run.SetStatusListener([&page](const vel::SeriesStatus& status) { page.Publish(status); });
  return true;
}

void Summarize(const vel::SeriesRun& run, TerminalView& view) {
  view.Lines().Break();
  const vel::SeriesSchedule& schedule = run.Schedule();
  std::printf("%s\n", vel::IdleText(schedule.Taken(), schedule.Cancelled(), schedule.FailedCopies(),
                                    schedule.FailedShots())
                          .c_str());
  std::fflush(stdout);
  for (const std::string& failure : view.Failures())
    std::fprintf(stderr, "%s\n", vel::OneLine(failure).c_str());
  if (run.Aborted())
    std::printf("Ended at once by a second signal. Keys let go, camera in REC mode.\n");
  if (run.LeftInUsbMode())
    std::printf("The camera is left in USB mode: switch it back to REC mode by hand.\n");
  if (!run.LogPath().empty())
    std::printf("Log: %s\n", run.LogPath().c_str());
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

void PrintPlan(const vel::Settings& settings) {
  for (const std::string& line :
       vel::PlanSeries(settings, vel::SteadyClock().WallMs(), vel::ShotMeasure{}).Lines())
    std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

vel::ResultOf<std::optional<vel::SeriesState>> SeriesToResume(const std::string& statePath) {
  std::string path = statePath;
  if (path.empty()) {
    const std::optional<std::string> last =
        vel::LastRunningSeriesState(vel::SeriesLogFolder(std::string(vel::kSeriesLogProgram)));
    if (!last)
      return std::optional<vel::SeriesState>();
    path = *last;
  }
  vel::ResultOf<vel::SeriesState> state = vel::ReadSeriesState(path);
  if (!state)
    return vel::Result::Failure("cannot read the series' state " + path + ": " + state.Text());
  if (!state->running)
    return std::optional<vel::SeriesState>();
  return std::optional(std::move(state).Value());
}

int RunSeries(const vel::Settings& settings, const std::string& cardDevice,
              const std::string& serve, vel::CComPort& port, vel::EndSignals& signals,
              const vel::SeriesState* resumed) {
  if (settings.CopyFile != 0) {
    // Unlike the window's chooser, a command line may name a new folder.
    (void)vel::CreateFolders(settings.DestFileDir);
  }
  // Made before the series and gone after it, which tells it its state.
  std::unique_ptr<vel::StatusServer> page;
  ShotClock clock(signals);
  TerminalView view(cardDevice, signals);
  vel::SeriesRun run(settings, port, clock, view);
  view.Attach(run);
  if (!serve.empty()) {
    page = std::make_unique<vel::StatusServer>();
    if (!ServePage(*page, serve, run))
      return kExitFailed;
  }
  bool more = resumed ? run.Resume(*resumed) : run.Begin();
  while (more && signals.Count() == 0 && run.Running() &&
         AwaitNextShot(run, clock, signals, view.Lines(), page.get()))
    run.OnTick();
  if (run.Running())
    run.Cancel();
  Summarize(run, view);
  // A series that ended by itself stays on the page until the program is
  // ended; one ended by a signal ends the program too.
  if (page && signals.Count() == 0) {
    std::printf("The status page stays up until Ctrl+C (SIGINT) or SIGTERM.\n");
    std::fflush(stdout);
    while (!signals.Wait(60'000, 1)) {
    }
  }
  const vel::SeriesSchedule& schedule = run.Schedule();
  const bool failed =
      schedule.FailedShots() + schedule.FailedCopies() != 0 || run.Aborted() || run.LeftInUsbMode();
  return failed ? kExitFailed : kExitOk;
}

}  // namespace cli
