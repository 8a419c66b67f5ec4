#pragma once

#include "core/platform/clock.h"

namespace fw {

// The clock of the user-interface thread. Its waits run the event loop, so
// the window keeps painting and answering the desktop. By default the user's
// input stays queued until the wait is over: the program's steps between two
// command bytes are never interrupted by a click. A clock made to take input
// delivers it during its waits (an InputHold may then sort it).
class UiClock final : public vel::Clock {
 public:
  explicit UiClock(bool takesInput = false) : m_takesInput(takesInput) {}
  std::int64_t NowMs() override;
  void WaitMs(std::uint32_t ms) override;

 private:
  bool m_takesInput;
};

UiClock& TheUiClock();

// The clock for waits the user may cut short (the external program after a
// shot, which Cancel and Exit end).
UiClock& TheInputClock();

}  // namespace fw
