// The real program with qvsim as its camera: what the camera received is
// read from qvsim's recording of the bytes and their times.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

struct Received {
  Bytes bytes;
  std::vector<long> times;  // milliseconds, one per byte

  long GapBefore(std::size_t index) const { return times[index] - times[index - 1]; }
};

struct Outcome {
  int exitCode;
  std::string errors;
  Received camera;
};

Received ReadRecording(const std::string& path) {
  Received received;
  std::ifstream in(path);
  long ms;
  std::string hex;
  while (in >> ms >> hex) {
    received.times.push_back(ms);
    received.bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
  }
  return received;
}

// The names in a folder of an ext4 image, read without mounting it.
std::string ListImageFolder(const std::string& image, const std::string& folder) {
  vel::test::ChildProcess debugfs("/sbin/debugfs", {"-R", "ls " + folder, image});
  debugfs.Wait(20000);
  return debugfs.Output();
}

bool CanMountCards() {
  return ::geteuid() == 0 && fs::exists("/dev/loop-control");
}

class EndToEnd : public ::testing::Test {
 protected:
  std::string ProfilePath() const { return m_dir / "velorantica.ini"; }

  // Runs qvsim and the program with the profile lines and the script given,
  // until the program ends.
  Outcome Run(int model, const std::string& profileLines, const std::string& script,
              const std::vector<std::string>& qvsimExtra = {}, int timeoutMs = 60000) {
    std::vector<std::string> qvsimArgs = {"--model", std::to_string(model), "--record",
                                          m_dir / "recording"};
    qvsimArgs.insert(qvsimArgs.end(), qvsimExtra.begin(), qvsimExtra.end());
    vel::test::ChildProcess camera(QVSIM_PROGRAM, qvsimArgs);
    const std::string port = camera.FirstLine(20000);
    EXPECT_FALSE(port.empty()) << camera.Errors();
    vel::test::TempDir::WriteFile(ProfilePath(), "[Options]\nComPort=" + port + "\nModel=" +
                                                     std::to_string(model) + "\n" + profileLines);
    vel::test::TempDir::WriteFile(m_dir / "script", script);
    vel::test::ChildProcess program(
        VELORANTICA_PROGRAM, {},
        {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + m_dir.Path(), "LD_PRELOAD=" E2E_DRIVER,
         "VELORANTICA_E2E_SCRIPT=" + (m_dir / "script")});
    Outcome outcome{program.Wait(timeoutMs), {}, {}};
    if (outcome.exitCode == -2)
      program.Stop(SIGKILL);
    outcome.errors = program.Errors();
    camera.Stop(SIGTERM);
    outcome.camera = ReadRecording(m_dir / "recording");
    return outcome;
  }

  static void ExpectClean(const Outcome& outcome) {
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.errors.find("e2e:"), std::string::npos) << outcome.errors;
  }

  vel::test::TempDir m_dir;
};

TEST_F(EndToEnd, HeldKeyOnTheQv3000ex) {
  const Outcome outcome =
      Run(5, "", "wait 300\npress 1016\nwait 400\nrelease 1016\nwait 300\nexit\n");
  ExpectClean(outcome);
  EXPECT_EQ(outcome.camera.bytes, (Bytes{0x42, 0x62}));
  ASSERT_EQ(outcome.camera.times.size(), 2u);
  EXPECT_GE(outcome.camera.GapBefore(1), 350);
}

TEST_F(EndToEnd, HeldKeysOnTheQv4000) {
  const Outcome outcome = Run(7, "",
                              "wait 300\npress 1020\nwait 300\nrelease 1020\nwait 200\n"
                              "press 1016\nwait 300\nrelease 1016\nwait 300\nexit\n");
  ExpectClean(outcome);
  // The page's first display sends the exposure and drive modes.
  EXPECT_EQ(outcome.camera.bytes, (Bytes{0x85, 0x88, 0x4E, 0x50, 0x70, 0x42, 0x62}));
}

TEST_F(EndToEnd, SwitchUsbRecFromTheOptionsPage) {
  const Outcome outcome = Run(5, "", "wait 300\npage 2\nclick 1027\nwait 600\nexit\n");
  ExpectClean(outcome);
  ASSERT_EQ(outcome.camera.bytes, (Bytes{0x4D, 0x6D}));
  EXPECT_GE(outcome.camera.GapBefore(1), 230);

  const Outcome qv4000 = Run(7, "", "wait 300\npage 2\nclick 1027\nwait 600\nexit\n");
  ExpectClean(qv4000);
  EXPECT_EQ(qv4000.camera.bytes, (Bytes{0x85, 0x88, 0x4D, 0x85, 0x88}));
}

