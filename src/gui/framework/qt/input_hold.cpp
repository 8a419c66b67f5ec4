#include "gui/framework/input_hold.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include "gui/framework/qt/qt_window.h"

namespace fw {

struct InputHold::Toolkit : QObject {
  struct HeldEvent {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
  };

  QPointer<QWidget> top;
  std::vector<QPointer<QWidget>> passes;
  bool escapePasses = false;
  std::vector<HeldEvent> held;

  bool BelongsToWindow(QObject* receiver) const {
    auto* widget = qobject_cast<QWidget*>(receiver);
    return widget && top && widget->window() == top;
  }

  bool Passes(QObject* receiver, QEvent* event) const {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (key && escapePasses && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
      return true;
    for (const QPointer<QWidget>& pass : passes)
      if (pass && receiver == pass)
        return true;
    return false;
  }

  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!event->isInputEvent() || !BelongsToWindow(receiver) || Passes(receiver, event))
      return false;
    held.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
  }
};

InputHold::InputHold(const Window& window, std::vector<Pass> passes, bool escapePasses)
    : m_toolkit(std::make_unique<Toolkit>()) {
  QWidget* widget = qt::WidgetOf(&window);
  m_toolkit->top = widget ? widget->window() : nullptr;
  for (const Pass& pass : passes)
    if (pass.window)
      m_toolkit->passes.emplace_back(qt::ControlWidget(*pass.window, pass.id));
  m_toolkit->escapePasses = escapePasses;
  QCoreApplication::instance()->installEventFilter(m_toolkit.get());
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

InputHold::~InputHold() {
  QApplication::restoreOverrideCursor();
  QCoreApplication::instance()->removeEventFilter(m_toolkit.get());
  // Posted, so that each goes its usual way once the step has returned.
  for (Toolkit::HeldEvent& held : m_toolkit->held)
    if (held.receiver)
      QCoreApplication::postEvent(held.receiver, held.event.release());
}

}  // namespace fw
