#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gui/framework/window.h"

namespace fw {

class CPropertyPage;
class SheetImpl;

// A modal sheet of tab pages with OK and Cancel buttons below them. Pages
// save their controls when the user leaves them and load them again when
// they come back. Whenever the sheet's own event loop is about to wait for
// input, the active page gets one idle pass; nested modal loops (message
// boxes, sub-dialogs) never run it.
class CPropertySheet : public Window {
 public:
  static constexpr int IDOK = 1;
  static constexpr int IDCANCEL = 2;

  CPropertySheet();
  ~CPropertySheet() override;

  void AddPage(CPropertyPage* page);
  // Removes the page from the sheet and deletes it.
  void DeletePage(CPropertyPage* page);
  // Puts page where old was (the same tab) and deletes old.
  void ReplacePage(CPropertyPage* old, CPropertyPage* page);
  int GetPageCount() const;
  CPropertyPage* GetPage(int index) const;
  CPropertyPage* GetActivePage() const;
  int GetActiveIndex() const;
  // Before the sheet shows: the page it opens on; afterwards: switches pages.
  void SetActivePage(int index);

  int DoModal();
  // Ends DoModal with result (IDOK or IDCANCEL).
  void EndDialog(int result);
  // Closes the boxes and dialogs open over the sheet, the one on top first;
  // a dialog's own Cancel runs as it closes.
  void CloseDialogsAbove();

  void SetTitle(std::string_view title);
  std::string Title() const;
  // The program's icon in the title bar, the task bar and the About page.
  void SetProgramIcon();
  void AddMinimizeBox();

  // One idle pass, as the event loop runs it; answered by the active page.
  virtual int OnKickIdle(int idleCount);

  // What the toolkit tells the sheet. The window shows for the first time:
  // the start page becomes active, then OnInitDialog runs.
  void OnFirstShown();
  // The user brought page index on top: the page left saves its controls,
  // the new one loads them (or makes its window).
  void OnPageSelected(int index);
  // A removable volume went away (the camera left USB mode).
  virtual void OnVolumeRemoved();
  // The system asks the program to end: an end signal, or the desktop
  // session ends.
  virtual void OnEndRequested();

 protected:
  virtual bool OnInitDialog();
  // The Cancel button, Esc and the close box.
  virtual void OnCancelCommand();

 private:
  int IndexOf(const CPropertyPage* page) const;

  SheetImpl* m_sheet;
  std::vector<CPropertyPage*> m_pages;
  int m_startPage = 0;
  int m_shownPage = -1;
  bool m_initDone = false;
};

}  // namespace fw
