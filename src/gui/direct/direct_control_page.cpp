#include "gui/direct/direct_control_page.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <array>

#include "core/camera/command_bytes.h"
#include "gui/direct/page1_40.h"
#include "gui/framework/port_state.h"
#include "gui/framework/program_state.h"

namespace {

int ControlId(const QWidget* widget) {
  return widget->property("controlId").toInt();
}

bool IsKeyId(int id) {
  return id >= vel::kFirstKeyId && id <= vel::kLastKeyId;
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
  m_releaseTimer.setSingleShot(true);
  connect(&m_releaseTimer, &QTimer::timeout, this, &DirectControlPage::DeliverHeldRelease);
}

bool DirectControlPage::OnInitDialog() {
  fw::CPropertyPage::OnInitDialog();
  for (QWidget* control : Controls())
    if (IsKeyId(ControlId(control)))
      control->installEventFilter(this);
  return true;
}

// A repeated release and press would let the button come up and go down
// again between two idle passes, and the camera would see the key repeated.
bool DirectControlPage::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::KeyPress;
  if (!press && event->type() != QEvent::KeyRelease)
    return fw::CPropertyPage::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->isAutoRepeat())
    return true;
  if (!press)
    return HoldRelease(watched, key);
  // A press of the key whose release is held back: the key never came up.
  const bool held =
      m_heldRelease && m_heldReleaseTarget == watched && m_heldRelease->key() == key->key();
  if (!held)
    DeliverHeldRelease();
  m_heldRelease.reset();
  m_releaseTimer.stop();
  return held;
}

bool DirectControlPage::HoldRelease(QObject* target, QKeyEvent* release) {
  if (release == m_heldRelease.get())
    return false;  // its delivery
  DeliverHeldRelease();
  m_heldReleaseTarget = target;
  m_heldRelease.reset(static_cast<QKeyEvent*>(release->clone()));
  m_releaseTimer.start(kRepeatWindowMs);
  return true;
}

void DirectControlPage::DeliverHeldRelease() {
  m_releaseTimer.stop();
  if (m_heldRelease && m_heldReleaseTarget)
    QCoreApplication::sendEvent(m_heldReleaseTarget, m_heldRelease.get());
  m_heldRelease.reset();
}

int DirectControlPage::OnKickIdle(int) {
  if (!HasWindow())
    return 0;
  // Copy: a key's dialog may run inside the pass.
  const std::vector<QWidget*> controls = Controls();
  for (QWidget* control : controls) {
    const int id = ControlId(control);
    if (!IsKeyId(id))
      continue;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
      OnUpdateKey(button);
  }
  fw::ShowPortState(*this);
  return 0;
}

void DirectControlPage::OnUpdateKey(QAbstractButton* button) {
  const bool pushed = button->isDown();
  const vel::KeySample sample = vel::SampleKey(m_page, m_keyUp, ControlId(button), pushed);
  // A key going down is the moment to try a lost line again, once.
  if (pushed && (!sample.send.empty() || sample.dialog))
    (void)ReopenCameraPort();
  vel::SendKeyBytes(CameraPort(), sample.send);
  if (sample.dialog)
    RunDialogKey(button, *sample.dialog);
}

void DirectControlPage::ReleaseHeldKeys() {
  DeliverHeldRelease();
  for (const vel::KeyRow& key : m_page.keys)
    vel::SendKeyBytes(CameraPort(), vel::SampleKey(m_page, m_keyUp, key.id, false).send);
}

void DirectControlPage::RunDialogKey(QAbstractButton*, const vel::DialogKeyOpen&) {}

CPage1::CPage1() : DirectControlPage(vel::DirectPageKind::Page1) {}
CPage1_20::CPage1_20() : DirectControlPage(vel::DirectPageKind::Page1_20) {}
CPage1_23::CPage1_23() : DirectControlPage(vel::DirectPageKind::Page1_23) {}
CPage1_35::CPage1_35() : DirectControlPage(vel::DirectPageKind::Page1_35) {}
CPage1_80::CPage1_80() : DirectControlPage(vel::DirectPageKind::Page1_80) {}

fw::CPropertyPage* CreateDirectControlPage(int model) {
  const vel::DirectPageKind kind = vel::DirectPageForModel(model).kind;
  return kPageFactories[static_cast<std::size_t>(kind)]();
}
