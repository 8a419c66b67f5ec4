// The real program with qvsim as its camera, one test per thing a user does
// with it. What the camera received is read from qvsim's recording of the
// bytes and the times they arrived.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "core/app/ini_profile.h"
#include "core/ui/control_ids.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// One script line that acts on a control.
std::string Act(const std::string& verb, int control, const std::string& rest = "") {
  return verb + " " + std::to_string(control) + (rest.empty() ? "" : " " + rest) + "\n";
}

struct Outcome {
  std::string errors;
  Bytes bytes;
  std::vector<long> times;  // milliseconds, one per byte

  long GapBefore(std::size_t index) const { return times[index] - times[index - 1]; }
};

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file())
      names.insert(entry.path().filename());
  return names;
}

// The names in a folder of an ext4 image, read without mounting it.
std::string ListImageFolder(const std::string& image, const std::string& folder) {
  vel::test::ChildProcess debugfs("/sbin/debugfs", {"-R", "ls " + folder, image});
  debugfs.Wait(20000);
  return debugfs.Output();
}

// Gives this test and the programs it starts a mount table of their own, so
// that volumes mounted or unmounted elsewhere on the machine meanwhile are not
// seen: only the card qvsim mounts comes and goes.
bool IsolateMounts() {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

class EndToEnd : public ::testing::Test {
 protected:
  std::string ProfilePath() const { return m_dir / "velorantica.ini"; }

  // Runs qvsim and the program with the profile lines and the script given
  // until the program ends, which it must do cleanly.
  Outcome Run(int model, const std::string& profileLines, const std::string& script,
              const std::vector<std::string>& qvsimExtra = {}) {
    std::vector<std::string> qvsimArgs = {"--model", std::to_string(model), "--record",
                                          m_dir / "recording"};
    qvsimArgs.insert(qvsimArgs.end(), qvsimExtra.begin(), qvsimExtra.end());
    vel::test::ChildProcess camera(QVSIM_PROGRAM, qvsimArgs);
    const std::string port = camera.FirstLine(20000);
    EXPECT_FALSE(port.empty()) << camera.Errors();
    vel::test::TempDir::WriteFile(ProfilePath(), "[Options]\nComPort=" + port + "\nModel=" +
                                                     std::to_string(model) + "\n" + profileLines);
    vel::test::TempDir::WriteFile(m_dir / "script", "wait 300\n" + script + "exit\n");
    vel::test::ChildProcess program(
        VELORANTICA_PROGRAM, {},
        {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + m_dir.Path(), "LD_PRELOAD=" E2E_DRIVER,
         "VELORANTICA_E2E_SCRIPT=" + (m_dir / "script")});
    EXPECT_EQ(program.Wait(90000), 0) << program.Errors();
    camera.Stop(SIGTERM);
    Outcome outcome{program.Errors(), {}, {}};
    EXPECT_EQ(outcome.errors.find("e2e:"), std::string::npos) << outcome.errors;
    std::ifstream recording(m_dir / "recording");
    long ms;
    std::string hex;
    while (recording >> ms >> hex) {
      outcome.times.push_back(ms);
      outcome.bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
    }
    return outcome;
  }

  vel::test::TempDir m_dir;
};

TEST_F(EndToEnd, HeldKeysSendTheirPressAndReleaseBytes) {
  const Outcome outcome =
      Run(7, "",
          Act("press", vel::kOffKey) + "wait 200\n" + Act("release", vel::kOffKey) +
              Act("press", vel::kShutterKey) + "wait 400\n" + Act("release", vel::kShutterKey));
  // The QV-4000's page sends the exposure and drive modes when it first shows;
  // its Off key sends two bytes on press.
  ASSERT_EQ(outcome.bytes, (Bytes{0x85, 0x88, 0x4E, 0x50, 0x70, 0x42, 0x62}));
  EXPECT_GE(outcome.GapBefore(6), 350);  // the shutter was held for 400 ms
}

TEST_F(EndToEnd, ThreeShotSeriesWithFocusOnItsGrid) {
  const Outcome outcome =
      Run(5, "[Interval]\nCount=3\nSecond=2\nFocus=1\nFocusSeconds=1\n",
          "page 1\n" + Act("click", vel::kStartButton) +
              Act("waittext", vel::kStatusTextLine, "Idle_(3_pictures_taken) 20000"));
  const Bytes shot = {0x41, 0x61, 0x42, 0x62};  // focus lock, shutter
  ASSERT_EQ(outcome.bytes.size(), 12u);
  for (std::size_t i = 0; i < 12; i += 4) {
    EXPECT_EQ(Bytes(outcome.bytes.begin() + i, outcome.bytes.begin() + i + 4), shot);
    EXPECT_GE(outcome.GapBefore(i + 2), 900);  // one second of focusing
  }
  // The grid is anchored at the end of the first shot: from then on the shots
  // start two seconds apart, however long each one takes.
  EXPECT_GE(outcome.times[4] - outcome.times[0], 2900);
  EXPECT_GE(outcome.times[8] - outcome.times[4], 1900);
  EXPECT_LE(outcome.times[8] - outcome.times[4], 2600);
}

TEST_F(EndToEnd, SwitchUsbRecFromTheOptionsPage) {
  const std::string script = "page 2\n" + Act("click", vel::kSwitchUsbRecButton) + "wait 600\n";
  const Outcome qv3000ex = Run(5, "", script);
  ASSERT_EQ(qv3000ex.bytes, (Bytes{0x4D, 0x6D}));
  EXPECT_GE(qv3000ex.GapBefore(1), 230);  // the switch is held for 250 ms
  // The QV-4000 takes no release byte but its modes again after the switch.
  EXPECT_EQ(Run(7, "", script).bytes, (Bytes{0x85, 0x88, 0x4D, 0x85, 0x88}));
}

TEST_F(EndToEnd, ExitWritesTheProfileBack) {
  Run(5, "[Mine]\nKeep=this\n",
      "page 1\n" + Act("text", vel::kCountEdit, "7") + Act("click", vel::kBulbCheck));
  vel::IniProfile profile;
  ASSERT_TRUE(vel::IniProfile::Load(ProfilePath(), profile));
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 7);
  EXPECT_EQ(profile.GetInt("Interval", "Bulb", 0), 1);
  EXPECT_EQ(profile.GetString("Mine", "Keep", ""), "this");
}

