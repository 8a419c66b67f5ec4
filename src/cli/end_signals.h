#pragma once

#include <cstdint>

#include "core/platform/clock.h"

namespace cli {

// SIGINT and SIGTERM for the length of a command: each one is counted and
// wakes any wait through a pipe the handler writes to, so that waits end at
// once instead of sleeping on. The first signal asks a series to end after the
// shot under way; the second one ends it at once.
class EndSignals {
 public:
  EndSignals();
  ~EndSignals();  // restores the default handlers
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  // The signals that arrived so far.
  int Count();

  // Waits ms milliseconds, or until Count() reaches endAtCount; true when it
  // was cut short by a signal.
  bool Wait(std::int64_t ms, int endAtCount);

 private:
  void Drain();
  int m_count = 0;
};

// The clock the steps of a shot wait on. Its waits go on through the first
// signal, which lets the shot finish, but end at the second. From then on its
// time runs a day ahead, so that every wait for a deadline in the core (the
// camera's drive, the external program) is over at once.
class ShotClock final : public vel::Clock {
 public:
  explicit ShotClock(EndSignals& signals) : m_signals(signals) {}
  std::int64_t NowMs() override;
  void WaitMs(std::uint32_t ms) override;
  bool Aborted() { return m_signals.Count() >= 2; }

 private:
  EndSignals& m_signals;
};

}  // namespace cli
