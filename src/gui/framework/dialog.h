#pragma once

#include <QDialog>

#include "core/ui/dialog_template.h"
#include "gui/framework/window.h"

namespace fw {

// A modal dialog built from a template: a caption, no system menu and no
// close box. The button with id 2 (IDCANCEL) and Esc end it.
class CDialog : public QDialog, public Window {
  Q_OBJECT
 public:
  static constexpr int IDCANCEL = 2;

  explicit CDialog(const vel::DialogTemplate& dialogTemplate, const Window* parent = nullptr);
  int DoModal();
  QWidget* GetDlgItem(int id) const;

 protected:
  virtual void OnCancel();
  void reject() override { OnCancel(); }
};

}  // namespace fw
