#include "gui/app/camera_sheet.h"

#include <QApplication>
#include <QPushButton>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "gui/app/dialog_stack.h"
#include "gui/app/resources.h"
#include "gui/app/volume_watcher.h"
#include "gui/direct/direct_control_page.h"
#include "gui/framework/message_box.h"
#include "gui/framework/property_page.h"
#include "gui/pages/about_page.h"
#include "gui/pages/config_page.h"
#include "gui/pages/options_page.h"
#include "gui/timelapse/time_lapse_page.h"

namespace {

void ShowPortError(const std::string& text) {
  fw::MessageBox(nullptr, QString::fromStdString(text), fw::ProgramCaption(), fw::BoxIcon::Error);
}

}  // namespace

CCameraSheet::CCameraSheet(QWidget* parent)
    : fw::CPropertySheet(parent),
      m_hIcon((LoadProgramResources(), QStringLiteral(":/velorantica.png"))) {
  QString title = QStringLiteral("Velorantica for Casio ");
  title += QString::fromUtf8(vel::ModelName(vel::Model).data());
  m_pDirectControl = CreateDirectControlPage(vel::Model);
  m_pTimeLapse = new CTimeLapse;
  m_pOptions = new COptions;
  m_pConfig = new CConfig;
  m_pAbout = new CAbout;
  for (fw::CPropertyPage* page : {m_pDirectControl, m_pTimeLapse, m_pOptions, m_pConfig, m_pAbout})
    AddPage(page);
  setWindowTitle(title);
  setWindowIcon(m_hIcon);
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* port = new vel::CComPort;
  vel::g_pComPort = port;
  port->SetErrorReporter(ShowPortError);
  if (port->Open() == 0)
    SetActivePage(kConfigPageIndex);

  DialogStack::Instance();  // starts following which dialog is on top
  m_volumeWatcher = new VolumeWatcher(this);
  connect(m_volumeWatcher, &VolumeWatcher::RemovableVolumeRemoved, this,
          &CCameraSheet::OnVolumeRemoved);
}

CCameraSheet::~CCameraSheet() {
  for (fw::CPropertyPage* page : {m_pDirectControl, m_pTimeLapse, m_pOptions, m_pConfig, m_pAbout})
    DeletePage(page);
  delete vel::g_pComPort;
  vel::g_pComPort = nullptr;
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

int CCameraSheet::OnKickIdle(int idleCount) {
  return fw::CPropertySheet::OnKickIdle(idleCount);
}

void CCameraSheet::OnVolumeRemoved() {
  CloseForeignDialog();
}

void CCameraSheet::CloseForeignDialog() {
  QDialog* first = DialogStack::Instance().Top();
  if (!first || first->windowTitle().left(11) == QLatin1String("Velorantica"))
    return;
  first->close();
}

void CCameraSheet::SendExposureMode() {
  vel::SendExposureMode();
}

void CCameraSheet::SendDriveMode() {
  vel::SendDriveMode();
}
