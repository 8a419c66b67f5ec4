#pragma once

// The seam between the framework and a toolkit: what each toolkit (Qt,
// Win32) implements for the windows of the framework. Only the framework's
// own files include this; pages see the public headers.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/ui/dialog_template.h"
#include "gui/framework/window.h"

namespace fw {

class CDialog;
class CPropertyPage;
class CPropertySheet;

// The toolkit's side of one window: its controls by id and its timers.
class WindowImpl {
 public:
  virtual ~WindowImpl() = default;

  virtual bool Exists(int id) const = 0;
  virtual std::string Text(int id) const = 0;
  virtual void SetText(int id, std::string_view text) = 0;
  virtual bool Checked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual bool Enabled(int id) const = 0;
  virtual void Enable(int id, bool enable) = 0;
  virtual bool Shown(int id) const = 0;
  virtual void Show(int id, bool show) = 0;
  virtual bool Pushed(int id) const = 0;
  virtual void SetPushed(int id, bool pushed) = 0;
  virtual void SetToolTip(int id, std::string_view text) = 0;
  virtual void SetAccessibleName(int id, std::string_view name) = 0;
  virtual void SetFocus(int id) = 0;
  virtual void Redraw(int id) = 0;
  virtual Rect Geometry(int id) const = 0;
  virtual std::string Elided(int id, std::string_view text, int width) const = 0;

  virtual int ItemCount(int id) const = 0;
  virtual std::string ItemText(int id, int index) const = 0;
  virtual void AddItem(int id, std::string_view text) = 0;
  virtual void ClearItems(int id) = 0;
  virtual int Selection(int id) const = 0;
  virtual void Select(int id, int index) = 0;

  virtual void SetRange(int id, int lower, int upper) = 0;
  virtual TimeOfDay Time(int id) const = 0;
  virtual void SetTime(int id, TimeOfDay time) = 0;
  virtual void FitToText(int id) = 0;
  virtual void SetVisited(int id, bool visited) = 0;
  virtual void HoldThroughKeyRepeats(int id) = 0;

  virtual void ShowPicture(int id, const std::string& path, const std::string& source) = 0;
  virtual void SetProgress(int id, int done, int total) = 0;
  virtual int Progress(int id) const = 0;

  virtual void SetTimer(unsigned id, std::uint32_t ms) = 0;
  virtual void KillTimer(unsigned id) = 0;
  virtual bool TimerRunning(unsigned id) const = 0;

  // A page's controls, made when the page is first shown.
  virtual void CreateControls(const vel::DialogTemplate&) {}
};

// The toolkit's side of a modal dialog, its controls made with it.
class DialogImpl : public virtual WindowImpl {
 public:
  virtual int RunModal() = 0;
  virtual void End(int result) = 0;
};

// The toolkit's side of the property sheet: the tabs of its pages, its
// buttons (IDOK, IDCANCEL) and its modal loop, which tells the sheet when it
// first shows, when the user selects a page, when it goes idle, when Esc or
// the close box are used (as IDCANCEL clicked), and what the system reports.
class SheetImpl : public virtual WindowImpl {
 public:
  virtual void InsertPage(int index, CPropertyPage& page) = 0;
  virtual void RemovePage(int index) = 0;
  // Puts page in the place of old, keeping which page is shown.
  virtual void ReplacePage(int index, CPropertyPage& old, CPropertyPage& page) = 0;
  // Shows page index, without telling the sheet; before the window shows,
  // the page it opens on.
  virtual void SelectPage(int index) = 0;
  virtual int SelectedPage() const = 0;
  virtual int RunModal() = 0;
  virtual void End(int result) = 0;
  virtual void CloseDialogsAbove() = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual std::string Title() const = 0;
  virtual void SetProgramIcon() = 0;
  virtual void AddMinimizeBox() = 0;
};

// Each toolkit makes the windows of the framework's classes.
std::unique_ptr<WindowImpl> MakePageImpl(CPropertyPage& page);
std::unique_ptr<DialogImpl> MakeDialogImpl(CDialog& dialog,
                                           const vel::DialogTemplate& dialogTemplate,
                                           const Window* parent);
std::unique_ptr<SheetImpl> MakeSheetImpl(CPropertySheet& sheet);

// The rectangle a static text of textWidth x textHeight pixels takes in
// area, by its template's alignment flags (see Control::FitToText); the
// halves of an odd difference are cut towards zero, as integer division is.
Rect FitRectToText(const Rect& area, int textWidth, int textHeight, unsigned templateFlags);

}  // namespace fw
