#include "core/platform/end_signals.h"

#include <algorithm>

#include "core/platform/clock.h"

namespace vel {

int EndSignals::Count() {
  Drain();
  return m_count;
}

bool EndSignals::Wait(std::int64_t ms, int endAtCount) {
  const std::int64_t deadline = SteadyClock().NowMs() + std::max<std::int64_t>(ms, 0);
  for (;;) {
    if (Count() >= endAtCount)
      return true;
    const std::int64_t left = deadline - SteadyClock().NowMs();
    if (left <= 0)
      return false;
    SleepUntilWoken(left);
  }
}

}  // namespace vel
