#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QDialog;

namespace fw {

// The program's top-level dialogs in stacking order, as far as this program
// can know it: a dialog moves to the top when it is shown or activated.
// Qt does not tell the window system's stacking order, and this is the order
// a user sees for the program's own windows.
class DialogStack : public QObject {
 public:
  static DialogStack& Instance();

  // The visible dialog on top, or null.
  QDialog* Top();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DialogStack();
  std::vector<QPointer<QDialog>> m_order;  // bottom first
};

// Closes the dialog on top unless its title begins with "Velorantica": a box
// left open by a failed step must not pile up under the next one.
void CloseForeignDialog();

}  // namespace fw
