// The series of the Time Lapse page: Start, the ticks of the series timer and
// Cancel drive the core's series; the page shows what it tells.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <iostream>
#include <limits>

#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "gui/framework/desktop.h"
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

}  // namespace

CTimeLapse::~CTimeLapse() = default;

void CTimeLapse::OnStart() {
  if (Series().Shooting())
    return;
  UpdateData(true);
  m_pStatusText = Item<QLabel>(vel::kStatusTextLine);
  m_pStatusTime = Item<QLabel>(vel::kStatusTimeLine);
  m_pStartButton->setEnabled(false);
  m_pCancelButton->setEnabled(true);
  StopSeriesTimer();
  m_failures.clear();
  m_warning.clear();
  ShowCopyFailures();
  if (Series().Begin()) {
    m_nTimerId = kSeriesTimerId;
    ArmSeriesTimer();
  } else if (!vel::SeriesStartSettings::Of(theSettings).HasPace()) {
    ShowProgress(vel::kNoPaceText, vel::kNoPaceText);
    return;
  }
  UpdateProgress();
}

void CTimeLapse::OnTimer(unsigned id) {
  if (id != m_nTimerId)
    return;
  Series().OnTick();
  if (Series().Shooting())
    return;  // the shot under way arms the timer when it ends
  ArmSeriesTimer();
  UpdateProgress();
}

void CTimeLapse::OnCancelSeries() {
  StopSeriesTimer();
  Series().Cancel();
  UpdateProgress();
}

vel::SeriesRun& CTimeLapse::Series() {
  if (!m_series) {
    // Made at the first use, once the sheet has its port.
    vel::SeriesView& view = *this;
    m_series = std::make_unique<vel::SeriesRun>(theSettings, CameraPort(), fw::TheUiClock(), view);
    m_series->SetProgramClock(fw::TheInputClock());
    m_series->SetVolumeSources(m_volumeSources);
    if (!m_logFolder.empty())
      m_series->SetLogFolder(m_logFolder);
  }
  return *m_series;
}

void CTimeLapse::SetVolumeSources(vel::VolumeSources sources) {
  m_volumeSources = std::move(sources);
  if (m_series)
    m_series->SetVolumeSources(m_volumeSources);
}

void CTimeLapse::SetLogFolder(std::string folder) {
  m_logFolder = std::move(folder);
  if (m_series)
    m_series->SetLogFolder(m_logFolder);
}

bool CTimeLapse::SeriesRunning() const {
  return m_series && m_series->Running();
}

void CTimeLapse::EndSeries() {
  if (SeriesRunning())
    OnCancelSeries();
}

std::string CTimeLapse::SeriesProgressText() const {
  return m_series ? m_series->ProgressText() : std::string();
}

bool CTimeLapse::SeriesTimerRunning() const {
  return m_series && m_series->Schedule().TimerRunning();
}

std::string CTimeLapse::LogPath() const {
  return m_series ? m_series->LogPath() : std::string();
}

void CTimeLapse::ShowStatus(const std::string& text) {
  SetStatus(text);
}

void CTimeLapse::ShowIdle(const std::string& idleText) {
  SetStatus(idleText);
  if (m_pStartButton)
    m_pStartButton->setEnabled(true);
  if (m_pCancelButton)
    m_pCancelButton->setEnabled(false);
  UpdateProgress();
}

void CTimeLapse::ShotBegins() {
  m_shotHold = std::make_unique<ShotHold>(
      window(), [this](QObject* receiver, QEvent* event) { return EndsTheShot(receiver, event); });
}

void CTimeLapse::ShotEnded(const vel::ShotRecord&) {
  m_shotHold.reset();
  ArmSeriesTimer();
}

void CTimeLapse::ShowCopyFailure(const vel::Result& failure) {
  if (!failure.Detail().empty())
    std::cerr << failure.Detail() << std::flush;
  m_failures =
      QString::fromStdString(vel::FailedCopiesText(Series().Schedule().FailedCopies()) + ": ") +
      QString::fromStdString(failure.Text()).simplified();
  ShowCopyFailures();
  fw::CloseForeignDialog();
  // An unattended series must not pile up boxes: the last one goes first.
  fw::CloseMessageBox(m_copyErrorBox);
  m_copyErrorBox =
      fw::ShowMessageBoxModeless(Sheet(), failure.Text(), fw::AppName(), fw::BoxIcon::Error);
}

void CTimeLapse::ShowStoredPicture(const vel::CopyOutcome& copied) {
  ShowLastPicture(copied.destination, copied.storedName);
}

void CTimeLapse::ShowWarning(const std::string& text) {
  std::cerr << "velorantica: " << text << std::endl;
  m_warning = QString::fromStdString(text);
  ShowCopyFailures();
}

void CTimeLapse::Note(const std::string& text) {
  std::cerr << text << std::endl;
}

bool CTimeLapse::EndsTheShot(QObject* receiver, QEvent* event) const {
  const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
  if (key && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    return true;
  const QWidget* exit = Sheet() ? Sheet()->CancelButton() : nullptr;
  return receiver == m_pCancelButton || (exit && receiver == exit);
}

void CTimeLapse::ShowLogPath(const std::string& logPath) {
  const QString path = QString::fromStdString(logPath);
  Item(vel::kSeriesLogLink).SetText(FitToLine(GetDlgItem(vel::kSeriesLogLink), path).toStdString());
  m_logLink.SetLinkTarget(fw::FileAddress(logPath));
  m_logLink.FitToText();
  for (int id : {vel::kSeriesLogLabel, vel::kSeriesLogLink}) GetDlgItem(id)->show();
}

// The failures line: the copies that failed and why, and a warning that does
// not stop the series (its log cannot be written).
void CTimeLapse::ShowCopyFailures() {
  auto* line = Item<QLabel>(vel::kCopyFailuresLine);
  if (!line)
    return;
  QString text = m_failures;
  if (!m_warning.isEmpty())
    text += (text.isEmpty() ? QString() : QStringLiteral(" - ")) + m_warning;
  line->setText(text);
  line->setToolTip(text);
}

void CTimeLapse::ArmSeriesTimer() {
  // After the last shot the timer runs on to its next tick, which shows
  // Idle once more and stops it.
  if (!m_series || !m_series->Schedule().TimerRunning()) {
    StopSeriesTimer();
    return;
  }
  const std::int64_t delay = Series().NextDueMs() - fw::TheUiClock().NowMs();
  m_seriesTimer.start(static_cast<int>(std::clamp<std::int64_t>(delay, 0, kLongestTimerMs)));
}

void CTimeLapse::StopSeriesTimer() {
  m_seriesTimer.stop();
}

void CTimeLapse::OnSeriesTimerFired() {
  if (Series().NextDueMs() <= fw::TheUiClock().NowMs())
    OnTimer(kSeriesTimerId);
  else
    ArmSeriesTimer();
}
