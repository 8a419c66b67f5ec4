// velorantica-cli with qvsim as its camera, what reached it read from qvsim's recording.
#include <fcntl.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>
#include <regex>
#include <thread>
#include <tuple>

#include "support/child_process.h"
#include "support/http_client.h"
#include "support/pseudo_terminal.h"
#include "support/qvsim_recording.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace vel::test;
namespace fs = std::filesystem;

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
  std::unique_ptr<ChildProcess> Start(std::vector<std::string> args,
                                      const std::string& outputPath = {}) {
    args.insert(args.end(), {"--profile", m_profile});
    return std::make_unique<ChildProcess>(
        CLI_PROGRAM, args,
        std::vector<std::string>{"XDG_CONFIG_HOME=" + m_dir.Path(),
                                 "XDG_STATE_HOME=" + m_dir.Path()},
        outputPath);
  }
  // What a line of the output gives after its label: the log of "Series log: PATH" (after the
  // plan), the address of "Status page: URL".
  static std::string LogOf(const std::string& output, const std::string& label = "Series log: ") {
    const std::size_t at = output.find(label) + label.size();
    return output.substr(at, output.find('\n', at) - at);
  }
  Recording Received() {
    if (m_camera)
      m_camera->Stop(SIGTERM);
    return ReadRecording(m_recording);
  }

  TempDir m_dir;
  const std::string m_profile = m_dir / "profile.ini", m_recording = m_dir / "recording";
  std::unique_ptr<ChildProcess> m_camera;
};

TEST_F(Cli, KeysAndTheSwitchSendTheirBytes) {
  // The arguments, the model, the bytes and how long at least the first was held: qvsim
  // stamps a byte when it reads it, which a busy machine may delay by a good part of 100 ms.
  const std::tuple<std::vector<std::string>, int, Bytes, long> cases[] = {
      {{"key", "Shutter"}, 5, {0x42, 0x62}, 0},
      {{"key", "focus lock", "--hold=0.3"}, 7, {0x41, 0x61}, 200},
      {{"switch"}, 5, {0x4D, 0x6D}, 150},
      {{"switch", "--model", "7"}, 5, {0x4D, 0x85, 0x88}, 150},  // no release, but the modes
      // The modes asked for go first, by name or number, the model by name.
      {{"key", "Shutter", "--model", "qv-4000", "--drive=1-image recording", "--exposure=5"},
       5,
       {0x85, 0x8A, 0x42, 0x62},
       0},
      {{"series", "--count=1", "--interval=1", "--model=QV-5700", "--exposure", "Program AE"},
       5,
       {0x83, 0x42, 0x62},
       0},
  };
  for (const auto& [args, model, bytes, heldMs] : cases) {
    SCOPED_TRACE(args.back());
    StartCamera(model);
    auto cli = Start(args);
    EXPECT_EQ(cli->Wait(10000), 0) << cli->Errors();
    const Recording received = Received();
    ASSERT_EQ(received.bytes, bytes);
    EXPECT_GE(received.GapBefore(1), heldMs);
  }
}

// Three shots, logged, the profile left as it was; output into a pipe that closes early is a
// failed write, not the end of the series.
TEST_F(Cli, SeriesTakesItsShotsAndLogsThemThroughAPipeClosedEarly) {
  StartCamera(5, "[Interval]\nCount=9\nSecond=5\n");
  const std::string profileBefore = TempDir::ReadFile(m_profile);
  ChildProcess shell(
      "/bin/sh",
      {"-c", std::string(CLI_PROGRAM) + " series --count 3 --interval 1 --profile '" + m_profile +
                 "' | head -n 2"},
      {"XDG_STATE_HOME=" + m_dir.Path()});
  ASSERT_EQ(shell.Wait(20000), 0) << shell.Errors();
  ASSERT_EQ(Received().bytes, (Bytes{0x42, 0x62, 0x42, 0x62, 0x42, 0x62}));
  const std::string log = LogOf(shell.Output());
  EXPECT_NE(TempDir::ReadFile(log).find("Series ended: 3 pictures taken"), std::string::npos)
      << log;
  EXPECT_EQ(TempDir::ReadFile(m_profile), profileBefore);
}

