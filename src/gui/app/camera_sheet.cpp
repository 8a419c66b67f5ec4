#include "gui/app/camera_sheet.h"

#include <QApplication>
#include <QPushButton>
#include <QSessionManager>

#include "core/camera/models.h"
#include "gui/app/end_signals.h"
#include "gui/app/resources.h"
#include "gui/app/volume_watcher.h"
#include "gui/direct/direct_control_page.h"
#include "gui/framework/foreign_dialog.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_page.h"
#include "gui/framework/qt/template_builder.h"
#include "gui/pages/about_page.h"
#include "gui/pages/config_page.h"
#include "gui/pages/options_page.h"
#include "gui/timelapse/time_lapse_page.h"

namespace {

QString WindowTitle(int model) {
  return QStringLiteral("Velorantica for Casio ") + fw::TemplateText(vel::ModelName(model));
}

}  // namespace

CCameraSheet::CCameraSheet(QWidget* parent) : fw::CPropertySheet(parent), m_icon(ProgramIcon()) {
  QApplication::setWindowIcon(m_icon);
  m_directControl = CreateDirectControlPage(Model);
  m_timeLapse = new CTimeLapse;
  m_options = new COptions;
  m_config = new CConfig;
  m_about = new CAbout;
  for (fw::CPropertyPage* page : {m_directControl, m_timeLapse, m_options, m_config, m_about})
    AddPage(page);
  setWindowTitle(WindowTitle(Model));
  static_cast<CConfig*>(m_config)->OnModelChangedCall([this] { OnModelChanged(); });
  setWindowIcon(m_icon);
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  g_pComPort = new vel::CComPort;
  if (vel::Result opened = g_pComPort->Open(ComPort); !opened) {
    fw::MessageBox(nullptr, opened.Text(), fw::ProgramCaption(), fw::BoxIcon::Error);
    SetActivePage(kConfigPageIndex);
  }

  m_volumeWatcher = new VolumeWatcher(this);
  connect(m_volumeWatcher, &VolumeWatcher::RemovableVolumeRemoved, this, &fw::CloseForeignDialog);
  connect(new EndSignals(this), &EndSignals::Received, this, &CCameraSheet::EndRun);
#ifndef QT_NO_SESSIONMANAGER
  // The desktop session ends (logout): the same end, before the session
  // manager ends the program.
  connect(qApp, &QGuiApplication::commitDataRequest, this, &CCameraSheet::EndRun);
#endif
}

CCameraSheet::~CCameraSheet() {
  for (fw::CPropertyPage* page : {m_directControl, m_timeLapse, m_options, m_config, m_about})
    DeletePage(page);
  delete g_pComPort;
  g_pComPort = nullptr;
}

bool CCameraSheet::OnInitDialog() {
  const bool result = fw::CPropertySheet::OnInitDialog();
  OkButton()->hide();
  CancelButton()->setText(QStringLiteral("Exit"));
  return result;
}

void CCameraSheet::OnModelChanged() {
  static_cast<::DirectControlPage*>(m_directControl)->ReleaseHeldKeys();
  fw::CPropertyPage* old = m_directControl;
  m_directControl = CreateDirectControlPage(Model);
  ReplacePage(old, m_directControl);
  setWindowTitle(WindowTitle(Model));
  static_cast<COptions*>(m_options)->ApplyModel();
  static_cast<CConfig*>(m_config)->ApplyModel();
}

void CCameraSheet::OnExit() {
  auto* timeLapse = static_cast<CTimeLapse*>(m_timeLapse);
  if (timeLapse->SeriesRunning() && !m_ending) {
    const QString question = QStringLiteral("A time-lapse series is running (%1). End it and quit?")
                                 .arg(timeLapse->SeriesProgressText());
    if (!fw::AskYesNo(this, question.toStdString(), fw::ProgramCaption()))
      return;
  }
  EndRun();
}

void CCameraSheet::EndRun() {
  if (m_ending)
    return;
  m_ending = true;
  // A box or dialog open over the sheet goes first; a mode dialog's key
  // sends its release byte as the dialog closes.
  while (QWidget* modal = QApplication::activeModalWidget()) {
    if (modal == this || !modal->close())
      break;
  }
  static_cast<CTimeLapse*>(m_timeLapse)->EndSeries();
  static_cast<::DirectControlPage*>(m_directControl)->ReleaseHeldKeys();
  static_cast<CAbout*>(m_about)->ReleaseHeldKeys();
  for (int i = 0; i < GetPageCount(); ++i) {
    fw::CPropertyPage* page = GetPage(i);
    if (page && page->HasWindow())
      page->UpdateData(true);
  }
  done(QDialog::Rejected);
}
