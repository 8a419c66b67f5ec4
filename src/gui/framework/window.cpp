#include "gui/framework/window.h"

#include "core/ui/dialog_template.h"
#include "gui/framework/toolkit.h"

namespace fw {

bool Control::Exists() const {
  return m_window && m_window->Exists(m_id);
}

std::string Control::Text() const {
  return Exists() ? m_window->Text(m_id) : std::string();
}
void Control::SetText(std::string_view text) {
  if (Exists())
    m_window->SetText(m_id, text);
}
bool Control::Checked() const {
  return Exists() && m_window->Checked(m_id);
}
void Control::SetChecked(bool checked) {
  if (Exists())
    m_window->SetChecked(m_id, checked);
}
bool Control::Enabled() const {
  return Exists() && m_window->Enabled(m_id);
}
void Control::Enable(bool enable) {
  if (Exists())
    m_window->Enable(m_id, enable);
}
bool Control::Shown() const {
  return Exists() && m_window->Shown(m_id);
}
void Control::Show(bool show) {
  if (Exists())
    m_window->Show(m_id, show);
}
bool Control::Pushed() const {
  return Exists() && m_window->Pushed(m_id);
}
void Control::SetPushed(bool pushed) {
  if (Exists())
    m_window->SetPushed(m_id, pushed);
}
void Control::SetToolTip(std::string_view text) {
  if (Exists())
    m_window->SetToolTip(m_id, text);
}
void Control::SetAccessibleName(std::string_view name) {
  if (Exists())
    m_window->SetAccessibleName(m_id, name);
}
void Control::SetFocus() {
  if (Exists())
    m_window->SetFocus(m_id);
}
void Control::Redraw() {
  if (Exists())
    m_window->Redraw(m_id);
}
Rect Control::Geometry() const {
  return Exists() ? m_window->Geometry(m_id) : Rect{};
}
std::string Control::Elided(std::string_view text, int width) const {
  return Exists() ? m_window->Elided(m_id, text, width) : std::string(text);
}
int Control::ItemCount() const {
  return Exists() ? m_window->ItemCount(m_id) : 0;
}
std::string Control::ItemText(int index) const {
  return Exists() ? m_window->ItemText(m_id, index) : std::string();
}
void Control::AddItem(std::string_view text) {
  if (Exists())
    m_window->AddItem(m_id, text);
}
void Control::ClearItems() {
  if (Exists())
    m_window->ClearItems(m_id);
}
int Control::Selection() const {
  return Exists() ? m_window->Selection(m_id) : -1;
}
void Control::Select(int index) {
  if (Exists())
    m_window->Select(m_id, index);
}
void Control::SetRange(int lower, int upper) {
  if (Exists())
    m_window->SetRange(m_id, lower, upper);
}
TimeOfDay Control::Time() const {
  return Exists() ? m_window->Time(m_id) : TimeOfDay{};
}
void Control::SetTime(TimeOfDay time) {
  if (Exists())
    m_window->SetTime(m_id, time);
}
void Control::FitToText() {
  if (Exists())
    m_window->FitToText(m_id);
}

void Control::HoldThroughKeyRepeats() {
  if (Exists())
    m_window->HoldThroughKeyRepeats(m_id);
}

void Control::ShowPicture(const std::string& path, const std::string& source) {
  if (Exists())
    m_window->ShowPicture(m_id, path, source);
}

void Control::SetProgress(int done, int total) {
  if (Exists())
    m_window->SetProgress(m_id, done, total);
}

int Control::Progress() const {
  return Exists() ? m_window->Progress(m_id) : 0;
}

void Control::SetVisited(bool visited) {
  if (Exists())
    m_window->SetVisited(m_id, visited);
}

Window::Window() = default;
Window::~Window() = default;

void Window::SetImpl(std::unique_ptr<WindowImpl> impl) {
  m_impl = std::move(impl);
}

void Window::SetTimer(unsigned id, std::uint32_t ms) {
  if (m_impl)
    m_impl->SetTimer(id, ms);
}

void Window::KillTimer(unsigned id) {
  if (m_impl)
    m_impl->KillTimer(id);
}

bool Window::TimerRunning(unsigned id) const {
  return m_impl && m_impl->TimerRunning(id);
}

void Window::OnTimer(unsigned) {}

void Window::Map(int id, Notify event, std::function<void(int)> handler) {
  m_messageMap[{id, event}] = std::move(handler);
}

void Window::Dispatch(int id, Notify event, int value) {
  const auto found = m_messageMap.find({id, event});
  if (found == m_messageMap.end())
    return;
  // A copy: the handler may run a dialog, or map anew, while it runs.
  const std::function<void(int)> handler = found->second;
  handler(value);
}

void Window::RememberLoaded(int id, std::string bytes, std::string shown) {
  m_loaded[id] = {std::move(bytes), std::move(shown)};
}

const std::string* Window::LoadedBytes(int id, const std::string& shown) const {
  const auto found = m_loaded.find(id);
  return found != m_loaded.end() && found->second.second == shown ? &found->second.first : nullptr;
}

Rect FitRectToText(const Rect& area, int textWidth, int textHeight, unsigned flags) {
  int left = area.x, top = area.y, right = area.Right(), bottom = area.Bottom();
  if (flags & vel::kVCentered) {
    const int shrink = (bottom - top - textHeight) / 2;
    top += shrink;
    bottom -= shrink;
  } else {
    bottom = top + textHeight;
  }
  if (flags & vel::kCentered) {
    const int shrink = (right - left - textWidth) / 2;
    left += shrink;
    right -= shrink;
  } else if (flags & vel::kRightAligned) {
    left = right - textWidth;
  } else {
    right = left + textWidth;
  }
  return {left, top, right - left, bottom - top};
}

}  // namespace fw
