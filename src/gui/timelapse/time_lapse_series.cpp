// The series of the Time Lapse page: Start, the ticks of the series timer,
// Cancel, and the shots, each one the core's plan run on this page.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <iostream>
#include <limits>

#include "core/timelapse/external_command.h"
#include "core/timelapse/shot_plan.h"
#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "gui/framework/dialog_stack.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"
#include "gui/framework/ui_clock.h"
#include "gui/timelapse/input_hold.h"
#include "gui/timelapse/time_lapse_page.h"

namespace {

// A QTimer takes at most this many milliseconds; a longer wait for the next
// tick goes in parts.
constexpr std::int64_t kLongestTimerMs = std::numeric_limits<int>::max();

std::int64_t NowMs() {
  return fw::TheUiClock().NowMs();
}

}  // namespace

// The steps of a shot as this page runs them: bytes through the serial port,
// waits that keep the window alive, texts in the status lines.
class CTimeLapse::ShotRunner final : public vel::PortExecutor {
 public:
  explicit ShotRunner(CTimeLapse& page)
      : PortExecutor(CameraPort(), fw::TheUiClock()), m_page(page) {}

  void ShowStatus(const std::string& text) override { m_page.SetStatus(text); }
  vel::Result CopyPicture(const vel::TransferSettings& settings) override {
    return m_page.CopyNewestPicture(settings);
  }
  std::string LastFileName() override { return m_page.m_transfer.LastName(); }
  void RunCommand(const std::string& program, const std::vector<std::string>& words) override {
    m_page.RunExternalProgram(program, words);
  }

 private:
  CTimeLapse& m_page;
};

// For as long as a shot runs: it is marked as running, the wait cursor shows,
// and the user's input to the window waits until the shot is over.
class CTimeLapse::ShotScope {
 public:
  explicit ShotScope(CTimeLapse& page) : m_page(page), m_hold(page.window()) {
    m_page.m_shooting = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~ShotScope() {
    QApplication::restoreOverrideCursor();
    m_page.m_shooting = false;
  }
  ShotScope(const ShotScope&) = delete;
  ShotScope& operator=(const ShotScope&) = delete;

 private:
  CTimeLapse& m_page;
  InputHold m_hold;
};

void CTimeLapse::OnStart() {
  if (m_shooting)
    return;
  UpdateData(true);
  m_pStatusText = Item<QLabel>(vel::kStatusTextLine);
  m_pStatusTime = Item<QLabel>(vel::kStatusTimeLine);
  m_pStartButton->setEnabled(false);
  m_pCancelButton->setEnabled(true);
  StopSeriesTimer();
  const bool shootNow = m_schedule.Start(vel::SeriesStartSettings::Of(theSettings));
  SyncSeries();
  m_drivesAtStart = vel::TakeDriveSnapshot(m_volumeSources);
  if (!shootNow) {
    ShowIdle();
    return;
  }
  TakeShot();
  // The grid of the later shots is anchored at the end of the first one.
  if (!m_bCancelled && m_schedule.FinishFirstShot(NowMs())) {
    m_nTimerId = kSeriesTimerId;
    ArmSeriesTimer();
  } else {
    ShowIdle();
  }
}

void CTimeLapse::OnTimer(unsigned id) {
  if (id != m_nTimerId)
    return;
  if (m_shooting) {
    // Handled once the shot has ended; a tick of no running series is stale.
    m_tickPending = m_schedule.TimerRunning();
    return;
  }
  switch (m_schedule.OnTick(NowMs(), Infinity != 0)) {
    case vel::SeriesSchedule::Tick::Shoot:
      TakeShot();
      break;
    case vel::SeriesSchedule::Tick::Finish:
      SyncSeries();
      ShowIdle();
      break;
    case vel::SeriesSchedule::Tick::Ignore:
      break;
  }
  ArmSeriesTimer();
}

void CTimeLapse::OnCancelSeries() {
  m_schedule.Cancel();
  SyncSeries();
  StopSeriesTimer();
  ShowIdle();
}

void CTimeLapse::TakeShot() {
  if (m_shooting)
    return;
  {
    ShotScope scope(*this);
    const vel::LocalTime startTime = vel::CurrentLocalTime();
    const std::uint32_t shot = m_schedule.BeginShot();
    SyncSeries();
    ShotRunner runner(*this);
    const vel::ShotSettings settings = vel::ShotSettings::Of(theSettings, SendSwitchRelease);
    vel::RunShotPlan(vel::BuildShotPlan(settings, {shot, m_nCount, startTime}), runner);
  }
  // Infinity is read afresh: a series made finite while it ran ends here.
  if (m_bCancelled || m_schedule.Complete(Infinity != 0))
    ShowIdle();
}

vel::Result CTimeLapse::CopyNewestPicture(const vel::TransferSettings& settings) {
  vel::Result result = m_transfer.CopyNewestPicture(m_drivesAtStart, settings, m_volumeSources);
  if (!result.Detail().empty())
    std::cerr << result.Detail() << std::flush;
  if (!result)
    ShowCopyError(result.Text());
  return result;
}

void CTimeLapse::ShowCopyError(const std::string& message) {
  fw::CloseForeignDialog();
  // An unattended series must not pile up boxes: the last one goes first.
  if (m_copyErrorBox)
    m_copyErrorBox->close();
  m_copyErrorBox = fw::ShowMessageBoxModeless(window(), QString::fromStdString(message),
                                              fw::AppName(), fw::BoxIcon::Error);
}

void CTimeLapse::RunExternalProgram(const std::string& program,
                                    const std::vector<std::string>& words) {
  if (vel::Result run = vel::RunExternalCommand(program, words, fw::TheUiClock()); !run)
    std::cerr << run.Text() << std::endl;
}

void CTimeLapse::SyncSeries() {
  m_nCount = m_schedule.Count();
  m_nTaken = m_schedule.Taken();
  m_nIntervalMs = m_schedule.IntervalMs();
  m_bCancelled = m_schedule.Cancelled();
}

void CTimeLapse::ArmSeriesTimer() {
  if (!m_schedule.TimerRunning()) {
    StopSeriesTimer();
    return;
  }
  const std::int64_t delay = m_tickPending ? 0 : m_schedule.DelayMs(NowMs());
  m_seriesTimer.start(static_cast<int>(std::clamp<std::int64_t>(delay, 0, kLongestTimerMs)));
}

void CTimeLapse::StopSeriesTimer() {
  m_seriesTimer.stop();
  m_tickPending = false;
}

void CTimeLapse::OnSeriesTimerFired() {
  const bool due = m_tickPending || m_schedule.DelayMs(NowMs()) <= 0;
  m_tickPending = false;
  if (due)
    OnTimer(kSeriesTimerId);
  else
    ArmSeriesTimer();
}
