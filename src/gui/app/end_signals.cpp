#include "gui/app/end_signals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end is all a handler may touch: it only passes the number on.
int g_pipe[2] = {-1, -1};

void OnEndSignal(int signalNumber) {
  const unsigned char number = static_cast<unsigned char>(signalNumber);
  const int saved = errno;
  (void)::write(g_pipe[1], &number, 1);
  errno = saved;
}

void SetHandlers(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : kEndSignals) ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] {
    unsigned char number = 0;
    while (::read(g_pipe[0], &number, 1) == 1) emit Received(number);
  });
  SetHandlers(OnEndSignal);
}

EndSignals::~EndSignals() {
  if (!m_notifier)
    return;
  SetHandlers(SIG_DFL);
  delete m_notifier;
  for (int& end : g_pipe) {
    ::close(end);
    end = -1;
  }
}

#else

EndSignals::EndSignals(QObject* parent) : QObject(parent) {}
EndSignals::~EndSignals() = default;

#endif
