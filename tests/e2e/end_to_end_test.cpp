// The real program with qvsim as its camera, one test per thing a user does with it.
#include <gtest/gtest.h>

#include "core/app/ini_profile.h"
#include "core/ui/control_ids.h"
#include "support/child_process.h"
#include "support/qvsim_recording.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace vel::test;
namespace fs = std::filesystem;

// One script line that acts on a control.
std::string Act(const std::string& verb, int control, const std::string& rest = "") {
  return verb + " " + std::to_string(control) + (rest.empty() ? "" : " " + rest) + "\n";
}

struct Outcome : Recording {
  std::string errors;
};

class EndToEnd : public ::testing::Test {
 protected:
  std::string ProfilePath() const { return m_dir / "velorantica.ini"; }
  vel::IniProfile SavedProfile() const {
    vel::IniProfile profile;
    EXPECT_TRUE(vel::IniProfile::Load(ProfilePath(), profile));
    return profile;
  }

  // Runs qvsim and the program with the profile lines and script until it ends, cleanly.
  Outcome Run(int model, const std::string& profileLines, const std::string& script,
              const std::vector<std::string>& qvsimExtra = {}) {
    std::vector<std::string> qvsimArgs = {"--model", std::to_string(model), "--record",
                                          m_dir / "recording"};
    qvsimArgs.insert(qvsimArgs.end(), qvsimExtra.begin(), qvsimExtra.end());
    ChildProcess camera(QVSIM_PROGRAM, qvsimArgs);
    const std::string port = camera.FirstLine(20000);
    EXPECT_FALSE(port.empty()) << camera.Errors();
    TempDir::WriteFile(ProfilePath(), "[Options]\nComPort=" + port +
                                          "\nModel=" + std::to_string(model) + "\n" + profileLines);
    TempDir::WriteFile(m_dir / "script", "wait 300\n" + script + "exit\n");
    ChildProcess program(VELORANTICA_PROGRAM, {},
                         {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + m_dir.Path(),
                          "XDG_STATE_HOME=" + m_dir.Path(), "LD_PRELOAD=" E2E_DRIVER,
                          "VELORANTICA_E2E_SCRIPT=" + (m_dir / "script")});
    EXPECT_EQ(program.Wait(90000), 0) << program.Errors();
    camera.Stop(SIGTERM);
    EXPECT_EQ(program.Errors().find("e2e:"), std::string::npos) << program.Errors();
    return {ReadRecording(m_dir / "recording"), program.Errors()};
  }

  TempDir m_dir;
};

// The QV-4000 sends its modes as its page first shows and after the switch, its Off key two
// bytes on press; Exit writes the changes back and keeps the lines not the program's.
TEST_F(EndToEnd, HeldKeysTheSwitchAndExitOnTheQv4000) {
  const Outcome outcome =
      Run(7, "[Mine]\nKeep=this\n",
          Act("press", vel::kOffKey) + "wait 200\n" + Act("release", vel::kOffKey) +
              Act("press", vel::kShutterKey) + "wait 400\n" + Act("release", vel::kShutterKey) +
              "page 2\n" + Act("click", vel::kSwitchUsbRecButton) + "wait 600\npage 1\n" +
              Act("text", vel::kCountEdit, "7") + Act("click", vel::kBulbCheck));
  ASSERT_EQ(outcome.bytes, (Bytes{0x85, 0x88, 0x4E, 0x50, 0x70, 0x42, 0x62, 0x4D, 0x85, 0x88}));
  EXPECT_GE(outcome.GapBefore(6), 350);  // the shutter was held for 400 ms
  EXPECT_GE(outcome.GapBefore(8), 230);  // the switch, from the Options page, for 250 ms
  const vel::IniProfile profile = SavedProfile();
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 7);
  EXPECT_EQ(profile.GetInt("Interval", "Bulb", 0), 1);
  EXPECT_EQ(profile.GetString("Mine", "Keep", ""), "this");
}

TEST_F(EndToEnd, ThreeShotSeriesEachFocusedFirst) {
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
}

// SIGTERM (as at logout) ends as Exit does: the held Shutter let go, the changes written back.
TEST_F(EndToEnd, AnEndSignalReleasesHeldKeysAndWritesTheProfile) {
  const Outcome outcome = Run(5, "",
                              "page 1\n" + Act("text", vel::kCountEdit, "7") + "page 0\n" +
                                  Act("press", vel::kShutterKey) + "wait 300\nsignal 15\n");
  EXPECT_EQ(outcome.bytes, (Bytes{0x42, 0x62}));
  EXPECT_EQ(SavedProfile().GetInt("Interval", "Count", 0), 7);
}

// Esc during a series asks: No lets it go on, Yes ends it and the program.
TEST_F(EndToEnd, EndingARunningSeriesIsAskedFirst) {
  const Outcome outcome =
      Run(5, "[Interval]\nCount=50\nSecond=1\n",
          "page 1\n" + Act("click", vel::kStartButton) +
              "wait 1200\nescape\nanswer no\nwait 1500\nescape\nanswer yes\nwait 3000\n");
  EXPECT_GE(outcome.bytes.size(), 8u) << "the series went on after No";
  EXPECT_LE(outcome.bytes.size(), 12u) << "the series ended with Yes";
}

TEST_F(EndToEnd, SeriesCopiesEveryPictureAndDeletesItOnTheCamera) {
  if (!CanMountCards())
    GTEST_SKIP() << "needs root and loop devices";
  ASSERT_TRUE(IsolateMounts());
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
  std::set<std::string> taken = {"CIMG0001.JPG", "CIMG0002.JPG", "CIMG0003.JPG"};
  EXPECT_EQ(Listing(pictures + "/PREVIEW"), taken);
  taken.insert("PREVIEW/");
  EXPECT_EQ(Listing(pictures), taken);
  EXPECT_EQ(ImageListing(card + "/card.img", "/DCIM/100CASIO"), std::set<std::string>{"PREVIEW/"});
  EXPECT_EQ(ImageListing(card + "/card.img", "/DCIM/100CASIO/PREVIEW"), std::set<std::string>{});
}

// --help and --version answer on standard output, with no display at all; a full output fails.
TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
  const std::vector<std::string> noDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  for (const auto& [option, expected] :
       {std::pair{"--help", "Usage: velorantica"}, std::pair{"--version", "velorantica 1.7.1\n"}}) {
    SCOPED_TRACE(option);
    ChildProcess program(VELORANTICA_PROGRAM, {option}, noDisplay);
    EXPECT_EQ(program.Wait(10000), 0) << program.Errors();
    EXPECT_EQ(program.Output().rfind(expected, 0), 0u) << program.Output();
    ChildProcess full(VELORANTICA_PROGRAM, {option}, noDisplay, "/dev/full");
    EXPECT_EQ(full.Wait(10000), 1);
    EXPECT_NE(full.Errors().find("cannot write to standard output"), std::string::npos)
        << full.Errors();
  }
}

}  // namespace
