#pragma once

#include <cstdint>

namespace vel {

// Time and waiting for the core. The front end supplies a clock whose waits
// keep the window painting; tests supply one that only advances a counter.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic scale; only differences are meaningful.
  virtual std::int64_t NowMs() = 0;
  virtual void WaitMs(std::uint32_t ms) = 0;
  // Milliseconds since 1970-01-01 UTC, the wall clock, which the user or the
  // network may set forwards or back; by default the system's.
  virtual std::int64_t WallMs();
};

// A clock on std::chrono::steady_clock whose waits simply sleep.
Clock& SteadyClock();

}  // namespace vel