// The first end signal (Ctrl+C, SIGTERM, a dropped ssh session's SIGHUP) ends the series after
// the shot under way and a held key at once, the second ends the series at once: the shutter is
// never left held, and the log gets its end line.
TEST_F(Cli, SignalsEndTheSeriesAndLetTheCameraGo) {
  // The arguments, the output awaited, the signal and how many, the exit status and text, the
  // bytes the camera gets.
  using Case = std::tuple<std::vector<std::string>, std::string, int, int, int, std::string, int>;
  const Case cases[] = {
      {{"series", "--endless", "--interval", "1"}, "Shot 2 at", SIGINT, 1, 0, "cancelled", 4},
      {{"series", "--count=2", "--bulb=2", "--interval=1"}, "log: ", SIGHUP, 1, 0, "cancelled", 2},
      {{"series", "--count=2", "--bulb=30", "--interval=1"}, "log: ", SIGINT, 2, 1, "at once", 2},
      {{"key", "Shutter", "--hold", "5"}, "", SIGHUP, 1, 0, "", 2},
  };
  for (const auto& [args, waitFor, signal, signals, status, says, bytes] : cases) {
    SCOPED_TRACE(args[0] + " " + std::to_string(signal));
    StartCamera(5, "DelayBulb=0\n");
    auto cli = Start(args);
    ASSERT_TRUE(cli->WaitFor(waitFor)) << cli->Errors();
    ::usleep(500'000);
    for (int i = 0; i < signals; ++i) cli->Signal(signal), ::usleep(50'000);
    EXPECT_EQ(cli->Wait(5000), status) << cli->Output();
    EXPECT_NE(cli->Output().find(says), std::string::npos) << cli->Output();
    const Bytes received = Received().bytes;
    ASSERT_EQ(received.size(), std::size_t(bytes));
    EXPECT_EQ(received.back(), 0x62) << "the shutter was left held";
    if (args[0] == "series") {
      const std::string log = TempDir::ReadFile(LogOf(cli->Output()));
      EXPECT_NE(log.find("Series cancelled"), std::string::npos) << log;
    }
  }
}

// A start at a set time takes its first shot then; a duration ends the series on its grid.
TEST_F(Cli, ScheduledSeriesStartsAndEndsOnTime) {
  using namespace std::chrono;
  const auto wallNow = system_clock::now();
  const auto steadyNow = steady_clock::now();
  const std::time_t target = system_clock::to_time_t(wallNow) + 4;
  const auto targetSteady = steadyNow + (system_clock::from_time_t(target) - wallNow);
  char moment[32];
  tm local{};
  std::strftime(moment, sizeof moment, "%Y-%m-%d %H:%M:%S", ::localtime_r(&target, &local));

  const auto spawned = steady_clock::now();
  StartCamera(5);
  const auto seen = steady_clock::now();
  auto cli = Start({"series", "--start-at", moment, "--count=1", "--interval=1"});
  ASSERT_EQ(cli->Wait(20000), 0) << cli->Errors();
  EXPECT_NE(cli->Output().find("the first at " + std::string(moment).substr(0, 16)),
            std::string::npos)
      << cli->Output();
  // qvsim stamps bytes from its own start, which lies between spawned and seen.
  const Recording shot = Received();
  ASSERT_EQ(shot.bytes, (Bytes{0x42, 0x62}));
  const auto first = milliseconds(shot.times[0]);
  EXPECT_GT(spawned + first, targetSteady - milliseconds(200));
  EXPECT_LT(seen + first, targetSteady + milliseconds(200));

  StartCamera(5);
  cli = Start({"series", "--for", "5s", "--interval", "1"});
  ASSERT_EQ(cli->Wait(20000), 0) << cli->Errors();
  const Bytes bytes = Received().bytes;
  EXPECT_TRUE(bytes.size() == 10u || bytes.size() == 12u) << bytes.size();
}

// A series killed mid-way goes on with --resume, its numbering and its log.
TEST_F(Cli, AKilledSeriesGoesOnWhereItStopped) {
  StartCamera(5);
  auto first = Start({"series", "--count", "5", "--interval", "2"});
  ASSERT_TRUE(first->WaitFor("Shot 2 of 5 at")) << first->Errors();
  ::usleep(300'000);
  first->Stop(SIGKILL);
  auto resumed = Start({"series", "--resume"});
  ASSERT_EQ(resumed->Wait(20000), 0) << resumed->Output() << resumed->Errors();
  EXPECT_NE(resumed->Output().find("Shot 5 of 5 at"), std::string::npos) << resumed->Output();
  EXPECT_EQ(Received().bytes.size(), 10u);
  const std::string log = LogOf(resumed->Output());
  EXPECT_EQ(log, LogOf(first->Output()));
  const std::string text = TempDir::ReadFile(log);
  EXPECT_NE(text.find("Series resumed"), std::string::npos) << text;
  EXPECT_NE(text.find("5 pictures taken"), std::string::npos) << text;
  // Nothing is left to go on with.
  auto again = Start({"series", "--resume"});
  EXPECT_EQ(again->Wait(10000), 0);
  EXPECT_NE(again->Output().find("No series to go on with"), std::string::npos);
}

// The page answers during the series and after it, until the program is ended; 200 idle
// connections keep no shot off its grid.
TEST_F(Cli, SeriesServesItsStatusPageUntilEnded) {
  StartCamera(5);
  auto cli = Start({"series", "--count", "5", "--interval", "1", "--serve", "127.0.0.1:0"});
  ASSERT_TRUE(cli->WaitFor("Shot 1 of 5")) << cli->Output() << cli->Errors();
  ASSERT_NE(cli->Output().find("Status page: http://127.0.0.1:"), std::string::npos);
  const std::string url = LogOf(cli->Output(), "Status page: ");
  const HttpAnswer running = Curl(url + "status.json");
  EXPECT_NE(running.body.find("\"state\": \"running\","), std::string::npos) << running.body;
  EXPECT_NE(running.body.find("\"count\": 5,"), std::string::npos) << running.body;
  std::vector<int> idle;
  for (int i = 0; i < 200; ++i) idle.push_back(Connect(PortOf(url), "127.0.0.2"));
  ASSERT_TRUE(cli->WaitFor("stays up until Ctrl+C", 20000)) << cli->Output();
  const HttpAnswer ended = Curl(url + "status.json");
  for (const char* field : {"\"state\": \"ended\",", "\"shot\": 5,", "\"nextShotInMs\": null,"})
    EXPECT_NE(ended.body.find(field), std::string::npos) << field << "\n" << ended.body;
  EXPECT_EQ(cli->Stop(SIGTERM), 0) << cli->Errors();
  for (int fd : idle) ::close(fd);
  const Recording received = Received();
  ASSERT_EQ(received.bytes.size(), 10u);
  for (std::size_t press = 2; press < 10; press += 2)
    EXPECT_NEAR(received.GapBefore(press), 1000, 60) << press;
}

TEST_F(Cli, FailuresNameWhatToCheck) {
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{"key", "Shutter", "--port", "/dev/velorantica-none"}, 1, "port /dev/velorantica-none"},
      {{"series", "--interval", "0"}, 2, "interval of 0"},
      {{"series", "--count", "0"}, 2, "--count takes"},
      {{"shoot"}, 2, "unknown command"},
      {{"key", "Bogus"}, 2, "Its keys:\n  Shutter\n  Mode"},
      {{"switch", "--model", "0"}, 2, "no REC/USB switch"},
      {{"series", "--port="}, 2, "--port needs a value (PATH), not an empty one"},
      {{"series", "--delete=yes"}, 2, "--delete takes no value"},
      {{"key", "Shutter", "--model", "QV-4001"}, 2, "takes one of these (or its number"},
      {{"key", "Shutter", "--exposure", "Program AE"}, 2, "takes no exposure or drive mode"},
      {{"series", "--window", "7-18"}, 2, "--window cannot read the window \"7-18\""},
      {{"series", "--resume", "--count", "3"}, 2, "--count cannot be given with --resume"},
      {{"series", "--serve", "8080"}, 2, "--serve takes ADDR:PORT"},
      {{"series", "--serve", "192.0.2.1:8080"}, 1, "Cannot serve the status page on 192.0.2.1"},
  };
  TempDir::WriteFile(m_profile, "[Options]\nModel=5\n[Interval]\nCount=3\nSecond=1\n");
  for (const auto& [args, status, says] : cases) {
    SCOPED_TRACE(says);
    auto cli = Start(args);
    EXPECT_EQ(cli->Wait(10000), status);
    EXPECT_NE(cli->Errors().find(says), std::string::npos) << cli->Errors();
  }
}

// Help and version that cannot be written are a failure, said on standard error.
TEST_F(Cli, AFullOutputFails) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"series", "--help"}, {"--version"}}) {
    SCOPED_TRACE(args.front());
    ChildProcess cli(CLI_PROGRAM, args, {}, "/dev/full");
    EXPECT_EQ(cli.Wait(10000), 1);
    EXPECT_NE(cli.Errors().find("cannot write the "), std::string::npos) << cli.Errors();
  }
}

