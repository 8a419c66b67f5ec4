#include "gui/pages/about_page.h"

#include <QAbstractButton>

#include "core/camera/command_bytes.h"
#include "core/direct/command_check.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/program_state.h"
#include "gui/framework/qt/template_builder.h"
#include "gui/widgets/hyperlink.h"

namespace {

// The idle pass samples the buttons in this id range; on this page only the
// Check button lies in it.
constexpr int kFirstSampledId = vel::kFirstKeyId;
constexpr int kLastSampledId = vel::kCommandCheckButton;

// Hidden, in this order, when the profile does not ask for the command check.
constexpr int kCommandCheckControls[] = {vel::kCommandCheckLabel, vel::kCommandCheckList,
                                         vel::kCommandCheckButton};

int ControlId(const QWidget* widget) {
  return widget->property("controlId").toInt();
}

}  // namespace

CAbout::CAbout() : fw::CPropertyPage(vel::AboutTemplate()) {}

// The link is built with the page's window, in its place in the tab order.
QWidget* CAbout::CreateControl(const vel::ControlTemplate& control) {
  if (control.id != vel::kLinkLabel)
    return nullptr;
  m_link = new CHyperLink(fw::TemplateText(control.text));
  m_link->setAlignment(fw::TextAlignment(control));
  return m_link;
}

void CAbout::DoDataExchange(fw::DataExchange& dx) {
  fw::DDX_CBString(dx, vel::kCommandCheckList, m_checkChar);
  DDX_Control(dx, vel::kLinkLabel, *m_link);
}

bool CAbout::OnInitDialog() {
  fw::CPropertyPage::OnInitDialog();
  m_link->SetLinkTarget(fw::TemplateText(vel::kMakerSiteAddress));
  if (CommandCheck == 0) {
    for (int id : kCommandCheckControls)
      if (QWidget* control = GetDlgItem(id))
        control->hide();
  }
  return true;
}

int CAbout::OnKickIdle(int) {
  if (!HasWindow())
    return 0;
  for (QWidget* control : Controls()) {
    const int id = ControlId(control);
    if (id < kFirstSampledId || id > kLastSampledId)
      continue;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
      OnUpdateCommandCheck(button);
  }
  return 0;
}

void CAbout::ReleaseHeldKeys() {
  vel::SendKeyBytes(CameraPort(),
                    vel::StepCommandCheck(m_checkUp, vel::kCommandCheckButton, false, m_checkChar));
}

void CAbout::OnUpdateCommandCheck(QAbstractButton* button) {
  const bool pushed = button->isDown();
  // The release byte follows the selection at release time, so the list is
  // read on every pass.
  UpdateData(true);
  vel::SendKeyBytes(CameraPort(),
                    vel::StepCommandCheck(m_checkUp, ControlId(button), pushed, m_checkChar));
}
