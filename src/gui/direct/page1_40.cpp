#include "gui/direct/page1_40.h"

#include "core/camera/command_bytes.h"
#include "gui/direct/mode_dialog.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_sheet.h"

CPage1_40::CPage1_40() : DirectControlPage(vel::DirectPageKind::Page1_40) {
  MapSelChange(vel::kExposureList, &CPage1_40::OnSelchangeExposure);
  MapSelChange(vel::kDriveList, &CPage1_40::OnSelchangeDrive);
  MapDeltaPos(vel::kModeUpDown, &CPage1_40::OnDeltaposSpin);
}

bool CPage1_40::OnInitDialog() {
  DirectControlPage::OnInitDialog();
  // The lists and arrows have no label on the page; name them for screen readers.
  Item(vel::kExposureList).SetAccessibleName("Exposure mode");
  Item(vel::kDriveList).SetAccessibleName("Drive mode");
  Item(vel::kModeUpDown).SetAccessibleName("Step setting");
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

void CPage1_40::RunDialogKey(int id, const vel::DialogKeyOpen& open) {
  (void)vel::SendCommandByte(CameraPort(), open.holdByte);
  // The dialog takes the mouse and keyboard, so the key button no longer
  // shows pushed when it closes; the next pass only marks the key up.
  Item(id).SetPushed(false);
  CreateModeDialog(open.dialog, Sheet())->DoModal();
  (void)vel::SendCommandByte(CameraPort(), open.releaseByte);
}
