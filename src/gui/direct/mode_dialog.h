#pragma once

#include "core/direct/direct_pages.h"
#include "gui/framework/dialog.h"

// A small modal dialog opened while a camera button is held: each of its
// buttons sends a press/release pair of another key; "OK" and Esc end it.
class CModeDialog : public fw::CDialog {
  Q_OBJECT
 public:
  explicit CModeDialog(const vel::ModeDialog& dialog, QWidget* parent = nullptr);
};
