// velorantica-cli with qvsim as its camera: what reached the camera is read
// from qvsim's recording of the bytes and the times they arrived.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using vel::test::ChildProcess;
using vel::test::TempDir;
namespace fs = std::filesystem;

const Bytes kShutter = {0x42, 0x62};

class Cli : public ::testing::Test {
 protected:
  // Starts qvsim and writes the profile naming its terminal.
  void StartCamera(int model, const std::string& profileLines = "",
                   std::vector<std::string> qvsimArgs = {}) {
    qvsimArgs.insert(qvsimArgs.end(), {"--model", std::to_string(model), "--record", m_recording});
    m_camera = std::make_unique<ChildProcess>(QVSIM_PROGRAM, qvsimArgs);
    const std::string port = m_camera->FirstLine(20000);
    ASSERT_FALSE(port.empty()) << m_camera->Errors();
    TempDir::WriteFile(m_profile, "[Options]\nComPort=" + port +
                                      "\nModel=" + std::to_string(model) + "\n" + profileLines);
  }
  std::unique_ptr<ChildProcess> Start(std::vector<std::string> args) {
    args.insert(args.end(), {"--profile", m_profile});
    return std::make_unique<ChildProcess>(
        CLI_PROGRAM, args,
        std::vector<std::string>{"XDG_CONFIG_HOME=" + m_dir.Path(),
                                 "XDG_STATE_HOME=" + m_dir.Path()});
  }
  // The bytes the camera received, once it is stopped.
  Bytes Received() {
    m_camera->Stop(SIGTERM);
    std::ifstream recording(m_recording);
    long ms;
    std::string hex;
    Bytes bytes;
    m_times.clear();
    while (recording >> ms >> hex) {
      m_times.push_back(ms);
      bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
    }
    return bytes;
  }

  TempDir m_dir;
  const std::string m_profile = m_dir / "profile.ini", m_recording = m_dir / "recording";
  std::unique_ptr<ChildProcess> m_camera;
  std::vector<long> m_times;  // milliseconds, one per received byte
};

TEST_F(Cli, KeysAndTheSwitchSendTheirBytes) {
  struct Case {
    std::vector<std::string> args;
    int model;
    Bytes bytes;
    long heldMs;  // at least, from the first byte to the second
  } cases[] = {
      {{"key", "Shutter"}, 5, kShutter, 0},
      {{"key", "focus lock", "--hold", "0.3"}, 7, {0x41, 0x61}, 290},
      {{"switch"}, 5, {0x4D, 0x6D}, 240},
      {{"switch", "--model", "7"}, 5, {0x4D, 0x85, 0x88}, 240},  // no release, but the modes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    StartCamera(c.model);
    auto cli = Start(c.args);
    EXPECT_EQ(cli->Wait(10000), 0) << cli->Errors();
    ASSERT_EQ(Received(), c.bytes);
    EXPECT_GE(m_times[1] - m_times[0], c.heldMs);
  }
}

TEST_F(Cli, SeriesTakesItsShotsOnTheGridAndLogsThem) {
  StartCamera(5, "[Interval]\nCount=9\nSecond=5\n");
  const std::string profileBefore = TempDir::ReadFile(m_profile);
  auto cli = Start({"series", "--count", "3", "--interval", "1"});
  ASSERT_EQ(cli->Wait(20000), 0) << cli->Errors();
  const Bytes bytes = Received();
  ASSERT_EQ(bytes.size(), 6u);
  for (std::size_t i = 0; i < 6; i += 2)
    EXPECT_EQ(Bytes(bytes.begin() + i, bytes.begin() + i + 2), kShutter);
  // Anchored at the end of the first shot, the later shots start 1 s apart.
  EXPECT_NEAR(m_times[4] - m_times[2], 1000, 60);
  EXPECT_NEAR(m_times[2] - m_times[1], 1000, 60);
  const std::string out = cli->Output();
  EXPECT_NE(out.find("Shot 3 of 3 at "), std::string::npos) << out;
  const std::string log = out.substr(12, out.find('\n') - 12);  // "Series log: "
  EXPECT_NE(TempDir::ReadFile(log).find("3 pictures taken"), std::string::npos) << log;
  EXPECT_EQ(TempDir::ReadFile(m_profile), profileBefore);
}

