#include "gui/direct/page1_40.h"

#include <QAbstractButton>
#include <QComboBox>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/camera/models.h"
#include "gui/app/camera_sheet.h"
#include "gui/direct/mode_dialog.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/up_down.h"

namespace {

const vel::DirectPage& Qv4000Page() {
  return vel::DirectPageForModel(vel::kModelQv4000);
}

}  // namespace

CPage1_40::CPage1_40() : CDirectControlPage(Qv4000Page()) {}

bool CPage1_40::OnInitDialog() {
  CDirectControlPage::OnInitDialog();
  // The lists and arrows have no label on the page; name them for screen readers.
  if (auto* exposure = Item<QComboBox>(vel::kExposureListId)) {
    exposure->setAccessibleName(tr("Exposure mode"));
    connect(exposure, &QComboBox::activated, this, &CPage1_40::OnSelchangeExposure);
  }
  if (auto* drive = Item<QComboBox>(vel::kDriveListId)) {
    drive->setAccessibleName(tr("Drive mode"));
    connect(drive, &QComboBox::activated, this, &CPage1_40::OnSelchangeDrive);
  }
  if (auto* spin = Item<fw::CUpDown>(vel::kModeUpDownId)) {
    spin->setAccessibleName(tr("Step setting"));
    connect(spin, &fw::CUpDown::DeltaPos, this, &CPage1_40::OnDeltaposSpin);
  }
  if (auto* sheet = qobject_cast<CCameraSheet*>(Sheet())) {
    sheet->SendExposureMode();
    sheet->SendDriveMode();
  }
  return true;
}

void CPage1_40::DoDataExchange(fw::CDataExchange& dx) {
  fw::DDX_CBIndex(dx, vel::kExposureListId, vel::ExposureMode);
  fw::DDX_CBIndex(dx, vel::kDriveListId, vel::DriveMode);
}

void CPage1_40::OnSelchangeExposure() {
  UpdateData(true);
  if (auto* sheet = qobject_cast<CCameraSheet*>(Sheet()))
    sheet->SendExposureMode();
}

void CPage1_40::OnSelchangeDrive() {
  UpdateData(true);
  if (auto* sheet = qobject_cast<CCameraSheet*>(Sheet()))
    sheet->SendDriveMode();
}

void CPage1_40::OnDeltaposSpin(int delta) {
  SendKeyBytes(vel::UpDownDeltaBytes(delta));
}

void CPage1_40::RunDialogKey(QAbstractButton* button, const vel::DialogKeyOpen& open) {
  const vel::ModeDialog* dialog = vel::FindModeDialog(open.dialogTemplate);
  vel::SendCommandByte(open.holdByte);
  // The dialog takes the mouse and keyboard, so the key button no longer
  // shows pushed when it closes; the next pass only marks the key up.
  button->setDown(false);
  if (dialog) {
    CModeDialog modal(*dialog, Sheet());
    modal.DoModal();
  }
  vel::SendCommandByte(open.releaseByte);
}
