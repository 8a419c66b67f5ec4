#include "gui/widgets/hyperlink.h"

#include "gui/framework/data_exchange.h"
#include "gui/framework/desktop.h"
#include "gui/framework/message_box.h"
#include "gui/framework/window.h"

namespace {

vel::Result OpenWithDesktop(const std::string& address) {
  return fw::OpenAddress(address);
}

}  // namespace

CHyperLink::CHyperLink() : m_opener(OpenWithDesktop) {}

void CHyperLink::PreSubclassWindow(fw::Window& window, int id) {
  if (m_window)
    return;
  m_window = &window;
  m_id = id;
  fw::Control control = window.Item(id);
  if (m_target.empty())
    m_target = control.Text();
  if (control.Text().empty())
    control.SetText(m_target);
  FitToText();
  control.SetToolTip(m_target);
  window.Map(id, fw::Notify::Clicked, [this](int) { Activate(); });
}

void CHyperLink::SetLinkTarget(std::string target) {
  m_target = std::move(target);
  if (!m_window)
    return;
  FitToText();
  m_window->Item(m_id).SetToolTip(m_target);
}

void CHyperLink::SetVisitedState(bool visited) {
  m_visited = visited;
  if (m_window)
    m_window->Item(m_id).SetVisited(visited);
}

void CHyperLink::FitToText() {
  if (m_window)
    m_window->Item(m_id).FitToText();
}

vel::Result CHyperLink::OpenLink(const std::string& address) {
  return m_opener(address);
}

void CHyperLink::SetOpener(Opener opener) {
  m_opener = opener ? std::move(opener) : Opener(OpenWithDesktop);
}

void CHyperLink::ShowOpenError(const vel::Result& result) {
  fw::AfxMessageBox(result.Text(), fw::BoxIcon::Exclamation);
}

void CHyperLink::Activate() {
  const vel::Result result = OpenLink(m_target);
  SetVisitedState(result.Ok());
  if (result.Ok())
    return;
  fw::Beep();
  ShowOpenError(result);
}

void DDX_Control(fw::DataExchange& dx, int id, CHyperLink& link) {
  if (dx.Item(id).Exists())
    link.PreSubclassWindow(*dx.m_window, id);
}
