#pragma once

#include <memory>
#include <vector>

namespace fw {

class Window;

// For as long as it lives, the wait cursor shows and the user's input to the
// program's window waits; once it ends, the input is handed on in the order
// it came. A step that must not be interrupted (a shot between two command
// bytes) so sees no click or key press, and none is lost. The waits inside
// such a step keep the window system's input queued themselves; the hold
// also catches input that reaches the controls directly, and lets through
// at once what the step must hear: the controls listed and, when asked, Esc.
class InputHold {
 public:
  struct Pass {
    const Window* window;
    int id;
  };

  InputHold(const Window& window, std::vector<Pass> passes, bool escapePasses);
  ~InputHold();
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

 private:
  struct Toolkit;
  std::unique_ptr<Toolkit> m_toolkit;
};

}  // namespace fw
