#pragma once

#include <string>

#include "core/ui/dialog_template.h"
#include "gui/framework/window.h"

namespace fw {

class DataExchange;
class CPropertySheet;

// One page of the property sheet, built from a dialog template. Its window
// (the controls) is created the first time the page is shown, as with the
// system's property pages; until then the page has no window and transfers
// nothing.
class CPropertyPage : public Window {
 public:
  explicit CPropertyPage(const vel::DialogTemplate& dialogTemplate);
  ~CPropertyPage() override;

  std::string Caption() const;
  const vel::DialogTemplate& Template() const { return m_template; }

  bool HasWindow() const { return m_hasWindow; }
  // Creates the controls and runs OnInitDialog, once. The toolkit calls it
  // when the page is first shown.
  void EnsureWindow();

  // Transfers between controls and settings; false when a field could not be
  // read (the transfer then stopped at that field).
  bool UpdateData(bool saveAndValidate = true);

  virtual bool OnSetActive();
  virtual bool OnKillActive();
  // The idle pass, sent while this page is on top; the answer goes back to
  // the loop (0: no further idle passes until new input).
  virtual int OnKickIdle(int idleCount);

  // The sheet the page is on; null while it is on none.
  CPropertySheet* Sheet() const { return m_sheet; }
  void SetSheet(CPropertySheet* sheet) { m_sheet = sheet; }

 protected:
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);

 private:
  vel::DialogTemplate m_template;
  CPropertySheet* m_sheet = nullptr;
  bool m_hasWindow = false;
  bool m_firstSetActive = true;
};

}  // namespace fw
