// The series of the Time Lapse page: Start, the ticks of the series timer and
// Cancel drive the core's series; the page shows what it tells.

#include <algorithm>
#include <iostream>
#include <limits>

#include "core/camera/models.h"
#include "core/timelapse/series_log.h"
#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "gui/framework/desktop.h"
#include "gui/framework/foreign_dialog.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_sheet.h"
#include "gui/framework/ui_clock.h"
#include "gui/timelapse/time_lapse_page.h"

namespace {

// A window timer takes at most this many milliseconds; a longer wait for the
// next tick goes in parts.
constexpr std::int64_t kLongestTimerMs = std::numeric_limits<std::int32_t>::max();

}  // namespace

CTimeLapse::~CTimeLapse() = default;

void CTimeLapse::OnStart() {
  if (Series().Shooting())
    return;
  UpdateData(true);
  Launch(nullptr);
}

void CTimeLapse::Launch(const vel::SeriesState* resumed) {
  Item(vel::kStartButton).Enable(false);
  Item(vel::kCancelButton).Enable(true);
  Item(vel::kMakeFilmButton).Enable(false);
  KillTimer(kSeriesTimerId);
  m_failures.clear();
  m_warning.clear();
  ShowCopyFailures();
  HideLastPicture();
  if (resumed ? Series().Resume(*resumed) : Series().Begin()) {
    m_nTimerId = kSeriesTimerId;
    ArmSeriesTimer();
  } else if (!resumed && !vel::SeriesStartSettings::Of(theSettings).HasPace()) {
    ShowProgress(vel::kNoPaceText, vel::kNoPaceText);
    return;
  } else if (!SeriesRunning()) {
    // A schedule that cannot be read ends a resume before Idle is shown.
    Item(vel::kStartButton).Enable(true);
    Item(vel::kCancelButton).Enable(false);
  }
  UpdateProgress();
}

void CTimeLapse::OnTimer(unsigned id) {
  if (id == kProgressTimerId) {
    UpdateProgress();
    return;
  }
  if (id != m_nTimerId)
    return;
  // One tick per arming: the timer is armed again for the next one.
  KillTimer(id);
  if (m_partialWait && Series().NextDueMs() > fw::TheUiClock().NowMs()) {
    ArmSeriesTimer();  // a part of a wait longer than a timer takes
    return;
  }
  Series().OnTick();
  if (Series().Shooting())
    return;  // the shot under way arms the timer when it ends
  ArmSeriesTimer();
  UpdateProgress();
}

void CTimeLapse::OnCancelSeries() {
  KillTimer(kSeriesTimerId);
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
    if (m_statusPage)
      m_series->SetStatusListener(
          [page = m_statusPage.get()](const vel::SeriesStatus& status) { page->Publish(status); });
  }
  return *m_series;
}

void CTimeLapse::ServeStatusPage() {
  if (theSettings.StatusPageAddress.empty())
    return;
  m_statusPage = std::make_unique<vel::StatusServer>();
  vel::SeriesStatus idle;
  idle.model = std::string(vel::ModelName(theSettings.Model));
  m_statusPage->Publish(idle);
  std::string text, all;
  if (const vel::Result started = m_statusPage->Start(theSettings.StatusPageAddress); started) {
    const std::vector<std::string> urls = m_statusPage->Urls();
    for (const std::string& url : urls) all += (all.empty() ? "" : "\n") + url;
    text = urls.empty() ? all : urls.front();
  } else {
    m_statusPage.reset();
    std::cerr << "velorantica: " << started.Text() << std::endl;
    text = all = started.Text();
  }
  fw::Control line = Item(vel::kStatusPageLine);
  line.SetText(FitToLine(vel::kStatusPageLine, text));
  line.SetToolTip(all);
  for (int id : {vel::kStatusPageLabel, vel::kStatusPageLine}) Item(id).Show(true);
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
  UpdateFilmButton();
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
  Item(vel::kStartButton).Enable(true);
  Item(vel::kCancelButton).Enable(false);
  UpdateFilmButton();
  UpdateProgress();
}

// Cancel and Exit, clicked while a shot waits for its external program, end
// it at once; so does Esc.
void CTimeLapse::ShotBegins() {
  std::vector<fw::InputHold::Pass> passes = {{this, vel::kCancelButton}};
  if (Sheet())
    passes.push_back({Sheet(), fw::CPropertySheet::IDCANCEL});
  m_shotHold = std::make_unique<fw::InputHold>(*this, std::move(passes), true);
}

void CTimeLapse::ShotEnded(const vel::ShotRecord&) {
  m_shotHold.reset();
  ArmSeriesTimer();
}

void CTimeLapse::ShowCopyFailure(const vel::Result& failure) {
  if (!failure.Detail().empty())
    std::cerr << failure.Detail() << std::flush;
  m_failures = vel::FailedCopiesText(Series().Schedule().FailedCopies()) + ": " +
               vel::OneLine(failure.Text());
  ShowCopyFailures();
  fw::CloseForeignDialog();
  // An unattended series must not pile up boxes: the last one goes first.
  fw::CloseMessageBox(m_copyErrorBox);
  m_copyErrorBox =
      fw::ShowMessageBoxModeless(Sheet(), failure.Text(), fw::AppName(), fw::BoxIcon::Error);
}

void CTimeLapse::ShowStoredPicture(const vel::CopyOutcome& copied) {
  ShowLastPicture(copied);
}

void CTimeLapse::ShowWarning(const std::string& text) {
  std::cerr << "velorantica: " << text << std::endl;
  m_warning = text;
  ShowCopyFailures();
}

void CTimeLapse::Note(const std::string& text) {
  std::cerr << text << std::endl;
}

void CTimeLapse::ShowLogPath(const std::string& logPath) {
  Item(vel::kSeriesLogLink).SetText(FitToLine(vel::kSeriesLogLink, logPath));
  m_logLink.SetLinkTarget(fw::FileAddress(logPath));
  m_logLink.FitToText();
  for (int id : {vel::kSeriesLogLabel, vel::kSeriesLogLink}) Item(id).Show(true);
}

// The failures line: the copies that failed and why, and a warning that does
// not stop the series (its log cannot be written). A text too long for the
// line is cut in its middle, and shown whole in its tooltip.
void CTimeLapse::ShowCopyFailures() {
  fw::Control line = Item(vel::kCopyFailuresLine);
  std::string text = m_failures;
  if (!m_warning.empty())
    text += (text.empty() ? "" : " - ") + m_warning;
  line.SetText(FitToLine(vel::kCopyFailuresLine, text));
  line.SetToolTip(text);
}

void CTimeLapse::ArmSeriesTimer() {
  // After the last shot the timer runs on to its next tick, which shows
  // Idle once more and stops it.
  if (!m_series || !m_series->Schedule().TimerRunning()) {
    KillTimer(kSeriesTimerId);
    return;
  }
  const std::int64_t delay = Series().NextDueMs() - fw::TheUiClock().NowMs();
  m_partialWait = delay > kLongestTimerMs;
  SetTimer(kSeriesTimerId,
           static_cast<std::uint32_t>(std::clamp<std::int64_t>(delay, 0, kLongestTimerMs)));
}
