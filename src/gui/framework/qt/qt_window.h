#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "gui/framework/toolkit.h"

class QTimer;

namespace fw::qt {
class KeyRepeatFilter;
}

namespace fw::qt {

QString ToQt(std::string_view text);
std::string FromQt(const QString& text);

// The Qt side of a window: its widgets by control id, in template order,
// the signals that reach the window's message map, and its timers. It owns
// its root widget (the page, dialog or sheet), unless Qt deleted it first.
class QtWindow : public QObject, public virtual WindowImpl {
  Q_OBJECT
 public:
  QtWindow(Window& owner, QWidget* root);
  ~QtWindow() override;

  Window& Owner() const { return m_owner; }
  QWidget* Root() const { return m_root; }
  // Takes a control of the window, and passes on what it notifies.
  void AddControl(int id, QWidget* widget);
  QWidget* Widget(int id) const;
  const std::vector<QWidget*>& Widgets() const { return m_widgets; }

  bool Exists(int id) const override;
  std::string Text(int id) const override;
  void SetText(int id, std::string_view text) override;
  bool Checked(int id) const override;
  void SetChecked(int id, bool checked) override;
  bool Enabled(int id) const override;
  void Enable(int id, bool enable) override;
  bool Shown(int id) const override;
  void Show(int id, bool show) override;
  bool Pushed(int id) const override;
  void SetPushed(int id, bool pushed) override;
  void SetToolTip(int id, std::string_view text) override;
  void SetAccessibleName(int id, std::string_view name) override;
  void SetFocus(int id) override;
  void Redraw(int id) override;
  Rect Geometry(int id) const override;
  std::string Elided(int id, std::string_view text, int width) const override;
  int ItemCount(int id) const override;
  std::string ItemText(int id, int index) const override;
  void AddItem(int id, std::string_view text) override;
  void ClearItems(int id) override;
  int Selection(int id) const override;
  void Select(int id, int index) override;
  void SetRange(int id, int lower, int upper) override;
  TimeOfDay Time(int id) const override;
  void SetTime(int id, TimeOfDay time) override;
  void FitToText(int id) override;
  void SetVisited(int id, bool visited) override;
  void HoldThroughKeyRepeats(int id) override;
  void ShowPicture(int id, const std::string& path, const std::string& source) override;
  void SetProgress(int id, int done, int total) override;
  int Progress(int id) const override;
  void CreateControls(const vel::DialogTemplate& dialogTemplate) override;
  void SetTimer(unsigned id, std::uint32_t ms) override;
  void KillTimer(unsigned id) override;
  bool TimerRunning(unsigned id) const override;

 private:
  struct Timer;
  void Tick(unsigned id);
  void Connect(int id, QWidget* widget);

  Window& m_owner;
  QPointer<QWidget> m_root;
  std::map<int, QWidget*> m_byId;
  std::vector<QWidget*> m_widgets;
  std::map<unsigned, std::unique_ptr<Timer>> m_timers;
  std::unique_ptr<KeyRepeatFilter> m_keyRepeats;
};

// The widget of a window of the framework: a page, a dialog or the sheet;
// null for none.
QWidget* WidgetOf(const Window* window);
// The window of the framework whose widget this is; null for none.
Window* WindowOf(const QWidget* widget);
// The widget of a window's control.
QWidget* ControlWidget(const Window& window, int id);
// The widgets of a window's controls, in template order.
const std::vector<QWidget*>& ControlWidgets(const Window& window);

}  // namespace fw::qt
