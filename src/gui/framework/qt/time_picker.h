#pragma once

#include <QTimeEdit>

namespace fw {

// A 24-hour hours:minutes:seconds picker. A click into a field selects it,
// as Tab does, so that the digits typed next replace it (the system's picker
// behaves the same); a range dragged with the mouse stays as dragged.
class TimePicker : public QTimeEdit {
 public:
  explicit TimePicker(QWidget* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace fw
