// velorantica.exe under Wine with qvsim as its camera on COM7, driven by window_driver.exe.
// scripts/wine-tests.sh sets this up and names it: VELORANTICA_WINE (the wine program),
// VELORANTICA_WINE_GUI and VELORANTICA_WINE_DRIVER (the .exe files), VELORANTICA_WINE_COM (the
// port), VELORANTICA_WINE_COM_LINK (the path Wine maps it to) and VELORANTICA_WINE_PROFILE (the
// profile in the prefix's Windows folder, where the window looks first).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

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
                 m_profile.empty())
        << "run by scripts/wine-tests.sh, which maps a COM port for it";
    m_camera = std::make_unique<ChildProcess>(
        QVSIM_PROGRAM,
        std::vector<std::string>{"--model", "7", "--link", m_link, "--record", m_recording});
    ASSERT_FALSE(m_camera->FirstLine(20000).empty()) << m_camera->Errors();
    TempDir::WriteFile(m_profile, "[Options]\r\nComPort=" + m_port + "\r\nModel=7\r\n");
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
                    m_profile = Setting("VELORANTICA_WINE_PROFILE");
  TempDir m_dir;
  const std::string m_recording = m_dir / "recording";
  std::unique_ptr<ChildProcess> m_camera, m_window;
};

// The window comes up under the model's title with its five pages; holding Shutter sends 42
// and letting go 62, with the hold between them; Exit ends the program and writes the profile.
TEST_F(WineWindow, TheSheetShowsItsPagesAHeldKeySendsItsBytesAndExitWritesTheProfile) {
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

}  // namespace