// Ending from outside (SIGTERM, as at logout) ends as Exit does: the held
// Shutter is let go and what was changed is written back.
TEST_F(EndToEnd, AnEndSignalReleasesHeldKeysAndWritesTheProfile) {
  const Outcome outcome = Run(5, "",
                              "page 1\n" + Act("text", vel::kCountEdit, "7") + "page 0\n" +
                                  Act("press", vel::kShutterKey) + "wait 300\nsignal 15\n");
  EXPECT_EQ(outcome.bytes, (Bytes{0x42, 0x62}));
  vel::IniProfile profile;
  ASSERT_TRUE(vel::IniProfile::Load(ProfilePath(), profile));
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 7);
}

// Esc while a series runs asks first: No lets it go on, Yes ends it and the
// program, writing the profile.
TEST_F(EndToEnd, EndingARunningSeriesIsAskedFirst) {
  const Outcome outcome =
      Run(5, "[Interval]\nCount=50\nSecond=1\n",
          "page 1\n" + Act("click", vel::kStartButton) +
              "wait 1200\nescape\nanswer no\nwait 1500\nescape\nanswer yes\nwait 3000\n");
  EXPECT_GE(outcome.bytes.size(), 8u) << "the series went on after No";
  EXPECT_LE(outcome.bytes.size(), 12u) << "the series ended with Yes";
  vel::IniProfile profile;
  ASSERT_TRUE(vel::IniProfile::Load(ProfilePath(), profile));
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 50);
  EXPECT_EQ(profile.GetInt("Interval", "Second", 0), 1);
}

TEST_F(EndToEnd, SeriesCopiesEveryPictureAndDeletesItOnTheCamera) {
  if (::geteuid() != 0 || !fs::exists("/dev/loop-control"))
    GTEST_SKIP() << "qvsim's card is an ext4 image on a loop mount: needs root and loop devices";
  ASSERT_TRUE(IsolateMounts()) << "no mount namespace of its own";
  const std::string card = m_dir / "card";
  const std::string pictures = m_dir / "pictures";
  fs::create_directories(pictures);
  const Outcome outcome =
      Run(5,
          "CopyFile=1\nDeleteAfterCopy=1\nCopyAndDelete=0\nDelayRecUsb=2\nDelayUsbRec=1\n"
          "DestFileDir=" +
              pictures + "\n[Interval]\nCount=3\nSecond=6\n",
          "page 1\n" + Act("click", vel::kStartButton) +
              Act("waittext", vel::kStatusTextLine, "Idle_(3_pictures_taken) 40000"),
          {"--card", card, "--label", "E2ECAM" + std::to_string(::getpid())});
  EXPECT_EQ(outcome.errors.find("Copy error"), std::string::npos) << outcome.errors;
  const std::set<std::string> taken = {"CIMG0001.JPG", "CIMG0002.JPG", "CIMG0003.JPG"};
  EXPECT_EQ(FilesIn(pictures), taken);
  EXPECT_EQ(FilesIn(pictures + "/PREVIEW"), taken);
  const std::string onCard = ListImageFolder(card + "/card.img", "/DCIM/100CASIO");
  EXPECT_NE(onCard.find("PREVIEW"), std::string::npos) << onCard;
  EXPECT_EQ(onCard.find(".JPG"), std::string::npos) << onCard;
  EXPECT_EQ(ListImageFolder(card + "/card.img", "/DCIM/100CASIO/PREVIEW").find(".JPG"),
            std::string::npos);
}

// --help and --version answer on standard output, with no display at all.
TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
  const std::vector<std::string> noDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  for (const auto& [option, expected] :
       {std::pair{"--help", "Usage: velorantica"}, std::pair{"--version", "velorantica 1.7.1\n"}}) {
    SCOPED_TRACE(option);
    vel::test::ChildProcess program(VELORANTICA_PROGRAM, {option}, noDisplay);
    EXPECT_EQ(program.Wait(10000), 0) << program.Errors();
    EXPECT_EQ(program.Output().rfind(expected, 0), 0u) << program.Output();
  }
}

}  // namespace
