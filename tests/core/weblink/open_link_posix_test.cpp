// The desktop's opener, stood in for by scripts on the search path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "core/platform/clock.h"
#include "core/weblink/open_link.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

// Time passes as waited for, and as much again in real time a tenth as long.
struct QuickClock final : Clock {
  std::int64_t now = 0;
  std::int64_t NowMs() override { return now; }
  void WaitMs(std::uint32_t ms) override {
    ::usleep(ms * 100);
    now += ms;
  }
};

// The opener's status is the answer: a link it cannot open is not shown as opened, the reason
// in the box; one it is still opening when the wait is over is taken as opened.
TEST(OpenLinkWithDesktop, TheOpenersExitStatusTellsWhetherTheLinkOpened) {
  test::TempDir dir;
  const std::string address = "http://www.example.org/velorantica";
  const std::string noHandler = LinkErrorText(kNoHandlerReason);
  // The opener installed ("" none), what it does, and the outcome.
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"xdg-open", "exit 0", ""},
      {"xdg-open", "exit 4", noHandler},
      {"xdg-open", "exit 2", LinkErrorText("The specified file was not found.")},
      {"xdg-open", "kill -TERM $$", noHandler},
      {"gio", "[ \"$1\" = open ] && exit 0; exit 3", ""},
      {"gio", "exit 1", noHandler},
      {"", "", noHandler},
      {"xdg-open", "exec /bin/sleep 300", ""},
  };
  const std::string previousPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  for (const auto& [opener, does, says] : cases) {
    SCOPED_TRACE(opener + ": " + does);
    const std::string bin = dir / std::to_string(&opener - &std::get<0>(cases[0]));
    std::filesystem::create_directories(bin);
    const std::string pidFile = bin + "/pid";
    if (!opener.empty()) {
      // Only the address, as the last word, is what the opener is given to open.
      test::TempDir::WriteFile(bin + "/" + opener,
                               "#!/bin/sh\necho $$ > '" + pidFile +
                                   "'\nfor word; do last=$word; done\n[ \"$last\" = '" + address +
                                   "' ] || exit 9\n" + does + "\n");
      ::chmod((bin + "/" + opener).c_str(), 0755);
    }
    ::setenv("PATH", bin.c_str(), 1);
    QuickClock clock;
    EXPECT_EQ(OpenLinkWithDesktop(address, clock).Text(), says);
    EXPECT_LE(clock.now, kOpenerWaitMs + 100);
    if (const std::string pid = test::TempDir::ReadFile(pidFile); !pid.empty())
      ::kill(std::stoi(pid), SIGKILL);
  }
  ::setenv("PATH", previousPath.c_str(), 1);
}

}  // namespace
}  // namespace vel
