// qvsim: a stand-in Casio QV camera on a pseudo-terminal.

#include <sys/signalfd.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "qvsim/camera.h"
#include "qvsim/card.h"
#include "qvsim/options.h"

namespace {

std::string SelfPath() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

// SIGINT, SIGTERM and SIGHUP are taken as lines on a descriptor, so the
// serving loop ends between two bytes and can clean up.
int StopSignals() {
  sigset_t stops;
  sigemptyset(&stops);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
  ::pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return ::signalfd(-1, &stops, SFD_CLOEXEC);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], qvsim::kCardHelperFlag) == 0)
    return qvsim::RunCardHelper(argc - 1, argv + 1);

  std::string error;
  const auto options = qvsim::ParseOptions(argc - 1, argv + 1, error);
  if (!options) {
    std::fprintf(stderr, "qvsim: %s\n%s", error.c_str(), qvsim::UsageText().c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(qvsim::UsageText().c_str(), stdout);
    return 0;
  }

  const int signals = StopSignals();
  qvsim::Console console(stdout);
  qvsim::VirtualCamera camera(*options, SelfPath(), console);
  if (!camera.Start(error)) {
    std::fprintf(stderr, "qvsim: %s\n", error.c_str());
    return 1;
  }
  camera.Run(signals);
  return 0;
}
