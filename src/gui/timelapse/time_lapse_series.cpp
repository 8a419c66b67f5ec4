// The series of the Time Lapse page: Start, the ticks of the series timer,
// Cancel, and the shots, each one the core's plan run on this page.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <iostream>
#include <limits>

#include "core/platform/user_dirs.h"
#include "core/timelapse/external_command.h"
#include "core/timelapse/shot_plan.h"
#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "gui/framework/foreign_dialog.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_sheet.h"
#include "gui/framework/ui_clock.h"
#include "gui/timelapse/input_hold.h"
#include "gui/timelapse/time_lapse_page.h"
#include "gui/widgets/hyperlink.h"

namespace {

// A QTimer takes at most this many milliseconds; a longer wait for the next
// tick goes in parts.
constexpr std::int64_t kLongestTimerMs = std::numeric_limits<int>::max();

std::int64_t NowMs() {
  return fw::TheUiClock().NowMs();
}

}  // namespace

// The steps of a shot as this page runs them: bytes through the serial port,
// waits that keep the window alive, texts in the status lines; what the shot
// did goes into its record for the log.
class CTimeLapse::ShotRunner final : public vel::PortExecutor {
 public:
  ShotRunner(CTimeLapse& page, vel::ShotRecord& record)
      : PortExecutor(CameraPort(), fw::TheUiClock()), m_page(page), m_record(record) {}

  vel::Result WriteByte(std::uint8_t byte) override {
    vel::Result written = PortExecutor::WriteByte(byte);
    if (written)
      m_record.bytes.push_back(byte);
    return written;
  }
  void ShowStatus(const std::string& text) override { m_page.SetStatus(text); }
  vel::CopyOutcome CopyPicture(const vel::TransferSettings& settings,
                               std::uint32_t waitMs) override {
    vel::CopyOutcome copied = m_page.CopyNewestPicture(settings, waitMs);
    vel::NoteCopy(m_record, copied);
    if (copied.storedNew) {
      m_page.m_storedName = copied.storedName;
      m_page.ShowLastPicture(copied.destination, copied.storedName);
    }
    return copied;
  }
  void RunCommand(const std::string& program, const std::vector<std::string>& words) override {
    std::vector<std::string> all = words;
    all.push_back(m_page.m_storedName);
    m_record.commandOutcome = m_page.RunExternalProgram(program, all);
  }

 private:
  CTimeLapse& m_page;
  vel::ShotRecord& m_record;
};

