#include "gui/framework/ui_clock.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdint>

namespace fw {

std::int64_t UiClock::NowMs() {
  return vel::SteadyClock().NowMs();
}

void UiClock::WaitMs(std::uint32_t ms) {
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(std::min<std::uint32_t>(ms, INT32_MAX)));
  loop.exec(m_takesInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

UiClock& TheUiClock() {
  static UiClock clock;
  return clock;
}

UiClock& TheInputClock() {
  static UiClock clock(/*takesInput=*/true);
  return clock;
}

}  // namespace fw
