#include "gui/framework/qt/drop_down_list.h"

namespace fw {

void DropDownList::showPopup() {
  emit DroppingDown();
  QComboBox::showPopup();
}

}  // namespace fw