// For as long as a shot runs: it is marked as running, the wait cursor shows,
// and the user's input to the window waits until the shot is over.
class CTimeLapse::ShotScope {
 public:
  explicit ShotScope(CTimeLapse& page)
      : m_page(page), m_hold(page.window(), [&page](QObject* receiver, QEvent* event) {
          return page.EndsTheShot(receiver, event);
        }) {
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
  CloseLog();
  m_stopCommand = false;
  const vel::SeriesStartSettings series = vel::SeriesStartSettings::Of(theSettings);
  const bool shootNow = m_schedule.Start(series);
  SyncSeries();
  ShowCopyFailures();
  UpdateProgress();
  m_drivesAtStart = vel::TakeDriveSnapshot(m_volumeSources);
  if (!shootNow) {
    ShowIdle();
    if (!series.HasPace())
      ShowProgress(vel::kNoPaceText, vel::kNoPaceText);
    return;
  }
  OpenLog();
  LogLine(vel::SeriesStartLogText(series, vel::ShotSettings::Of(theSettings, SendSwitchRelease)));
  TakeShot();
  // The grid of the later shots is anchored at the end of the first one.
  if (!m_bCancelled && m_schedule.FinishFirstShot(NowMs())) {
    m_nTimerId = kSeriesTimerId;
    ArmSeriesTimer();
    UpdateProgress();
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
  UpdateProgress();
}

void CTimeLapse::OnCancelSeries() {
  m_schedule.Cancel();
  SyncSeries();
  StopSeriesTimer();
  UpdateProgress();
  if (m_shooting) {
    // Only an external program can be running: it ends now, and the shot
    // shows Idle when it is over.
    m_stopCommand = true;
    return;
  }
  ShowIdle();
}

bool CTimeLapse::SeriesRunning() const {
  // After its last shot a series' timer runs on until its next tick only to
  // show Idle.
  return m_shooting || (m_schedule.TimerRunning() && !m_schedule.Complete(Infinity != 0));
}

void CTimeLapse::EndSeries() {
  if (SeriesRunning())
    OnCancelSeries();
}

QString CTimeLapse::SeriesProgressText() const {
  if (Infinity != 0)
    return QStringLiteral("picture %1 taken").arg(m_schedule.Taken());
  return QStringLiteral("picture %1 of %2 taken").arg(m_schedule.Taken()).arg(m_schedule.Count());
}

void CTimeLapse::TakeShot() {
  if (m_shooting)
    return;
  {
    ShotScope scope(*this);
    const vel::LocalTime startTime = vel::CurrentLocalTime();
    const std::uint32_t shot = m_schedule.BeginShot();
    SyncSeries();
    const vel::ShotSettings settings = vel::ShotSettings::Of(theSettings, SendSwitchRelease);
    vel::ShotRecord record{shot, settings.infinity ? 0 : m_nCount};
    ShotRunner runner(*this, record);
    // A line lost at an earlier shot gets one attempt to come back.
    vel::Result shotDone = ReopenCameraPort();
    if (shotDone)
      shotDone =
          vel::RunShotPlan(vel::BuildShotPlan(settings, {shot, m_nCount, startTime}), runner);
    if (!shotDone) {
      m_schedule.ShotFailed();
      record.shotFailure = shotDone.Text();
      SetStatus(vel::ShotFailedText(shot));
    }
    m_log.Write(startTime, vel::ShotLogText(record));  // stamped with the shot's start
  }
  // Infinity is read afresh: a series made finite while it ran ends here.
  if (m_bCancelled || m_schedule.Complete(Infinity != 0))
    ShowIdle();
}

vel::CopyOutcome CTimeLapse::CopyNewestPicture(const vel::TransferSettings& settings,
                                               std::uint32_t waitMs) {
  vel::CopyOutcome copied = m_transfer.CopyNewestPicture(m_drivesAtStart, settings,
                                                         fw::TheUiClock(), waitMs, m_volumeSources);
  const vel::Result& result = copied.result;
  if (!result.Detail().empty())
    std::cerr << result.Detail() << std::flush;
  if (!result) {
    m_schedule.CopyFailed(result.Text());
    ShowCopyFailures();
    ShowCopyError(result.Text());
  }
  return copied;
}

void CTimeLapse::ShowCopyError(const std::string& message) {
  fw::CloseForeignDialog();
  // An unattended series must not pile up boxes: the last one goes first.
  if (m_copyErrorBox)
    m_copyErrorBox->close();
  m_copyErrorBox = fw::ShowMessageBoxModeless(window(), QString::fromStdString(message),
                                              fw::AppName(), fw::BoxIcon::Error);
}

std::string CTimeLapse::RunExternalProgram(const std::string& program,
                                           const std::vector<std::string>& words) {
  const vel::CommandLimits limits{vel::CommandLimitMs(UntilNextShotMs()),
                                  [this] { return m_stopCommand; }};
  const vel::Result run = vel::RunExternalCommand(program, words, fw::TheInputClock(), limits);
  if (!run) {
    std::cerr << run.Text() << std::endl;
    return run.Text();
  }
  return "exited with status 0";
}

std::int64_t CTimeLapse::UntilNextShotMs() const {
  // Before the first shot has ended the grid is not laid yet: a whole
  // interval lies ahead.
  return m_schedule.TimerRunning() ? m_schedule.DelayMs(NowMs()) : m_schedule.IntervalMs();
}

bool CTimeLapse::EndsTheShot(QObject* receiver, QEvent* event) const {
  const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
  if (key && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    return true;
  const QWidget* exit = Sheet() ? Sheet()->CancelButton() : nullptr;
  return receiver == m_pCancelButton || (exit && receiver == exit);
}

void CTimeLapse::OpenLog() {
  const std::string folder =
      m_logFolder.empty() ? vel::SeriesLogFolder(fw::AppName().toStdString()) : m_logFolder;
  if (vel::Result opened = m_log.Open(folder, vel::CurrentLocalTime()); !opened) {
    std::cerr << "velorantica: " << opened.Text() << std::endl;
    return;
  }
  if (!m_logLink)
    return;
  const QString path = QString::fromStdString(m_log.Path());
  m_logLink->setText(FitToLine(m_logLink, path));
  m_logLink->SetLinkTarget(QUrl::fromLocalFile(path).toString());
  m_logLink->FitToText();
  for (int id : {vel::kSeriesLogLabel, vel::kSeriesLogLink}) GetDlgItem(id)->show();
}

void CTimeLapse::LogLine(const std::string& text) {
  m_log.Write(vel::CurrentLocalTime(), text);
}

void CTimeLapse::CloseLog() {
  if (!m_log.IsOpen())
    return;
  LogLine(vel::SeriesEndLogText(m_schedule.Taken(), m_schedule.FailedCopies(),
                                m_schedule.Cancelled(), m_schedule.FailedShots()));
  m_log.Close();
}

void CTimeLapse::ShowCopyFailures() {
  auto* line = Item<QLabel>(vel::kCopyFailuresLine);
  if (!line)
    return;
  QString text;
  if (m_schedule.FailedCopies() != 0) {
    text = QString::fromStdString(vel::FailedCopiesText(m_schedule.FailedCopies())) +
           QStringLiteral(": ") + QString::fromStdString(m_schedule.LastCopyFailure()).simplified();
  }
  line->setText(text);
  line->setToolTip(QString::fromStdString(m_schedule.LastCopyFailure()));
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
