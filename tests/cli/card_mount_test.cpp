// The camera's device mounted by velorantica-cli itself, on a loop device in a mount namespace of
// the test's own.
#include "cli/card_mount.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/child_process.h"
#include "support/qvsim_recording.h"

namespace {

using namespace vel::test;

// While a file on the card is open the unmount is refused: it is tried again for five seconds on
// the clock, then reported; a card whose file closes meanwhile is unmounted.
TEST(CardMount, ABusyCardIsUnmountedOnceFreeOrReportedStillMounted) {
  if (!CanMountCards())
    GTEST_SKIP() << "needs root and loop devices";
  ASSERT_TRUE(IsolateMounts());
  TempDir dir;
  ChildProcess("/sbin/mkfs.ext4", {"-q", dir / "card.img", "4M"}).Wait(20000);
  ChildProcess losetup("/sbin/losetup", {"-f", "--show", dir / "card.img"});
  const std::string device = losetup.FirstLine();
  ASSERT_FALSE(device.empty()) << losetup.Errors();
  // Closes the file at a time on the clock (-1: never); time passes as waited for, at once.
  struct ClosingClock final : vel::Clock {
    std::int64_t now = 0, closeAt;
    int file;
    std::int64_t NowMs() override { return now; }
    void WaitMs(std::uint32_t ms) override {
      if (closeAt >= 0 && now >= closeAt && file >= 0)
        ::close(std::exchange(file, -1));
      now += ms;
    }
  };
  for (const std::int64_t closeAt : {1000, -1}) {
    cli::CardMount mount(device);
    ClosingClock clock;
    ASSERT_TRUE(mount.Mount(clock, 0));
    clock.closeAt = closeAt;
    clock.file = ::open((mount.MountPoint() + "/picture").c_str(), O_WRONLY | O_CREAT, 0600);
    const vel::Result unmounted = mount.Unmount(clock);
    EXPECT_EQ(unmounted.Ok(), closeAt >= 0);
    EXPECT_EQ(unmounted.Text().rfind(
                  closeAt < 0 ? "The camera's card is still mounted: " + device : "", 0),
              0u)
        << unmounted.Text();
    EXPECT_EQ(clock.now, closeAt < 0 ? cli::CardMount::kUnmountRetryMs
                                     : closeAt + cli::CardMount::kUnmountPollMs);
    ::close(clock.file);
    EXPECT_TRUE(mount.Unmount(clock));
  }
  ChildProcess("/sbin/losetup", {"-d", device}).Wait(10000);
}

}  // namespace
