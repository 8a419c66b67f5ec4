#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace fw {

class WindowImpl;

// What a control tells its window. Each notification goes to the handler
// the window's message map holds for the control's id and the event.
enum class Notify {
  Clicked,    // a button or check box was clicked, a link or picture activated
  SelChange,  // the user chose an entry of a list
  DropDown,   // a list is about to drop down: its entries may be filled again
  DeltaPos,   // an up-down arrow proposes a step of +1 or -1
};

// A place on a window, in pixels of its client area.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
};

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// One control of a window, named by its id, as the dialog templates give
// it. Texts are UTF-8. A control that does not exist, or the controls of a
// window that has none yet, answer with empty values and ignore changes.
class Control {
 public:
  Control(WindowImpl* window, int id) : m_window(window), m_id(id) {}

  int Id() const { return m_id; }
  bool Exists() const;

  std::string Text() const;
  void SetText(std::string_view text);
  bool Checked() const;
  void SetChecked(bool checked);
  bool Enabled() const;
  void Enable(bool enable = true);
  bool Shown() const;
  void Show(bool show = true);
  // A push button held down, by the mouse or the space bar.
  bool Pushed() const;
  void SetPushed(bool pushed);
  void SetToolTip(std::string_view text);
  // What assistive technology announces for the control.
  void SetAccessibleName(std::string_view name);
  void SetFocus();
  // Paints the control at once, not at the next pass of the event loop.
  void Redraw();

  Rect Geometry() const;
  // text shortened in its middle, as the control's font draws it, so that it
  // takes at most width pixels.
  std::string Elided(std::string_view text, int width) const;

  // A list: its entries and the selected one (-1: none).
  int ItemCount() const;
  std::string ItemText(int index) const;
  void AddItem(std::string_view text);
  void ClearItems();
  int Selection() const;
  void Select(int index);

  // Up-down arrows: the range they step in, lower may be above upper.
  void SetRange(int lower, int upper);

  // A time picker: hours 0 to 23, minutes and seconds.
  TimeOfDay Time() const;
  void SetTime(TimeOfDay time);

  // A static text takes exactly the size of its text and moves as its
  // alignment says: left-aligned keeps its left edge, right-aligned its
  // right edge, centred its centre; top-aligned keeps its top, vertically
  // centred its middle.
  void FitToText();

  // A link: drawn in the visited colour rather than the link colour.
  void SetVisited(bool visited);

  // A picture: shows the file source (the picture at path, or its
  // thumbnail) scaled down to the control, decoded without holding up the
  // window; its tooltip and description name path. Activating it (a click,
  // Enter or Space) notifies Clicked.
  void ShowPicture(const std::string& path, const std::string& source);

  // A progress bar: done of total steps (total 0: nothing to tell yet).
  void SetProgress(int done, int total);
  int Progress() const;

  // A button that stands for a camera key: the keyboard's repeats never let
  // it come up and go down again while its key is held.
  void HoldThroughKeyRepeats();

 private:
  WindowImpl* m_window;
  int m_id;
};

// What every window of the framework has: its controls by id, a message map
// of handlers by control id and event, and timers by id. The toolkit's side
// of the window (WindowImpl) delivers the notifications and the ticks.
class Window {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  Control Item(int id) const { return Control(m_impl.get(), id); }

  // Starts the timer under id, or starts it again: every ms milliseconds it
  // calls OnTimer with the id, until KillTimer. A tick never comes early.
  void SetTimer(unsigned id, std::uint32_t ms);
  void KillTimer(unsigned id);
  bool TimerRunning(unsigned id) const;
  virtual void OnTimer(unsigned id);

  // A control's notification, sent to the handler mapped for it (if any).
  // The toolkit calls it; tests may too.
  void Dispatch(int id, Notify event, int value = 0);

  WindowImpl* Impl() const { return m_impl.get(); }

  // Maps a handler for a control's event; a control's own object (a link)
  // adds its handler too.
  void Map(int id, Notify event, std::function<void(int value)> handler);

  // The bytes a data exchange loaded into control id, as it then showed
  // them: a string setting keeps its exact bytes while the text stays.
  void RememberLoaded(int id, std::string bytes, std::string shown);
  const std::string* LoadedBytes(int id, const std::string& shown) const;

 protected:
  // The message map: handlers by control id and event.
  template <class W>
  void MapClick(int id, void (W::*handler)()) {
    Map(id, Notify::Clicked, [this, handler](int) { (static_cast<W*>(this)->*handler)(); });
  }
  template <class W>
  void MapSelChange(int id, void (W::*handler)()) {
    Map(id, Notify::SelChange, [this, handler](int) { (static_cast<W*>(this)->*handler)(); });
  }
  template <class W>
  void MapDropDown(int id, void (W::*handler)()) {
    Map(id, Notify::DropDown, [this, handler](int) { (static_cast<W*>(this)->*handler)(); });
  }
  template <class W>
  void MapDeltaPos(int id, void (W::*handler)(int delta)) {
    Map(id, Notify::DeltaPos,
        [this, handler](int delta) { (static_cast<W*>(this)->*handler)(delta); });
  }
  void SetImpl(std::unique_ptr<WindowImpl> impl);

 private:
  std::unique_ptr<WindowImpl> m_impl;
  std::map<std::pair<int, Notify>, std::function<void(int)>> m_messageMap;
  std::map<int, std::pair<std::string, std::string>> m_loaded;  // id: bytes, shown
};

}  // namespace fw
