#include "gui/framework/qt/time_picker.h"

#include <QLineEdit>
#include <QMouseEvent>

namespace fw {

TimePicker::TimePicker(QWidget* parent) : QTimeEdit(parent) {
  setDisplayFormat(QStringLiteral("HH:mm:ss"));
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lineEdit()->installEventFilter(this);
}

bool TimePicker::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lineEdit() || event->type() != QEvent::MouseButtonRelease ||
      static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
    return QTimeEdit::eventFilter(watched, event);
  // The edit places its cursor first, which makes the field under it the
  // current one.
  watched->event(event);
  if (!lineEdit()->hasSelectedText())
    setSelectedSection(currentSection());
  return true;
}

}  // namespace fw