// On a terminal one line is rewritten, cut to its width, with the next shot and the planned end.
TEST_F(Cli, TheProgressLineFitsTheTerminal) {
  const std::regex nextShot(
      R"(Next shot at \d\d:\d\d:\d\d \(in 00:0[0-2]\) - planned end \d\d:\d\d:\d\d)");
  for (const unsigned short columns : {40, 200}) {
    SCOPED_TRACE(columns);
    StartCamera(5);
    PseudoTerminal terminal;
    const winsize size{24, columns, 0, 0};
    ASSERT_EQ(::ioctl(terminal.MasterFd(), TIOCSWINSZ, &size), 0);
    auto cli = Start({"series", "--count=2", "--interval=2"}, terminal.SlavePath());
    ASSERT_EQ(cli->Wait(20000), 0) << cli->Errors();
    const Bytes bytes = terminal.Read();
    const std::string out(bytes.begin(), bytes.end());
    std::size_t longest = 0, withNextShot = 0;
    for (std::size_t at = 0; (at = out.find("\r\033[K", at)) != std::string::npos;) {
      at += 4;
      const std::string line = out.substr(at, out.find_first_of("\r\n", at) - at);
      longest = std::max(longest, line.size());
      withNextShot += std::regex_search(line, nextShot);
    }
    if (columns == 40)
      EXPECT_EQ(longest, 39u) << out;
    else
      EXPECT_GT(withNextShot, 0u) << out;
  }
}

