// The Time Lapse page's controls: their data exchange with the settings, the
// enable rules of the three check boxes, and the status lines. The series
// itself is in time_lapse_series.cpp.

#include "gui/timelapse/time_lapse_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/program_state.h"
#include "gui/framework/qt/up_down.h"
#include "gui/timelapse/picture_preview.h"
#include "gui/widgets/hyperlink.h"

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

// The up-down control with the given id, the first time it is asked for.
void AttachUpDown(CTimeLapse& page, fw::UpDown*& upDown, int id) {
  if (!upDown)
    upDown = page.Item<fw::UpDown>(id);
}

QTime TimeOfDay(int hour, int minute, int second) {
  // Values out of range carry over into the next unit, as a calendar time
  // would; only the time of day is kept.
  const long long seconds = (static_cast<long long>(hour) * 60 + minute) * 60 + second;
  return QTime(0, 0).addSecs(static_cast<int>(seconds % (24 * 60 * 60)));
}

}  // namespace

CTimeLapse::CTimeLapse() : fw::CPropertyPage(vel::TimeLapseTemplate()) {
  m_seriesTimer.setSingleShot(true);
  m_seriesTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_seriesTimer, &QTimer::timeout, this, &CTimeLapse::OnSeriesTimerFired);
  m_progressTimer.setSingleShot(true);
  m_progressTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_progressTimer, &QTimer::timeout, this, &CTimeLapse::UpdateProgress);
}

bool CTimeLapse::OnInitDialog() {
  fw::CPropertyPage::OnInitDialog();
  m_timeInterval = TimeOfDay(Hour, Minute, Second);
  m_pStartButton = Item<QPushButton>(vel::kStartButton);
  m_pCancelButton = Item<QPushButton>(vel::kCancelButton);
  m_pStartButton->setEnabled(true);
  m_pCancelButton->setEnabled(false);
  for (fw::UpDown* upDown : {m_spinCount, m_spinBulbSeconds, m_spinFocusSeconds})
    upDown->SetRange(kUpDownLower, kUpDownUpper);
  Item<QTimeEdit>(vel::kIntervalPicker)->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  // The log's place shows once a series has a log, the last picture's once
  // one was stored.
  for (int id :
       {vel::kSeriesLogLabel, vel::kSeriesLogLink, vel::kLastPictureView, vel::kLastPictureLine})
    GetDlgItem(id)->hide();
  Item(vel::kSeriesLogLink).SetAccessibleName("Series log");
  ConnectHandlers();
  UpdateData(false);
  return true;
}

void CTimeLapse::ConnectHandlers() {
  connect(m_pStartButton, &QPushButton::clicked, this, &CTimeLapse::OnStart);
  connect(m_pCancelButton, &QPushButton::clicked, this, &CTimeLapse::OnCancelSeries);
  connect(Item<QCheckBox>(vel::kInfinityCheck), &QCheckBox::clicked, this, &CTimeLapse::OnInfinity);
  connect(Item<QCheckBox>(vel::kBulbCheck), &QCheckBox::clicked, this, &CTimeLapse::OnBulb);
  connect(Item<QCheckBox>(vel::kFocusCheck), &QCheckBox::clicked, this, &CTimeLapse::OnFocus);
}

// The log's link and the last picture are built with the page's window, in
// their places in the tab order.
QWidget* CTimeLapse::CreateControl(const vel::ControlTemplate& control) {
  if (control.id == vel::kLastPictureView)
    return m_lastPicture = new PicturePreview;
  return nullptr;
}

void CTimeLapse::DoDataExchange(fw::DataExchange& dx) {
  fw::CPropertyPage::DoDataExchange(dx);
  DDX_Control(dx, vel::kSeriesLogLink, m_logLink);
  AttachUpDown(*this, m_spinBulbSeconds, vel::kBulbSecondsUpDown);
  AttachUpDown(*this, m_spinFocusSeconds, vel::kFocusSecondsUpDown);
  fw::DDX_Check(dx, vel::kInfinityCheck, Infinity);
  AttachUpDown(*this, m_spinCount, vel::kCountUpDown);
  ExchangeInterval(dx);
  fw::DDX_TextUnsigned(dx, vel::kCountEdit, Count);
  fw::DDX_Check(dx, vel::kBulbCheck, Bulb);
  fw::DDX_TextUnsigned(dx, vel::kBulbSecondsEdit, BulbSeconds);
  fw::DDX_Check(dx, vel::kFocusCheck, Focus);
  fw::DDX_TextUnsigned(dx, vel::kFocusSecondsEdit, FocusSeconds);
  if (dx.m_saveAndValidate) {
    Hour = m_timeInterval.hour();
    Minute = m_timeInterval.minute();
    Second = m_timeInterval.second();
  } else {
    ApplyEnableRules();
  }
}

void CTimeLapse::ExchangeInterval(fw::DataExchange& dx) {
  int hour = m_timeInterval.hour();
  int minute = m_timeInterval.minute();
  int second = m_timeInterval.second();
  fw::DDX_Time(dx, vel::kIntervalPicker, hour, minute, second);
  if (dx.m_saveAndValidate)
    m_timeInterval = TimeOfDay(hour, minute, second);
}

void CTimeLapse::EnablePair(int editId, int upDownId, bool enable) {
  GetDlgItem(editId)->setEnabled(enable);
  GetDlgItem(upDownId)->setEnabled(enable);
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
}

void CTimeLapse::SetStatus(std::string text) {
  if (!m_pStatusText || !m_pStatusTime) {
    m_pStatusText = Item<QLabel>(vel::kStatusTextLine);
    m_pStatusTime = Item<QLabel>(vel::kStatusTimeLine);
  }
  if (!m_pStatusText || !m_pStatusTime)
    return;
  const QString line = QString::fromStdString(text);
  const QString time = QString::fromStdString(vel::StatusTimeText(vel::CurrentLocalTime()));
  m_pStatusText->setText(line);
  m_pStatusTime->setText(time);
  // A shot holds the thread between its waits; the lines must not wait for
  // the next pass of the event loop to show.
  m_pStatusText->repaint();
  m_pStatusTime->repaint();
  emit StatusShown(line, time);
}
