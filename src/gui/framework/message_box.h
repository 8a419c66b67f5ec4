#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace fw {

class Window;

enum class BoxIcon { None, Error, Exclamation, Information, Question };

struct MessageBoxRequest {
  const Window* owner;
  std::string text;
  std::string caption;
  BoxIcon icon;
  bool question = false;  // Yes and No rather than OK
  // Raised through the framework's call, over whichever window is active.
  bool overActiveWindow = false;
};

// Every message box of the program goes through here. A hook set by a test
// receives the request instead of a window being shown, and answers a
// question (true for Yes).
using MessageBoxHook = std::function<bool(const MessageBoxRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The caption of the program's own boxes.
inline constexpr std::string_view ProgramCaption() {
  return "Velorantica";
}

// The executable's base name ("velorantica"), the caption of the boxes that
// the framework raises on the program's behalf.
std::string AppName();

// A modal box with a single OK button; owner null: a box of its own.
void MessageBox(const Window* owner, std::string_view text, std::string_view caption, BoxIcon icon);

// A question with Yes and No, No the default (Esc and the close box say No
// too); true when the user chose Yes.
bool AskYesNo(const Window* owner, std::string_view text, std::string_view caption);

// A box captioned with the application's name, over the active window.
void AfxMessageBox(std::string_view text, BoxIcon icon);

// A box that does not wait for its OK: it shows and returns at once, so
// that an unattended run goes on while it is open. The answer names it for
// CloseMessageBox; 0 with a test hook set (the hook got the request).
int ShowMessageBoxModeless(const Window* owner, std::string_view text, std::string_view caption,
                           BoxIcon icon);
// Closes a box ShowMessageBoxModeless opened, if it is still open.
void CloseMessageBox(int box);

namespace detail {
// The toolkit's boxes, shown when no hook is set.
bool ShowBox(const MessageBoxRequest& request);
int ShowModelessBox(const MessageBoxRequest& request);
void CloseModelessBox(int box);
}  // namespace detail

}  // namespace fw
