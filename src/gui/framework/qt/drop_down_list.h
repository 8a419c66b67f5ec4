#pragma once

#include <QComboBox>

namespace fw {

// A drop-down list that says when it is about to drop down, before its
// entries show, so that its window can fill them again (the system's list
// notifies the same).
class DropDownList : public QComboBox {
  Q_OBJECT
 public:
  explicit DropDownList(QWidget* parent) : QComboBox(parent) {}

  void showPopup() override;

 signals:
  void DroppingDown();
};

}  // namespace fw