// Piped, a shot's line tells a failed copy's whole reason; the failures close on standard error.
TEST_F(Cli, PipedOutputTellsTheWholeReasonOfAFailure) {
  StartCamera(5, "DelayRecUsb=0\nDelayUsbRec=0\n");
  auto cli = Start({"series", "--interval=1", "--copy", m_dir / "out", "--card-device",
                    "/dev/velorantica-none"});
  EXPECT_EQ(cli->Wait(20000), 1) << cli->Errors();
  const std::string reason =
      "The camera's device /dev/velorantica-none did not appear within 0 s of the switch to USB "
      "mode. Check the USB cable";
  EXPECT_NE(cli->Output().find("copy failed: " + reason), std::string::npos) << cli->Output();
  EXPECT_EQ(cli->Output().find("Copy of shot"), std::string::npos) << cli->Output();
  EXPECT_NE(cli->Errors().find("Copy of shot 1 failed: " + reason), std::string::npos)
      << cli->Errors();
}

std::set<std::string> Pictures(int first, int last) {
  std::set<std::string> names;
  for (int n = first; n <= last; ++n) names.insert(PictureName(n));
  return names;
}

// The files of a folder (an ext4 image's when one is given), without its folders; none for a
// folder that is not there.
std::set<std::string> FilesIn(const std::string& folder, const std::string& image = {}) {
  std::set<std::string> names = !image.empty()             ? ImageListing(image, folder)
                                : fs::is_directory(folder) ? Listing(folder)
                                                           : std::set<std::string>{};
  std::erase_if(names, [](const std::string& name) { return name.ends_with('/'); });
  return names;
}

