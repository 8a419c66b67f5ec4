#pragma once

#include <cstdint>

#include "core/platform/clock.h"
#include "core/platform/end_signals.h"

namespace cli {

// The clock the steps of a series wait on. Its waits go on through the first
// end signal, which lets the shot finish, but end at the second. From then
// on its time runs a day ahead, so that every wait for a deadline in the
// core (the camera's drive, the external program) is over at once.
class ShotClock final : public vel::Clock {
 public:
  explicit ShotClock(vel::EndSignals& signals) : m_signals(signals) {}
  std::int64_t NowMs() override;
  void WaitMs(std::uint32_t ms) override;
  bool Aborted() { return m_signals.Count() >= 2; }

 private:
  vel::EndSignals& m_signals;
};

}  // namespace cli
