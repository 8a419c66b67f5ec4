#include "gui/pages/about_page.h"

#include "core/camera/command_bytes.h"
#include "core/direct/command_check.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/program_state.h"

namespace {

// The idle pass samples the buttons in this id range; on this page only the
// Check button lies in it.
constexpr int kFirstSampledId = vel::kFirstKeyId;
constexpr int kLastSampledId = vel::kCommandCheckButton;

// Hidden, in this order, when the profile does not ask for the command check.
constexpr int kCommandCheckControls[] = {vel::kCommandCheckLabel, vel::kCommandCheckList,
                                         vel::kCommandCheckButton};

bool IsSampled(const vel::ControlTemplate& control) {
  const bool button = control.kind == vel::ControlKind::PushButton ||
                      control.kind == vel::ControlKind::DefPushButton;
  return button && control.id >= kFirstSampledId && control.id <= kLastSampledId;
}

}  // namespace

CAbout::CAbout() : fw::CPropertyPage(vel::AboutTemplate()) {}

void CAbout::DoDataExchange(fw::DataExchange& dx) {
  fw::DDX_CBString(dx, vel::kCommandCheckList, m_checkChar);
  DDX_Control(dx, vel::kLinkLabel, m_link);
}

bool CAbout::OnInitDialog() {
  fw::CPropertyPage::OnInitDialog();
  m_link.SetLinkTarget(std::string(vel::kMakerSiteAddress));
  if (CommandCheck == 0) {
    for (int id : kCommandCheckControls) Item(id).Show(false);
  }
  return true;
}

int CAbout::OnKickIdle(int) {
  if (!HasWindow())
    return 0;
  for (const vel::ControlTemplate& control : Template().controls)
    if (IsSampled(control))
      OnUpdateCommandCheck(control.id);
  return 0;
}

void CAbout::ReleaseHeldKeys() {
  vel::SendKeyBytes(CameraPort(),
                    vel::StepCommandCheck(m_checkUp, vel::kCommandCheckButton, false, m_checkChar));
}

void CAbout::OnUpdateCommandCheck(int id) {
  const bool pushed = Item(id).Pushed();
  // The release byte follows the selection at release time, so the list is
  // read on every pass.
  UpdateData(true);
  vel::SendKeyBytes(CameraPort(), vel::StepCommandCheck(m_checkUp, id, pushed, m_checkChar));
}
