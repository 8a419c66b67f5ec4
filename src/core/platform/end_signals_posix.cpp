#include "core/platform/end_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace vel {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end is all the handler may touch: it only says that one came.
int g_pipe[2] = {-1, -1};

void OnEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  (void)!::write(g_pipe[1], &byte, 1);
  errno = saved;
}

void SetHandler(int signalNumber, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

EndSignals::EndSignals() {
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    g_pipe[0] = g_pipe[1] = -1;
  for (int signalNumber : kEndSignals) SetHandler(signalNumber, OnEndSignal);
  SetHandler(SIGPIPE, SIG_IGN);
}

EndSignals::~EndSignals() {
  for (int signalNumber : kEndSignals) SetHandler(signalNumber, SIG_DFL);
  SetHandler(SIGPIPE, SIG_DFL);
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

void EndSignals::SleepUntilWoken(std::int64_t ms) {
  pollfd wake{g_pipe[0], POLLIN, 0};
  ::poll(&wake, 1, static_cast<int>(std::min<std::int64_t>(ms, 1 << 30)));
}

int EndSignals::WakeDescriptor() const {
  return g_pipe[0];
}

}  // namespace vel
