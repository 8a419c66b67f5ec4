#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The framework has a MessageBox of its own.
#undef MessageBox

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "gui/framework/toolkit.h"

namespace fw::win32 {

std::wstring Wide(std::string_view text);
std::string Utf8(const std::wstring& text);

// The program's module and its icon (resource 128).
HINSTANCE Module();
HICON ProgramIcon(int size);

// A dialog template of the system's kind (DLGTEMPLATE and its items, in
// dialog units, in the "MS Shell Dlg" 8-point font) made from one of the
// core's templates; style is the dialog's own window style.
std::vector<WORD> BuildDialogTemplate(const vel::DialogTemplate& dialogTemplate, DWORD style);

// The Win32 side of a window: its dialog window (a page, a dialog or the
// sheet), its controls by id, the notifications that go to the window's
// message map, and its timers.
class Win32Window : public virtual WindowImpl {
 public:
  explicit Win32Window(Window& owner);
  ~Win32Window() override;

  Window& Owner() const { return m_owner; }
  HWND Handle() const { return m_hwnd; }
  // The dialog window was made from dialogTemplate (null for the sheet):
  // the controls get what the template cannot say (list entries, fonts,
  // icons, tooltips).
  void Attach(HWND hwnd, const vel::DialogTemplate* dialogTemplate);
  void Detach();
  // The messages of the dialog that the framework answers; true when
  // handled, with the answer in result.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  bool Exists(int id) const override;
  std::string Text(int id) const override;
  void SetText(int id, std::string_view text) override;
  bool Checked(int id) const override;
  void SetChecked(int id, bool checked) override;
  bool Enabled(int id) const override;
  void Enable(int id, bool enable) override;
  bool Shown(int id) const override;
  void Show(int id, bool show) override;
  bool Pushed(int id) const override;
  void SetPushed(int id, bool pushed) override;
  void SetToolTip(int id, std::string_view text) override;
  void SetAccessibleName(int id, std::string_view name) override;
  void SetFocus(int id) override;
  void Redraw(int id) override;
  Rect Geometry(int id) const override;
  std::string Elided(int id, std::string_view text, int width) const override;
  int ItemCount(int id) const override;
  std::string ItemText(int id, int index) const override;
  void AddItem(int id, std::string_view text) override;
  void ClearItems(int id) override;
  int Selection(int id) const override;
  void Select(int id, int index) override;
  void SetRange(int id, int lower, int upper) override;
  TimeOfDay Time(int id) const override;
  void SetTime(int id, TimeOfDay time) override;
  void FitToText(int id) override;
  void SetVisited(int id, bool visited) override;
  void HoldThroughKeyRepeats(int id) override;
  void ShowPicture(int id, const std::string& path, const std::string& source) override;
  void SetProgress(int id, int done, int total) override;
  int Progress(int id) const override;
  void SetTimer(unsigned id, std::uint32_t ms) override;
  void KillTimer(unsigned id) override;
  bool TimerRunning(unsigned id) const override;

  // A timer's tick from the timer window.
  void Tick(unsigned id);

 private:
  struct Timer {
    std::uint32_t intervalMs = 0;
    std::int64_t startedMs = 0;
    bool running = false;
  };
  struct Picture {
    HBITMAP bitmap = nullptr;
    std::string path;
  };

  HWND Control(int id) const;
  vel::ControlKind KindOf(int id) const;
  bool DrawItem(const DRAWITEMSTRUCT& item);
  void ArmTimer(unsigned id, std::uint32_t ms);

  Window& m_owner;
  HWND m_hwnd = nullptr;
  HWND m_toolTip = nullptr;
  HWND m_timerWindow = nullptr;
  HFONT m_linkFont = nullptr;
  std::map<int, vel::ControlKind> m_kinds;
  std::map<int, bool> m_visited;
  std::map<int, Picture> m_pictures;
  std::map<unsigned, Timer> m_timers;
};

Win32Window* ImplOf(const Window* window);
// The dialog window of a window of the framework; null for none.
HWND HandleOf(const Window* window);

}  // namespace fw::win32
