// Links on Linux and other POSIX desktops: the desktop's opener, whose exit
// status tells whether the link was opened.

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/clock.h"
#include "core/weblink/open_link.h"

extern char** environ;

namespace vel {
namespace {

constexpr std::uint32_t kOpenerPollMs = 20;
constexpr std::string_view kFileNotFoundReason = "The specified file was not found.";
// xdg-open's status for a file that does not exist; every other failure
// (no tool, no program for the address, the program failed) means nothing
// on this desktop opens it.
constexpr int kXdgFileNotFound = 2;

// The openers in the order they are tried, each with the words before the
// address.
const std::vector<std::vector<std::string>> kOpeners = {{"xdg-open"}, {"gio", "open"}};

// Starts the first opener found on the search path; -1 when there is none.
pid_t StartOpener(std::string_view address) {
  for (std::vector<std::string> words : kOpeners) {
    words.emplace_back(address);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0)
      return pid;
  }
  return -1;
}

}  // namespace

Result OpenLinkWithDesktop(std::string_view address, Clock& clock) {
  const pid_t pid = StartOpener(address);
  if (pid < 0)
    return Result::Failure(LinkErrorText(kNoHandlerReason));
  const std::int64_t deadline = clock.NowMs() + kOpenerWaitMs;
  int status = 0;
  for (;;) {
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid)
      break;
    if (ended < 0 && errno != EINTR)
      return Result::Success();  // reaped elsewhere: nothing tells otherwise
    if (clock.NowMs() >= deadline) {
      // Still at it: it shows the link. Its end is awaited aside.
      std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
      return Result::Success();
    }
    clock.WaitMs(kOpenerPollMs);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
    return Result::Success();
  if (WIFEXITED(status) && WEXITSTATUS(status) == kXdgFileNotFound)
    return Result::Failure(LinkErrorText(kFileNotFoundReason));
  return Result::Failure(LinkErrorText(kNoHandlerReason));
}

}  // namespace vel
