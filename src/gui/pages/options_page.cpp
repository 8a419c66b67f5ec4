#include "gui/pages/options_page.h"

#include "core/timelapse/shot_plan.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/file_chooser.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_sheet.h"
#include "gui/framework/ui_clock.h"
#include "core/camera/models.h"

namespace {

const std::string kDestFileDirTitle = "Select destination folder";

// The programs worth running after a shot, as this system runs them.
fw::OpenFileRequest ProgramRequest() {
#ifdef _WIN32
  return {{"Batch Files (*.bat)", "Executable Files (*.exe)", "All Files (*.*)"}, "bat"};
#else
  return {{"Scripts (*.sh)", "All Files (*)"}, ""};
#endif
}

}  // namespace

COptions::COptions() : fw::CPropertyPage(vel::OptionsTemplate()) {
  MapClick(vel::kSwitchUsbRecButton, &COptions::OnSwitchUsbRec);
  MapClick(vel::kBrowseCommandButton, &COptions::OnBrowseCommand);
  MapClick(vel::kBrowseDestFileDirButton, &COptions::OnBrowseDestFileDir);
  MapClick(vel::kCopyFileCheck, &COptions::OnCopyFile);
}

bool COptions::OnInitDialog() {
  fw::CPropertyPage::OnInitDialog();
  ApplyModel();
  return true;
}

void COptions::DoDataExchange(fw::DataExchange& dx) {
  fw::DDX_Check(dx, vel::kCopyFileCheck, CopyFile);
  fw::DDX_Text(dx, vel::kCommandEdit, Command);
  fw::DDX_Check(dx, vel::kUseExternalCommandCheck, UseExternalCommand);
  fw::DDX_Text(dx, vel::kDestFileDirEdit, DestFileDir);
  fw::DDX_Check(dx, vel::kDeleteAfterCopyCheck, DeleteAfterCopy);
  fw::DDX_CBIndex(dx, vel::kCopyAndDeleteList, CopyAndDelete);
  if (!dx.m_saveAndValidate)
    EnableCopyControls(CopyFile != 0);
}

void COptions::ApplyModel() {
  if (!HasWindow())
    return;
  m_copyOffered = vel::HasUsbSwitch(Model);
  Item(vel::kSwitchUsbRecButton).Enable(m_copyOffered);
  fw::Control copyFile = Item(vel::kCopyFileCheck);
  copyFile.Enable(m_copyOffered);
  EnableCopyControls(copyFile.Checked());
}

void COptions::EnableCopyControls(bool enable) {
  enable = enable && m_copyOffered;
  for (int id : {vel::kDestFileDirEdit, vel::kBrowseDestFileDirButton, vel::kDeleteAfterCopyCheck,
                 vel::kCopyAndDeleteLabel, vel::kCopyAndDeleteList})
    Item(id).Enable(enable);
}

void COptions::OnCopyFile() {
  UpdateData(true);
  EnableCopyControls(CopyFile != 0);
}

void COptions::OnSwitchUsbRec() {
  // A line lost on the way shows on the pages' port lines.
  (void)vel::SwitchUsbRec(CameraPort(), fw::TheUiClock(), vel::SwitchSettings::Of(theSettings));
}

// The chosen folder is stored as the chooser gives it, with no separator
// added or removed; a name with a line break is refused. What the user
// changed on the page meanwhile is saved first, so that showing the new
// folder does not undo it.
void COptions::OnBrowseDestFileDir() {
  const std::optional<std::string> folder =
      fw::TheFileChooser().ChooseFolder(this, kDestFileDirTitle, DestFileDir);
  if (!folder || !fw::AcceptsName(*folder))
    return;
  UpdateData(true);
  DestFileDir = *folder;
  UpdateData(false);
}

// Cancelling the chooser, or choosing a name with a line break, keeps the
// program that was set: the edit is read-only, and clearing "Invoke
// external program" is the way to stop running it.
void COptions::OnBrowseCommand() {
  const std::optional<std::string> program =
      fw::TheFileChooser().ChooseExistingFile(Sheet(), ProgramRequest());
  if (!program || !fw::AcceptsName(*program))
    return;
  UpdateData(true);
  Command = *program;
  UpdateData(false);
}
