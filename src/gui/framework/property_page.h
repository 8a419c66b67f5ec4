#pragma once

#include <QWidget>
#include <vector>

#include "core/ui/dialog_template.h"
#include "gui/framework/window.h"

namespace fw {

class DataExchange;
class CPropertySheet;

// One page of the property sheet, built from a dialog template. Its window
// (the controls) is created the first time the page is shown, as with the
// system's property pages; until then the page has no window and transfers
// nothing.
class CPropertyPage : public QWidget, public Window {
  Q_OBJECT
 public:
  using Window::Item;

  explicit CPropertyPage(const vel::DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

  QString Caption() const;
  const vel::DialogTemplate& Template() const { return m_template; }
  // The size the page takes in its font (see TemplateSize).
  QSize TemplatePixelSize() const;

  bool HasWindow() const { return m_hasWindow; }
  // Creates the controls and runs OnInitDialog, once.
  void EnsureWindow();

  // Transfers between controls and settings; false when a field could not be
  // read (the transfer then stopped at that field).
  bool UpdateData(bool saveAndValidate = true);

  virtual bool OnSetActive();
  virtual bool OnKillActive();
  // The idle pass, sent while this page is on top; the answer goes back to
  // the loop (0: no further idle passes until new input).
  virtual int OnKickIdle(int idleCount);

  QWidget* GetDlgItem(int id) const;
  template <class T>
  T* Item(int id) const {
    return qobject_cast<T*>(GetDlgItem(id));
  }
  // The controls in template order.
  const std::vector<QWidget*>& Controls() const;
  CPropertySheet* Sheet() const;

 protected:
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  // A page may build a control itself (a custom widget); nullptr lets the
  // framework build it.
  virtual QWidget* CreateControl(const vel::ControlTemplate& control);

 private:
  void CreateControls();

  vel::DialogTemplate m_template;
  bool m_hasWindow = false;
  bool m_firstSetActive = true;
};

}  // namespace fw