// Without an automounter: the program mounts the camera's device itself.
TEST_F(Cli, CardDeviceIsMountedForTheCopyAndUnmountedBeforeTheSwitchBack) {
  if (!CanMountCards())
    GTEST_SKIP() << "needs root and loop devices";
  ASSERT_TRUE(IsolateMounts());
  // A card image as the camera's: picture 7 and its thumbnail.
  const std::string image = m_dir / "card.img";
  TempDir tree;
  fs::create_directories(tree / "DCIM/100CASIO/PREVIEW");
  TempDir::WriteFile(tree / "DCIM/100CASIO/PREVIEW/CIMG0007.JPG", "thumbnail");
  TempDir::WriteFile(tree / "DCIM/100CASIO/CIMG0007.JPG", "picture");
  ChildProcess("/sbin/mkfs.ext4", {"-q", "-d", tree.Path(), image, "8M"}).Wait(20000);
  ChildProcess losetup("/sbin/losetup", {"-f", "--show", image});
  const std::string device = losetup.FirstLine();
  ASSERT_FALSE(device.empty()) << losetup.Errors();
  StartCamera(5, "DelayRecUsb=2\nDelayUsbRec=1\n");
  auto cli = Start({"series", "--interval", "1", "--copy", m_dir / "out", "--card-device", device,
                    "--serve", "127.0.0.1:0"});
  // The status page sends the stored picture, after the series too.
  ASSERT_TRUE(cli->WaitFor("stays up until", 20000)) << cli->Output() << cli->Errors();
  EXPECT_EQ(Curl(LogOf(cli->Output(), "Status page: ") + "last.jpg").body, "picture");
  EXPECT_EQ(cli->Stop(SIGTERM), 0);
  ChildProcess("/sbin/losetup", {"-d", device}).Wait(10000);
  EXPECT_EQ(TempDir::ReadFile(m_dir / "out/CIMG0007.JPG"), "picture");
  EXPECT_EQ(TempDir::ReadFile("/proc/self/mountinfo").find(device), std::string::npos);
}

// The pictures and thumbnails are copied off the card and deleted there until the stick with
// the destination is pulled: the copies after it are refused, nothing goes to the folder left
// behind, and their pictures stay on the camera, which is left in REC mode.
TEST_F(Cli, ThePicturesOfADestinationPulledMidSeriesStayOnTheCamera) {
  if (!CanMountCards())
    GTEST_SKIP() << "needs root and loop devices";
  ASSERT_TRUE(IsolateMounts());
  const std::string stick = m_dir / "stick", image = m_dir / "stick.img";
  ChildProcess("/sbin/mkfs.ext4", {"-q", image, "4M"}).Wait(20000);
  fs::create_directories(stick);
  ASSERT_EQ(ChildProcess("/bin/mount", {"-o", "loop", image, stick}).Wait(20000), 0);
  StartCamera(5, "DelayRecUsb=4\nDelayUsbRec=1\n",
              {"--card", m_dir / "card", "--label", "PULLCAM" + std::to_string(::getpid()),
               "--mount-delay", "1000"});
  auto cli = Start({"series", "--count", "4", "--interval", "1", "--copy", stick, "--delete"});
  ASSERT_TRUE(cli->WaitFor("Shot 2 of 4 at ", 30000)) << cli->Output() << cli->Errors();
  ASSERT_EQ(ChildProcess("/bin/umount", {"--lazy", stick}).Wait(20000), 0);
  EXPECT_EQ(cli->Wait(60000), 1) << cli->Output() << cli->Errors();
  EXPECT_NE(cli->Output().find("The destination volume is gone"), std::string::npos)
      << cli->Output();
  EXPECT_EQ(Received().bytes.back(), 0x6D) << "the camera was left in USB mode";
  EXPECT_EQ(FilesIn(stick), std::set<std::string>{}) << "copied into the folder left behind";
  for (const char* folder : {"/", "/PREVIEW"})
    EXPECT_EQ(FilesIn(folder, image), Pictures(1, 2)) << folder;
  for (const char* folder : {"/DCIM/100CASIO", "/DCIM/100CASIO/PREVIEW"})
    EXPECT_EQ(FilesIn(folder, m_dir / "card/card.img"), Pictures(3, 4)) << folder;
}

