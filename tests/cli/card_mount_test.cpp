// The camera's device mounted by velorantica-cli itself, on a loop device in a mount namespace of
// the test's own.
#include "cli/card_mount.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "support/child_process.h"
#include "support/qvsim_recording.h"
#include "support/temp_dir.h"

namespace {

using namespace vel::test;

// Time passes as waited for, at once; each wait first runs what is due then.
struct PretendClock final : vel::Clock {
  std::int64_t now = 0;
  std::function<void(std::int64_t)> onWait;
  std::int64_t NowMs() override { return now; }
  void WaitMs(std::uint32_t ms) override {
    if (onWait)
      onWait(now);
    now += ms;
  }
};

// While a file on the card is open the unmount is refused: it is tried again for five seconds,
// then reported; once the file closes it goes.
TEST(CardMount, ABusyCardIsUnmountedOnceFreeOrReportedStillMounted) {
  if (!CanMountCards())
    GTEST_SKIP() << "needs root and loop devices";
  ASSERT_TRUE(IsolateMounts());
  TempDir dir;
  ChildProcess("/sbin/mkfs.ext4", {"-q", dir / "card.img", "4M"}).Wait(20000);
  ChildProcess losetup("/sbin/losetup", {"-f", "--show", dir / "card.img"});
  const std::string device = losetup.FirstLine();
  ASSERT_FALSE(device.empty()) << losetup.Errors();
  const std::unique_ptr<const std::string, void (*)(const std::string*)> detach(
      &device, [](const std::string* loop) {
        ChildProcess("/sbin/losetup", {"-d", *loop}).Wait(10000);
      });
  for (const std::int64_t freeAfterMs : {1000, -1}) {
    SCOPED_TRACE(freeAfterMs);
    cli::CardMount mount(device);
    PretendClock clock;
    ASSERT_TRUE(mount.Mount(clock, 0));
    int open = ::open((mount.MountPoint() + "/picture").c_str(), O_WRONLY | O_CREAT, 0600);
    clock.onWait = [&](std::int64_t now) {
      if (freeAfterMs >= 0 && now >= freeAfterMs && open >= 0)
        ::close(std::exchange(open, -1));
    };
    const vel::Result unmounted = mount.Unmount(clock);
    if (freeAfterMs >= 0) {
      EXPECT_TRUE(unmounted) << unmounted.Text();
      EXPECT_EQ(clock.now, freeAfterMs + cli::CardMount::kUnmountPollMs);
    } else {
      EXPECT_EQ(unmounted.Text().rfind("The camera's card is still mounted: " + device, 0), 0u)
          << unmounted.Text();
      EXPECT_GE(clock.now, cli::CardMount::kUnmountRetryMs);
      ::close(open);
      EXPECT_TRUE(mount.Unmount(clock));
    }
    EXPECT_EQ(TempDir::ReadFile("/proc/self/mountinfo").find(device), std::string::npos);
  }
}

}  // namespace
