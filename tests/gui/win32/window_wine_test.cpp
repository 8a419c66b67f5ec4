// velorantica.exe under Wine with qvsim as its camera on COM7, driven by window_driver.exe.
// scripts/wine-tests.sh sets this up and names it: VELORANTICA_WINE (the wine program),
// VELORANTICA_WINE_GUI and VELORANTICA_WINE_DRIVER (the .exe files), VELORANTICA_WINE_COM (the
// port), VELORANTICA_WINE_COM_LINK (the path Wine maps it to), VELORANTICA_WINE_PROFILE (the
// profile in the prefix's Windows folder, where the window looks first) and
// VELORANTICA_WINE_CARD_DRIVE (the letter the camera's drive gets in USB mode).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "support/child_process.h"
#include "support/qvsim_recording.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace vel::test;

constexpr char kTitle[] = "Velorantica for Casio QV-4000";

std::string Setting(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WithoutReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

class WineWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_wine.empty() || m_exe.empty() || m_driver.empty() || m_link.empty() ||
                 m_profile.empty() || m_drive.empty())
        << "run by scripts/wine-tests.sh, which maps a COM port for it";
  }
  // qvsim with more arguments, then the window on a profile with more lines.
  void Start(std::vector<std::string> camera = {}, const std::string& profile = "") {
    camera.insert(camera.begin(), {"--model", "7", "--link", m_link, "--record", m_recording});
    m_camera = std::make_unique<ChildProcess>(QVSIM_PROGRAM, camera);
    ASSERT_FALSE(m_camera->FirstLine(20000).empty()) << m_camera->Errors();
    TempDir::WriteFile(m_profile, "[Options]\r\nComPort=" + m_port + "\r\nModel=7\r\n" + profile);
    m_window = std::make_unique<ChildProcess>(m_wine, std::vector<std::string>{m_exe});
  }
  void TearDown() override { std::remove(m_profile.c_str()); }

  // One command of the driver; its output.
  std::string Drive(std::vector<std::string> args, int expectedStatus = 0) {
    args.insert(args.begin(), m_driver);
    ChildProcess driver(m_wine, args);
    EXPECT_EQ(driver.Wait(30000), expectedStatus) << args[1] << ": " << driver.Errors();
    return WithoutReturns(driver.Output());
  }

  const std::string m_wine = Setting("VELORANTICA_WINE"), m_exe = Setting("VELORANTICA_WINE_GUI"),
                    m_driver = Setting("VELORANTICA_WINE_DRIVER"),
                    m_port = Setting("VELORANTICA_WINE_COM"),
                    m_link = Setting("VELORANTICA_WINE_COM_LINK"),
                    m_profile = Setting("VELORANTICA_WINE_PROFILE"),
                    m_drive = Setting("VELORANTICA_WINE_CARD_DRIVE");
  TempDir m_dir;
  const std::string m_recording = m_dir / "recording";
  std::unique_ptr<ChildProcess> m_camera, m_window;
};

// The window comes up under the model's title with its five pages; holding Shutter sends 42
// and letting go 62, with the hold between them; Exit ends the program and writes the profile.
TEST_F(WineWindow, TheSheetShowsItsPagesAHeldKeySendsItsBytesAndExitWritesTheProfile) {
  Start();
  Drive({"wait", kTitle});
  EXPECT_EQ(Drive({"tabs", kTitle}), "Direct Control\nTime Lapse\nOptions\nConfig\nAbout\n");
  Drive({"hold", kTitle, "Shutter", "400"});
  Drive({"click", kTitle, "Exit"});
  ASSERT_EQ(m_window->Wait(20000), 0) << m_window->Errors();

  m_camera->Stop(SIGTERM);
  const Recording received = ReadRecording(m_recording);
  ASSERT_GE(received.bytes.size(), 2u);
  const std::size_t last = received.bytes.size() - 1;
  EXPECT_EQ(Bytes(received.bytes.end() - 2, received.bytes.end()), (Bytes{0x42, 0x62}));
  EXPECT_GE(received.GapBefore(last), 300) << "the shutter was let go before the hold ended";

  std::ifstream saved(m_profile);
  std::stringstream text;
  text << saved.rdbuf();
  EXPECT_NE(text.str().find("[Interval]"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("Model=7"), std::string::npos) << text.str();
}

// A 3-shot series copies each new picture and its thumbnail from the camera's drive and deletes
// them there: qvsim's card folder is a removable drive letter while the camera is in USB mode.
TEST_F(WineWindow, ACopyingSeriesStoresEachPictureAndThumbnailAndDeletesThemOnTheCamera) {
  const std::string copies = m_dir / "copies", card = m_dir / "card/DCIM/100CASIO";
  std::filesystem::create_directory(copies);
  std::string windowsCopies = "Z:" + copies;
  std::replace(windowsCopies.begin(), windowsCopies.end(), '/', '\\');
  Start({"--card-folder", m_dir / "card", "--usb-command",
         "'" + m_wine + "' '" + m_driver + "' drive " + m_drive},
        "CopyFile=1\r\nDeleteAfterCopy=1\r\nDelayRecUsb=30\r\nDelayUsbRec=0\r\nDestFileDir=" +
            windowsCopies + "\r\n[Interval]\r\nSecond=2\r\nCount=3\r\n");
  Drive({"wait", kTitle});
  Drive({"tab", kTitle, "1"});
  Drive({"click", kTitle, "Start"});
  const std::set<std::string> taken{"CIMG0001.JPG", "CIMG0002.JPG", "CIMG0003.JPG"};
  // Done once the last shot switched the camera back and sent its mode bytes: Exit would ask
  // first while a shot runs. Each switch starts a Wine program, seconds on a busy machine.
  const auto done = [&] {
    const Bytes bytes = ReadRecording(m_recording).bytes;
    return std::count(bytes.begin(), bytes.end(), 'M') == 6 && bytes.back() != 'M' &&
           std::filesystem::exists(copies + "/PREVIEW") && Listing(copies + "/PREVIEW") == taken &&
           Listing(card + "/PREVIEW").empty();
  };
  for (int waited = 0; waited < 60000 && !done(); waited += 200)
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::set<std::string> stored = taken;
  stored.insert("PREVIEW/");
  EXPECT_EQ(Listing(copies), stored) << m_camera->Output();
  EXPECT_EQ(Listing(copies + "/PREVIEW"), taken);
  EXPECT_EQ(Listing(card), std::set<std::string>{"PREVIEW/"});
  EXPECT_TRUE(Listing(card + "/PREVIEW").empty());
  EXPECT_LT(std::filesystem::file_size(copies + "/PREVIEW/CIMG0003.JPG"),
            std::filesystem::file_size(copies + "/CIMG0003.JPG"));
  Drive({"click", kTitle, "Exit"});
  EXPECT_EQ(m_window->Wait(20000), 0) << m_window->Errors();
}

}  // namespace