// A FAT16 card read through fusefat, its source named "fusefat", as where the kernel has no vfat:
// it plays the camera's card from qvsim's recording, a picture stored at each shutter release and
// the card mounted at each switch to USB mode. FAT keeps the times to two seconds, so all the
// pictures here share one: each is copied all the same.
TEST_F(Cli, SeriesCopiesEveryPictureOfAFatCardThroughFuse) {
  for (const char* needed :
       {"/dev/fuse", "/usr/bin/fusefat", "/usr/sbin/mkfs.fat", "/usr/bin/mcopy"})
    if (!CanMountCards() || !fs::exists(needed))
      GTEST_SKIP() << "needs root, FUSE and " << needed << " (fusefat, dosfstools, mtools)";
  ASSERT_TRUE(IsolateMounts());
  const std::string image = m_dir / "fat.img", card = m_dir / "FATCARD", picture = m_dir / "p";
  ASSERT_EQ(ChildProcess("/usr/sbin/mkfs.fat", {"-C", "-F", "16", image, "16384"}).Wait(20000), 0);
  ASSERT_EQ(ChildProcess("/usr/bin/mmd", {"-i", image, "::DCIM", "::DCIM/100CASIO"}).Wait(20000),
            0);
  fs::create_directories(card);
  StartCamera(5, "DelayRecUsb=3\nDelayUsbRec=1\nCopyAndDelete=1\n");
  std::atomic<bool> done = false;
  std::thread player([&] {
    std::size_t played = 0;
    int pictures = 0;
    bool mounted = false;
    while (!done) {
      const Recording bytes = ReadRecording(m_recording);
      for (; played < bytes.bytes.size(); ++played) {
        if (bytes.bytes[played] == 0x62 && !mounted) {
          const std::string name = PictureName(++pictures);
          TempDir::WriteFile(picture, name);
          const timespec times[2] = {{978343200, 0}, {978343200, 0}};  // 2001-01-01 10:00
          ::utimensat(AT_FDCWD, picture.c_str(), times, 0);
          ChildProcess("/usr/bin/mcopy", {"-m", "-i", image, picture, "::DCIM/100CASIO/" + name})
              .Wait(20000);
        } else if (bytes.bytes[played] == 0x4D) {
          mounted = !mounted;
          if (mounted)
            ChildProcess("/usr/bin/fusefat", {"-o", "ro", image, card}).Wait(20000);
          else
            ChildProcess("/bin/umount", {card}).Wait(20000);
        }
      }
      ::usleep(20'000);
    }
  });
  const std::string pictures = m_dir / "pictures";
  auto cli = Start({"series", "--count", "3", "--interval", "1", "--copy", pictures});
  EXPECT_EQ(cli->Wait(60000), 0) << cli->Output() << cli->Errors();
  done = true;
  player.join();
  EXPECT_EQ(FilesIn(pictures), Pictures(1, 3)) << cli->Output();
  for (const std::string& name : FilesIn(pictures))
    EXPECT_EQ(TempDir::ReadFile(pictures + "/" + name), name);
}

}  // namespace