TEST_F(EndToEnd, ThreeShotSeriesWithFocus) {
  const Outcome outcome =
      Run(5, "[Interval]\nCount=3\nSecond=2\nFocus=1\nFocusSeconds=1\n",
          "wait 300\npage 1\nclick 1048\nwaittext 1023 Idle_(3_pictures_taken) 20000\nexit\n");
  ExpectClean(outcome);
  const Bytes shot = {0x41, 0x61, 0x42, 0x62};
  ASSERT_EQ(outcome.camera.bytes.size(), 12u);
  for (std::size_t i = 0; i < 12; i += 4) {
    EXPECT_EQ(Bytes(outcome.camera.bytes.begin() + i, outcome.camera.bytes.begin() + i + 4), shot);
    // The times are taken where the bytes arrive, after the terminal's own
    // delivery, which can shorten a single gap by a few milliseconds.
    EXPECT_GE(outcome.camera.GapBefore(i + 1), 5);    // A, 10 ms, a
    EXPECT_GE(outcome.camera.GapBefore(i + 2), 900);  // 1 s of focusing
    EXPECT_GE(outcome.camera.GapBefore(i + 3), 5);    // B, 10 ms, b
  }
  // Shots start two seconds apart on the grid.
  EXPECT_GE(outcome.camera.times[4] - outcome.camera.times[0], 1900);
  EXPECT_GE(outcome.camera.times[8] - outcome.camera.times[4], 1900);
}

TEST_F(EndToEnd, ExitWritesTheProfile) {
  const Outcome outcome =
      Run(5, "[Mine]\nKeep=this\n", "wait 300\npage 1\ntext 998 7\ncheck 1022 1\nwait 100\nexit\n");
  ExpectClean(outcome);
  const vel::IniProfile profile = vel::IniProfile::Load(ProfilePath());
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 7);
  EXPECT_EQ(profile.GetInt("Interval", "Bulb", 0), 1);
  EXPECT_EQ(profile.GetString("Mine", "Keep", ""), "this");
  for (const vel::SettingEntry& setting : vel::SettingsTable())
    EXPECT_NE(profile.GetString(setting.section, setting.key, "-"), "-") << setting.key;
}

TEST_F(EndToEnd, SeriesCopiesAndDeletesEveryPicture) {
  if (!CanMountCards())
    GTEST_SKIP() << "loop mounts need root and /dev/loop-control";
  const std::string card = m_dir / "card";
  const std::string pictures = m_dir / "pictures";
  fs::create_directories(pictures);
  const std::string profile =
      "CopyFile=1\nDeleteAfterCopy=1\nCopyAndDelete=0\nDelayRecUsb=2\n"
      "DelayUsbRec=1\nDestFileDir=" +
      pictures + "\n[Interval]\nCount=3\nSecond=6\n";
  const Outcome outcome =
      Run(5, profile,
          "wait 300\npage 1\nclick 1048\nwaittext 1023 Idle_(3_pictures_taken) 40000\n"
          "exit\n",
          {"--card", card, "--label", "E2ECAM" + std::to_string(::getpid())}, 90000);
  ExpectClean(outcome);
  int copied = 0, thumbnails = 0;
  for (const auto& entry : fs::directory_iterator(pictures)) copied += entry.is_regular_file();
  for (const auto& entry : fs::directory_iterator(pictures + "/PREVIEW"))
    thumbnails += entry.is_regular_file();
  EXPECT_EQ(copied, 3);
  EXPECT_EQ(thumbnails, 3);
  EXPECT_EQ(outcome.errors.find("Copy error"), std::string::npos) << outcome.errors;
  // Nothing is left on the card.
  const std::string onCard = ListImageFolder(card + "/card.img", "/DCIM/100CASIO");
  EXPECT_NE(onCard.find("PREVIEW"), std::string::npos) << onCard;
  EXPECT_EQ(onCard.find(".JPG"), std::string::npos) << onCard;
  EXPECT_EQ(ListImageFolder(card + "/card.img", "/DCIM/100CASIO/PREVIEW").find(".JPG"),
            std::string::npos);
}

}  // namespace
