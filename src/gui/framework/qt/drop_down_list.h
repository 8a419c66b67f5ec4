#pragma once

#include <QComboBox>

namespace fw {

// A drop-down list that says when it is about to drop down, before its
// entries show, so that its window can fill them again (the system's list
// notifies the same). Assistive technology announces it by its name (its
// label, "Exposure mode") and hears the chosen entry as its value, on every
// platform.
class DropDownList : public QComboBox {
  Q_OBJECT
 public:
  explicit DropDownList(QWidget* parent);

  void showPopup() override;

 signals:
  void DroppingDown();
};

}  // namespace fw
