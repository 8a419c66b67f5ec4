#include "gui/framework/dialog_stack.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <algorithm>

namespace fw {

DialogStack& DialogStack::Instance() {
  static DialogStack* stack = new DialogStack;  // lives as long as the application
  return *stack;
}

DialogStack::DialogStack() : QObject(qApp) {
  qApp->installEventFilter(this);
  // Dialogs already on screen come first, in no particular order.
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
      m_order.emplace_back(dialog);
}

bool DialogStack::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::Show || type == QEvent::WindowActivate) {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (dialog && dialog->isWindow()) {
      std::erase_if(m_order, [dialog](const QPointer<QDialog>& d) { return !d || d == dialog; });
      m_order.emplace_back(dialog);
    }
  }
  return false;
}

QDialog* DialogStack::Top() {
  for (auto it = m_order.rbegin(); it != m_order.rend(); ++it)
    if (*it && (*it)->isVisible())
      return *it;
  return nullptr;
}

void CloseForeignDialog() {
  QDialog* top = DialogStack::Instance().Top();
  if (!top || top->windowTitle().startsWith(QLatin1String("Velorantica")))
    return;
  top->close();
}

}  // namespace fw
