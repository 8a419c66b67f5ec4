#include "gui/direct/page1_40.h"

#include <QAbstractButton>
#include <QComboBox>

#include "core/camera/command_bytes.h"
#include "gui/direct/mode_dialog.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_sheet.h"
#include "gui/framework/qt/up_down.h"

CPage1_40::CPage1_40() : DirectControlPage(vel::DirectPageKind::Page1_40) {}

bool CPage1_40::OnInitDialog() {
  DirectControlPage::OnInitDialog();
  // The lists and arrows have no label on the page; name them for screen readers.
  if (auto* exposure = Item<QComboBox>(vel::kExposureList)) {
    exposure->setAccessibleName(tr("Exposure mode"));
    connect(exposure, &QComboBox::activated, this, &CPage1_40::OnSelchangeExposure);
  }
  if (auto* drive = Item<QComboBox>(vel::kDriveList)) {
    drive->setAccessibleName(tr("Drive mode"));
    connect(drive, &QComboBox::activated, this, &CPage1_40::OnSelchangeDrive);
  }
  if (auto* spin = Item<fw::UpDown>(vel::kModeUpDown)) {
    spin->setAccessibleName(tr("Step setting"));
    connect(spin, &fw::UpDown::DeltaPos, this, &CPage1_40::OnDeltaposSpin);
  }
  vel::SendExposureMode(CameraPort(), ExposureMode);
  vel::SendDriveMode(CameraPort(), DriveMode);
  return true;
}

void CPage1_40::DoDataExchange(fw::DataExchange& dx) {
  fw::DDX_CBIndex(dx, vel::kExposureList, ExposureMode);
  fw::DDX_CBIndex(dx, vel::kDriveList, DriveMode);
}

void CPage1_40::OnSelchangeExposure() {
  UpdateData(true);
  vel::SendExposureMode(CameraPort(), ExposureMode);
}

void CPage1_40::OnSelchangeDrive() {
  UpdateData(true);
  vel::SendDriveMode(CameraPort(), DriveMode);
}

void CPage1_40::OnDeltaposSpin(int delta) {
  vel::SendKeyBytes(CameraPort(), vel::UpDownDeltaBytes(delta));
}

void CPage1_40::RunDialogKey(QAbstractButton* button, const vel::DialogKeyOpen& open) {
  (void)vel::SendCommandByte(CameraPort(), open.holdByte);
  // The dialog takes the mouse and keyboard, so the key button no longer
  // shows pushed when it closes; the next pass only marks the key up.
  button->setDown(false);
  CreateModeDialog(open.dialog, Sheet())->DoModal();
  (void)vel::SendCommandByte(CameraPort(), open.releaseByte);
}
