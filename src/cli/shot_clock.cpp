#include "cli/shot_clock.h"

namespace cli {
namespace {

constexpr std::int64_t kAbortedAheadMs = 24LL * 60 * 60 * 1000;

}  // namespace

std::int64_t ShotClock::NowMs() {
  return vel::SteadyClock().NowMs() + (Aborted() ? kAbortedAheadMs : 0);
}

void ShotClock::WaitMs(std::uint32_t ms) {
  m_signals.Wait(ms, 2);
}

}  // namespace cli
