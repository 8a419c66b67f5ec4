#include "gui/timelapse/input_hold.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

InputHold::InputHold(QWidget* window, PassFilter passes)
    : m_window(window), m_passes(std::move(passes)) {
  QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold() {
  QCoreApplication::instance()->removeEventFilter(this);
  // Posted, so that each goes its usual way once the step has returned.
  for (HeldEvent& held : m_held)
    if (held.receiver)
      QCoreApplication::postEvent(held.receiver, held.event.release());
}

bool InputHold::BelongsToWindow(QObject* receiver) const {
  auto* widget = qobject_cast<QWidget*>(receiver);
  return widget && m_window && widget->window() == m_window;
}

bool InputHold::eventFilter(QObject* receiver, QEvent* event) {
  if (!event->isInputEvent() || !BelongsToWindow(receiver))
    return false;
  if (m_passes && m_passes(receiver, event))
    return false;
  m_held.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
  return true;
}

ShotHold::ShotHold(QWidget* window, InputHold::PassFilter passes)
    : m_hold(window, std::move(passes)) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

ShotHold::~ShotHold() {
  QApplication::restoreOverrideCursor();
}