// The first signal ends the series after the shot under way, the second at
// once, with the held shutter let go.
TEST_F(Cli, SignalsEndTheSeries) {
  struct Case {
    std::vector<std::string> args;
    std::string waitFor;
    int signals, status;
    std::string says;
    std::size_t shots;
  } cases[] = {
      {{"--endless", "--interval", "1"}, "Shot 2 at", 1, 0, "cancelled", 2},
      {{"--count", "2", "--bulb", "30", "--interval", "1"}, "Series log", 2, 1, "Ended at once", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    StartCamera(5);
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "series");
    auto cli = Start(args);
    ASSERT_TRUE(cli->WaitFor(c.waitFor)) << cli->Errors();
    ::usleep(300'000);
    for (int i = 0; i < c.signals; ++i) cli->Signal(SIGINT), ::usleep(50'000);
    EXPECT_EQ(cli->Wait(5000), c.status) << cli->Output();
    EXPECT_NE(cli->Output().find(c.says), std::string::npos) << cli->Output();
    const Bytes bytes = Received();
    ASSERT_EQ(bytes.size(), 2 * c.shots);
    EXPECT_EQ(bytes.back(), 0x62) << "the shutter was left held";
  }
}

TEST_F(Cli, FailuresNameWhatToCheck) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string says;
  } cases[] = {
      {{"key", "Shutter", "--port", "/dev/velorantica-none"}, 1, "port /dev/velorantica-none"},
      {{"series", "--interval", "0"}, 2, "interval of 0"},
      {{"series", "--count", "0"}, 2, "--count takes"},
      {{"shoot"}, 2, "unknown command"},
      {{"key", "Bogus"}, 2, "Its keys:\n  Shutter\n  Mode"},
      {{"switch", "--model", "0"}, 2, "no REC/USB switch"},
  };
  TempDir::WriteFile(m_profile, "[Options]\nModel=5\n[Interval]\nCount=3\nSecond=1\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    auto cli = Start(c.args);
    EXPECT_EQ(cli->Wait(10000), c.status);
    EXPECT_NE(cli->Errors().find(c.says), std::string::npos) << cli->Errors();
  }
}

// Gives the test and its programs a mount table of their own, so that only the
// card qvsim mounts comes and goes.
bool IsolateMounts() {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file())
      names.insert(entry.path().filename());
  return names;
}

TEST_F(Cli, SeriesCopiesEveryPictureOffTheCard) {
  if (::geteuid() != 0 || !fs::exists("/dev/loop-control"))
    GTEST_SKIP() << "qvsim's card is an ext4 image on a loop mount: needs root and loop devices";
  ASSERT_TRUE(IsolateMounts()) << "no mount namespace of its own";
  const std::string pictures = m_dir / "pictures";
  StartCamera(5, "DelayRecUsb=4\nDelayUsbRec=1\n",
              {"--card", m_dir / "card", "--label", "CLICAM" + std::to_string(::getpid()),
               "--mount-delay", "1500"});
  auto cli = Start({"series", "--count", "3", "--interval", "1", "--copy", pictures, "--delete"});
  EXPECT_EQ(cli->Wait(60000), 0) << cli->Output() << cli->Errors();
  const std::set<std::string> taken = {"CIMG0001.JPG", "CIMG0002.JPG", "CIMG0003.JPG"};
  EXPECT_EQ(FilesIn(pictures), taken);
  EXPECT_EQ(Received().back(), 0x6D) << "the camera was left in USB mode";
}

}  // namespace

namespace {

// Without an automounter: the program mounts the camera's device itself.
TEST_F(Cli, CardDeviceIsMountedForTheCopyAndUnmountedBeforeTheSwitchBack) {
  if (::geteuid() != 0 || !fs::exists("/dev/loop-control"))
    GTEST_SKIP() << "the card is an ext4 image on a loop device: needs root and loop devices";
  ASSERT_TRUE(IsolateMounts()) << "no mount namespace of its own";
  const std::string tree = m_dir / "tree/DCIM/100CASIO/PREVIEW", image = m_dir / "card.img";
  fs::create_directories(tree);
  TempDir::WriteFile(tree + "/CIMG0007.JPG", "thumbnail");
  TempDir::WriteFile(tree + "/../CIMG0007.JPG", "picture");
  ChildProcess("/sbin/mkfs.ext4", {"-q", "-d", m_dir / "tree", image, "4M"}).Wait(20000);
  ChildProcess losetup("/sbin/losetup", {"-f", "--show", image});
  const std::string device = losetup.FirstLine();
  ASSERT_FALSE(device.empty()) << losetup.Errors();
  StartCamera(5, "DelayRecUsb=2\nDelayUsbRec=1\n");
  auto cli = Start({"series", "--interval", "1", "--copy", m_dir / "out", "--card-device", device});
  EXPECT_EQ(cli->Wait(20000), 0) << cli->Output() << cli->Errors();
  ChildProcess("/sbin/losetup", {"-d", device}).Wait(10000);
  EXPECT_EQ(TempDir::ReadFile(m_dir / "out/CIMG0007.JPG"), "picture");
  EXPECT_EQ(TempDir::ReadFile("/proc/self/mountinfo").find(device), std::string::npos);
}

}  // namespace
