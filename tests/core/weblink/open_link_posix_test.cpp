// The desktop's opener, stood in for by scripts on the search path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "core/platform/clock.h"
#include "core/weblink/open_link.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

// Time passes as waited for, really a tenth as long.
struct QuickClock final : Clock {
  std::int64_t now = 0;
  std::int64_t NowMs() override { return now; }
  void WaitMs(std::uint32_t ms) override { ::usleep(ms * 100), now += ms; }
};

// The opener's status (xdg-open's, else gio's) tells whether the link opened and, if not, why;
// one still opening when the wait is over is taken to show it.
TEST(OpenLinkWithDesktop, TheOpenersExitStatusTellsWhetherTheLinkOpened) {
  test::TempDir dir;
  const std::string address = "http://www.example.org/velorantica", pid = dir / "pid";
  const std::string noHandler = LinkErrorText(kNoHandlerReason);
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"xdg-open", "exit 0", ""},
      {"xdg-open", "exit 4", noHandler},
      {"xdg-open", "exit 2", LinkErrorText("The specified file was not found.")},
      {"gio", "[ \"$1\" = open ] || exit 3", ""},
      {"", "", noHandler},
      {"xdg-open", "exec /bin/sleep 300", ""},
  };
  const std::string path = std::getenv("PATH");
  for (const auto& [opener, does, says] : cases) {
    SCOPED_TRACE(opener + ": " + does);
    const std::string bin = dir / std::to_string(&opener - &std::get<0>(cases[0]));
    std::filesystem::create_directories(bin);
    // The opener is given the address as its last word.
    test::TempDir::WriteFile(bin + "/" + opener, "#!/bin/sh\necho $$ > " + pid +
                                                     "\nfor w; do last=$w; done\n[ \"$last\" = " +
                                                     address + " ] || exit 9\n" + does + "\n");
    ::chmod((bin + "/" + opener).c_str(), 0755);
    ::setenv("PATH", bin.c_str(), 1);
    QuickClock clock;
    EXPECT_EQ(OpenLinkWithDesktop(address, clock).Text(), says);
    EXPECT_LE(clock.now, kOpenerWaitMs + 100);
  }
  ::setenv("PATH", path.c_str(), 1);
  ::kill(std::stoi(test::TempDir::ReadFile(pid)), SIGKILL);
}

}  // namespace
}  // namespace vel
