// The Time Lapse page's controls: their data exchange with the settings, the
// enable rules of the three check boxes, and the status lines. The series
// itself is in time_lapse_series.cpp.

#include "gui/timelapse/time_lapse_page.h"

#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/desktop.h"
#include "gui/framework/program_state.h"
#include "gui/timelapse/schedule_dialog.h"

namespace {

// Each check box governs one edit and its arrows: Infinity disables the
// count, Focus and Bulb enable their seconds.
struct EnableRule {
  int checkId;
  int editId;
  int upDownId;
  int* setting;
  bool enabledWhenSet;
};

const EnableRule kEnableRules[] = {
    {vel::kInfinityCheck, vel::kCountEdit, vel::kCountUpDown, &Infinity, false},
    {vel::kBulbCheck, vel::kBulbSecondsEdit, vel::kBulbSecondsUpDown, &Bulb, true},
    {vel::kFocusCheck, vel::kFocusSecondsEdit, vel::kFocusSecondsUpDown, &Focus, true},
};

const EnableRule& RuleOf(int checkId) {
  for (const EnableRule& rule : kEnableRules)
    if (rule.checkId == checkId)
      return rule;
  return kEnableRules[0];
}

bool RuleEnables(const EnableRule& rule) {
  return (*rule.setting != 0) == rule.enabledWhenSet;
}

fw::TimeOfDay TimeOfDay(int hour, int minute, int second) {
  // Values out of range carry over into the next unit, as a calendar time
  // would; only the time of day is kept.
  constexpr long long kDay = 24 * 60 * 60;
  const long long total = (static_cast<long long>(hour) * 60 + minute) * 60 + second;
  const int seconds = static_cast<int>((total % kDay + kDay) % kDay);
  return {seconds / 3600, seconds / 60 % 60, seconds % 60};
}

bool OpenWithDesktop(const std::string& path) {
  return fw::OpenAddress(fw::FileAddress(path)).Ok();
}

}  // namespace

CTimeLapse::CTimeLapse()
    : fw::CPropertyPage(vel::TimeLapseTemplate()), m_pictureOpener(OpenWithDesktop) {
  MapClick(vel::kStartButton, &CTimeLapse::OnStart);
  MapClick(vel::kCancelButton, &CTimeLapse::OnCancelSeries);
  MapClick(vel::kInfinityCheck, &CTimeLapse::OnInfinity);
  MapClick(vel::kBulbCheck, &CTimeLapse::OnBulb);
  MapClick(vel::kFocusCheck, &CTimeLapse::OnFocus);
  MapClick(vel::kLastPictureView, &CTimeLapse::OnLastPicture);
  MapClick(vel::kScheduleButton, &CTimeLapse::OnSchedule);
  MapClick(vel::kMakeFilmButton, &CTimeLapse::OnMakeFilm);
}

bool CTimeLapse::OnInitDialog() {
  fw::CPropertyPage::OnInitDialog();
  m_timeInterval = TimeOfDay(Hour, Minute, Second);
  Item(vel::kStartButton).Enable(true);
  Item(vel::kCancelButton).Enable(false);
  for (int upDown : {vel::kCountUpDown, vel::kBulbSecondsUpDown, vel::kFocusSecondsUpDown})
    Item(upDown).SetRange(kUpDownLower, kUpDownUpper);
  // The log's place shows once a series has a log, the last picture's once
  // one was stored.
  for (int id : {vel::kSeriesLogLabel, vel::kSeriesLogLink, vel::kLastPictureView,
                 vel::kLastPictureLine, vel::kStatusPageLabel, vel::kStatusPageLine})
    Item(id).Show(false);
  Item(vel::kSeriesLogLink).SetAccessibleName("Series log");
  UpdateData(false);
  ServeStatusPage();
  ShowPlan();
  UpdateFilmButton();
  return true;
}

bool CTimeLapse::OnSetActive() {
  const bool active = fw::CPropertyPage::OnSetActive();
  if (!SeriesRunning())
    ShowPlan();
  return active;
}

void CTimeLapse::ResumeSeries(const vel::SeriesState& state) {
  if (SeriesRunning())
    return;
  // The page shows the series' settings, its interval too.
  m_timeInterval = TimeOfDay(Hour, Minute, Second);
  UpdateData(false);
  Launch(&state);
}

void CTimeLapse::OnSchedule() {
  ScheduleDialog dialog(this);
  if (dialog.DoModal() == vel::kScheduleOk && !SeriesRunning())
    ShowPlan();
}

void CTimeLapse::DoDataExchange(fw::DataExchange& dx) {
  fw::CPropertyPage::DoDataExchange(dx);
  DDX_Control(dx, vel::kSeriesLogLink, m_logLink);
  fw::DDX_Check(dx, vel::kInfinityCheck, Infinity);
  ExchangeInterval(dx);
  fw::DDX_TextUnsigned(dx, vel::kCountEdit, Count);
  fw::DDX_Check(dx, vel::kBulbCheck, Bulb);
  fw::DDX_TextUnsigned(dx, vel::kBulbSecondsEdit, BulbSeconds);
  fw::DDX_Check(dx, vel::kFocusCheck, Focus);
  fw::DDX_TextUnsigned(dx, vel::kFocusSecondsEdit, FocusSeconds);
  if (dx.m_saveAndValidate) {
    Hour = m_timeInterval.hour;
    Minute = m_timeInterval.minute;
    Second = m_timeInterval.second;
  } else {
    ApplyEnableRules();
  }
}

void CTimeLapse::ExchangeInterval(fw::DataExchange& dx) {
  int hour = m_timeInterval.hour;
  int minute = m_timeInterval.minute;
  int second = m_timeInterval.second;
  fw::DDX_Time(dx, vel::kIntervalPicker, hour, minute, second);
  if (dx.m_saveAndValidate)
    m_timeInterval = TimeOfDay(hour, minute, second);
}

void CTimeLapse::EnablePair(int editId, int upDownId, bool enable) {
  Item(editId).Enable(enable);
  Item(upDownId).Enable(enable);
}

void CTimeLapse::ApplyEnableRules() {
  for (const EnableRule& rule : kEnableRules)
    EnablePair(rule.editId, rule.upDownId, RuleEnables(rule));
}

void CTimeLapse::OnInfinity() {
  StoreAndEnable(vel::kInfinityCheck);
}

void CTimeLapse::OnBulb() {
  StoreAndEnable(vel::kBulbCheck);
}

void CTimeLapse::OnFocus() {
  StoreAndEnable(vel::kFocusCheck);
}

void CTimeLapse::StoreAndEnable(int checkId) {
  // The whole page goes into the settings, where a running series picks the
  // values up at its next shot; a field that cannot be read has said so.
  UpdateData(true);
  const EnableRule& rule = RuleOf(checkId);
  EnablePair(rule.editId, rule.upDownId, RuleEnables(rule));
  if (!SeriesRunning())
    ShowPlan();
}

void CTimeLapse::SetStatus(std::string text) {
  fw::Control line = Item(vel::kStatusTextLine);
  fw::Control written = Item(vel::kStatusTimeLine);
  if (!line.Exists() || !written.Exists())
    return;
  const std::string time = vel::StatusTimeText(vel::CurrentLocalTime());
  line.SetText(text);
  written.SetText(time);
  // A shot holds the thread between its waits; the lines must not wait for
  // the next pass of the event loop to show.
  line.Redraw();
  written.Redraw();
  if (m_statusObserver)
    m_statusObserver(text, time);
}
