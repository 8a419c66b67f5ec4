#include "gui/direct/direct_control_page.h"

#include <QAbstractButton>

#include "core/camera/com_port.h"
#include "gui/direct/page1_40.h"

namespace {

const vel::DirectPage& PageNamed(std::string_view className) {
  for (const vel::DirectPage& page : vel::DirectPages())
    if (page.className == className)
      return page;
  return vel::DirectPageForModel(-1);
}

int ControlId(const QWidget* widget) {
  return widget->property("controlId").toInt();
}

}  // namespace

void SendKeyBytes(const vel::KeyBytes& bytes) {
  for (std::uint8_t byte : bytes) vel::SendCommandByte(byte);
}

CDirectControlPage::CDirectControlPage(const vel::DirectPage& page)
    : fw::CPropertyPage(page.dialog), m_keyUp(vel::KeyFlagCount(page), vel::kKeyUp), m_page(page) {}

int CDirectControlPage::OnKickIdle(int) {
  if (!HasWindow())
    return 0;
  // Copy: a key's dialog may run inside the pass.
  const std::vector<QWidget*> controls = Controls();
  for (QWidget* control : controls) {
    const int id = ControlId(control);
    if (id < vel::kFirstKeyId || id > vel::kLastKeyId)
      continue;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
      OnUpdateKey(button);
  }
  return 0;
}

void CDirectControlPage::OnUpdateKey(QAbstractButton* button) {
  const vel::KeySample sample =
      vel::SampleKey(m_page, m_keyUp, ControlId(button), button->isDown());
  SendKeyBytes(sample.send);
  if (sample.dialog)
    RunDialogKey(button, *sample.dialog);
}

void CDirectControlPage::RunDialogKey(QAbstractButton*, const vel::DialogKeyOpen&) {}

CPage1::CPage1() : CDirectControlPage(PageNamed("CPage1")) {}
CPage1_20::CPage1_20() : CDirectControlPage(PageNamed("CPage1_20")) {}
CPage1_23::CPage1_23() : CDirectControlPage(PageNamed("CPage1_23")) {}
CPage1_35::CPage1_35() : CDirectControlPage(PageNamed("CPage1_35")) {}
CPage1_80::CPage1_80() : CDirectControlPage(PageNamed("CPage1_80")) {}

fw::CPropertyPage* CreateDirectControlPage(int model) {
  const std::string_view name = vel::DirectPageForModel(model).className;
  if (name == "CPage1_20")
    return new CPage1_20;
  if (name == "CPage1_23")
    return new CPage1_23;
  if (name == "CPage1_35")
    return new CPage1_35;
  if (name == "CPage1_40")
    return new CPage1_40;
  if (name == "CPage1_80")
    return new CPage1_80;
  return new CPage1;
}
