#include "cli/end_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace cli {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
constexpr std::int64_t kAbortedAheadMs = 24LL * 60 * 60 * 1000;
int g_pipe[2] = {-1, -1};  // the handler's only way to reach the program

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  (void)!::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

EndSignals::EndSignals() {
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    g_pipe[0] = g_pipe[1] = -1;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

EndSignals::~EndSignals() {
  for (int signal : kSignals) std::signal(signal, SIG_DFL);
  for (int& fd : g_pipe) {
    ::close(fd);
    fd = -1;
  }
}

void EndSignals::Drain() {
  char bytes[16];
  for (ssize_t got; (got = ::read(g_pipe[0], bytes, sizeof bytes)) > 0;)
    m_count += static_cast<int>(got);
}

int EndSignals::Count() {
  Drain();
  return m_count;
}

bool EndSignals::Wait(std::int64_t ms, int endAtCount) {
  const std::int64_t deadline = vel::SteadyClock().NowMs() + std::max<std::int64_t>(ms, 0);
  for (;;) {
    if (Count() >= endAtCount)
      return true;
    const std::int64_t left = deadline - vel::SteadyClock().NowMs();
    if (left <= 0)
      return false;
    pollfd wake{g_pipe[0], POLLIN, 0};
    ::poll(&wake, 1, static_cast<int>(std::min<std::int64_t>(left, 1 << 30)));
  }
}

std::int64_t ShotClock::NowMs() {
  return vel::SteadyClock().NowMs() + (Aborted() ? kAbortedAheadMs : 0);
}

void ShotClock::WaitMs(std::uint32_t ms) {
  m_signals.Wait(ms, 2);
}

}  // namespace cli
