#pragma once

#include "core/ui/dialog_template.h"
#include "gui/framework/window.h"

namespace fw {

class DialogImpl;

// A modal dialog built from a template: a caption, no system menu and no
// close box. The button with id 2 (IDCANCEL) and Esc end it.
class CDialog : public Window {
 public:
  static constexpr int IDCANCEL = 2;

  // The dialog is owned by parent, or else by the window active when it is
  // made.
  explicit CDialog(const vel::DialogTemplate& dialogTemplate, const Window* parent = nullptr);
  ~CDialog() override;

  int DoModal();
  void EndDialog(int result);

 protected:
  virtual void OnCancel();

 private:
  DialogImpl* m_dialog;
};

}  // namespace fw
