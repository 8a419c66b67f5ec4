#include "core/platform/clock.h"

#include <chrono>
#include <thread>

namespace vel {
namespace {

class SleepingClock final : public Clock {
 public:
  std::int64_t NowMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void WaitMs(std::uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

}  // namespace

std::int64_t Clock::WallMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

Clock& SteadyClock() {
  static SleepingClock clock;
  return clock;
}

}  // namespace vel
