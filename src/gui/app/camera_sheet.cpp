#include "gui/app/camera_sheet.h"

#include <QApplication>
#include <QPushButton>

#include "core/camera/models.h"
#include "gui/app/resources.h"
#include "gui/app/volume_watcher.h"
#include "gui/direct/direct_control_page.h"
#include "gui/framework/dialog_stack.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_page.h"
#include "gui/pages/about_page.h"
#include "gui/pages/config_page.h"
#include "gui/pages/options_page.h"
#include "gui/timelapse/time_lapse_page.h"

CCameraSheet::CCameraSheet(QWidget* parent) : fw::CPropertySheet(parent), m_icon(ProgramIcon()) {
  QApplication::setWindowIcon(m_icon);
  QString title = QStringLiteral("Velorantica for Casio ");
  title += QString::fromUtf8(vel::ModelName(Model).data());
  m_directControl = CreateDirectControlPage(Model);
  m_timeLapse = new CTimeLapse;
  m_options = new COptions;
  m_config = new CConfig;
  m_about = new CAbout;
  for (fw::CPropertyPage* page : {m_directControl, m_timeLapse, m_options, m_config, m_about})
    AddPage(page);
  setWindowTitle(title);
  setWindowIcon(m_icon);
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  g_pComPort = new vel::CComPort;
  if (vel::Result opened = g_pComPort->Open(ComPort); !opened) {
    fw::MessageBox(nullptr, QString::fromStdString(opened.Text()), fw::ProgramCaption(),
                   fw::BoxIcon::Error);
    SetActivePage(kConfigPageIndex);
  }

  fw::DialogStack::Instance();  // starts following which dialog is on top
  m_volumeWatcher = new VolumeWatcher(this);
  connect(m_volumeWatcher, &VolumeWatcher::RemovableVolumeRemoved, this, &fw::CloseForeignDialog);
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

void CCameraSheet::OnExit() {
  for (int i = 0; i < GetPageCount(); ++i) {
    fw::CPropertyPage* page = GetPage(i);
    if (page && page->HasWindow())
      page->UpdateData(true);
  }
  done(QDialog::Rejected);
}
