#include "gui/direct/mode_dialog.h"

#include <QPushButton>

#include "gui/direct/direct_control_page.h"

CModeDialog::CModeDialog(const vel::ModeDialog& dialog, QWidget* parent)
    : fw::CDialog(dialog.dialog, parent) {
  for (const vel::KeyRow& key : dialog.buttons) {
    auto* button = qobject_cast<QPushButton*>(GetDlgItem(key.id));
    if (!button)
      continue;
    connect(button, &QPushButton::clicked, this, [key] {
      SendKeyBytes(key.press);
      SendKeyBytes(key.release);
    });
  }
}
