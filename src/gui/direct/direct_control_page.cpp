#include "gui/direct/direct_control_page.h"

#include <array>

#include "core/camera/command_bytes.h"
#include "gui/direct/page1_40.h"
#include "gui/framework/port_state.h"
#include "gui/framework/program_state.h"

namespace {

// The buttons the idle pass samples as camera keys.
bool IsKeyButton(const vel::ControlTemplate& control) {
  const bool button = control.kind == vel::ControlKind::PushButton ||
                      control.kind == vel::ControlKind::DefPushButton;
  return button && control.id >= vel::kFirstKeyId && control.id <= vel::kLastKeyId;
}

template <class Page>
fw::CPropertyPage* Create() {
  return new Page;
}

// One page class per DirectPageKind, in its order.
constexpr std::array<fw::CPropertyPage* (*)(), 6> kPageFactories = {
    Create<CPage1>,    Create<CPage1_20>, Create<CPage1_23>,
    Create<CPage1_35>, Create<CPage1_40>, Create<CPage1_80>,
};

}  // namespace

DirectControlPage::DirectControlPage(vel::DirectPageKind kind)
    : fw::CPropertyPage(vel::DirectPages()[static_cast<std::size_t>(kind)].dialog),
      m_page(vel::DirectPages()[static_cast<std::size_t>(kind)]) {
  m_keyUp.assign(vel::KeyFlagCount(m_page), vel::kKeyUp);
}

bool DirectControlPage::OnInitDialog() {
  fw::CPropertyPage::OnInitDialog();
  for (const vel::ControlTemplate& control : Template().controls)
    if (IsKeyButton(control))
      Item(control.id).HoldThroughKeyRepeats();
  return true;
}

// The command-update pass over the key buttons, in template order.
int DirectControlPage::OnKickIdle(int) {
  if (!HasWindow())
    return 0;
  for (const vel::ControlTemplate& control : Template().controls)
    if (IsKeyButton(control))
      OnUpdateKey(control.id);
  fw::ShowPortState(*this);
  return 0;
}

void DirectControlPage::OnUpdateKey(int id) {
  const bool pushed = Item(id).Pushed();
  const vel::KeySample sample = vel::SampleKey(m_page, m_keyUp, id, pushed);
  // A key going down is the moment to try a lost line again, once.
  if (pushed && (!sample.send.empty() || sample.dialog))
    (void)ReopenCameraPort();
  vel::SendKeyBytes(CameraPort(), sample.send);
  if (sample.dialog)
    RunDialogKey(id, *sample.dialog);
}

void DirectControlPage::ReleaseHeldKeys() {
  for (const vel::KeyRow& key : m_page.keys)
    vel::SendKeyBytes(CameraPort(), vel::SampleKey(m_page, m_keyUp, key.id, false).send);
}

void DirectControlPage::RunDialogKey(int, const vel::DialogKeyOpen&) {}

CPage1::CPage1() : DirectControlPage(vel::DirectPageKind::Page1) {}
CPage1_20::CPage1_20() : DirectControlPage(vel::DirectPageKind::Page1_20) {}
CPage1_23::CPage1_23() : DirectControlPage(vel::DirectPageKind::Page1_23) {}
CPage1_35::CPage1_35() : DirectControlPage(vel::DirectPageKind::Page1_35) {}
CPage1_80::CPage1_80() : DirectControlPage(vel::DirectPageKind::Page1_80) {}

fw::CPropertyPage* CreateDirectControlPage(int model) {
  const vel::DirectPageKind kind = vel::DirectPageForModel(model).kind;
  return kPageFactories[static_cast<std::size_t>(kind)]();
}
