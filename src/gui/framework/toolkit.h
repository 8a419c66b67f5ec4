#pragma once

// The seam between the framework and a toolkit: what each toolkit (Qt,
// Win32) implements for the windows of the framework. Only the framework's
// own files include this; pages see the public headers.

#include <cstdint>
#include <string>
#include <string_view>

#include "gui/framework/window.h"

namespace fw {

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

  virtual void SetTimer(unsigned id, std::uint32_t ms) = 0;
  virtual void KillTimer(unsigned id) = 0;
  virtual bool TimerRunning(unsigned id) const = 0;
};

// The rectangle a static text of textWidth x textHeight pixels takes in
// area, by its template's alignment flags (see Control::FitToText); the
// halves of an odd difference are cut towards zero, as integer division is.
Rect FitRectToText(const Rect& area, int textWidth, int textHeight, unsigned templateFlags);

}  // namespace fw
