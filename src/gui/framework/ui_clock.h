#pragma once

#include "core/platform/clock.h"

namespace fw {

// The clock of the user-interface thread. Its waits run the event loop, so
// the window keeps painting and answering the desktop, but user input stays
// queued until the wait is over: the program's steps between two command
// bytes are never interrupted by a click.
class UiClock final : public vel::Clock {
 public:
  std::int64_t NowMs() override;
  void WaitMs(std::uint32_t ms) override;
};

UiClock& TheUiClock();

}  // namespace fw
