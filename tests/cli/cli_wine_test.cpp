// velorantica-cli.exe under Wine with qvsim as its camera on a COM port: Wine's port map
// (HKLM\Software\Wine\Ports) sends the port to the link qvsim keeps to its terminal.
// scripts/wine-tests.sh sets this up and names it: VELORANTICA_WINE (the wine program),
// VELORANTICA_WINE_CLI (the .exe), VELORANTICA_WINE_COM (the port, "COM7") and
// VELORANTICA_WINE_COM_LINK (the path it is mapped to).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/child_process.h"
#include "support/qvsim_recording.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace vel::test;

class WineCli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_wine.empty() || m_exe.empty() || m_port.empty() || m_link.empty())
        << "run by scripts/wine-tests.sh, which maps a COM port for it";
  }
  void StartCamera() {
    m_camera = std::make_unique<ChildProcess>(
        QVSIM_PROGRAM,
        std::vector<std::string>{"--model", "5", "--link", m_link, "--record", m_recording});
    ASSERT_FALSE(m_camera->FirstLine(20000).empty()) << m_camera->Errors();
    TempDir::WriteFile(m_profile, "[Options]\r\nComPort=" + m_port + "\r\nModel=5\r\n");
  }
  // The Windows program reads the profile through Wine's drive Z:, the root folder.
  std::unique_ptr<ChildProcess> Start(std::vector<std::string> args) {
    args.insert(args.begin(), m_exe);
    args.insert(args.end(), {"--profile", "Z:" + m_profile});
    return std::make_unique<ChildProcess>(m_wine, args);
  }
  Recording Received() {
    m_camera->Stop(SIGTERM);
    return ReadRecording(m_recording);
  }

  static std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
  }
  const std::string m_wine = Setting("VELORANTICA_WINE"), m_exe = Setting("VELORANTICA_WINE_CLI"),
                    m_port = Setting("VELORANTICA_WINE_COM"),
                    m_link = Setting("VELORANTICA_WINE_COM_LINK");
  TempDir m_dir;
  const std::string m_profile = m_dir / "profile.ini", m_recording = m_dir / "recording";
  std::unique_ptr<ChildProcess> m_camera;
};

// The port the system lists, then the key with its hold: pressed, and let go 300 ms later.
TEST_F(WineCli, TheMappedPortIsListedAndAKeySendsItsBytesWithItsHold) {
  StartCamera();
  auto ports = Start({"ports"});
  ASSERT_EQ(ports->Wait(20000), 0) << ports->Errors();
  EXPECT_NE(ports->Output().find(m_port + "\r\n"), std::string::npos) << ports->Output();
  auto cli = Start({"key", "Shutter", "--hold=0.3"});
  ASSERT_EQ(cli->Wait(20000), 0) << cli->Errors();
  const Recording received = Received();
  ASSERT_EQ(received.bytes, (Bytes{0x42, 0x62}));
  EXPECT_GE(received.GapBefore(1), 250);
}

// Three shots on the grid of one second from the end of the first, each on its line, and the
// series log named after the plan; then Ctrl+C, which Wine gives the program for the terminal's
// SIGINT, ends an endless series after its shot with the shutter let go.
TEST_F(WineCli, ASeriesKeepsItsGridAndCtrlCEndsItAfterTheShot) {
  StartCamera();
  auto cli = Start({"series", "--count", "3", "--interval", "1"});
  ASSERT_EQ(cli->Wait(30000), 0) << cli->Errors();
  const std::string out = cli->Output();
  EXPECT_NE(out.find("Shot 3 of 3 at "), std::string::npos) << out;
  EXPECT_NE(out.find("Idle (3 pictures taken)"), std::string::npos) << out;
  EXPECT_NE(out.find("\nSeries log: C:\\"), std::string::npos) << out;
  Recording received = Received();
  ASSERT_EQ(received.bytes, (Bytes{0x42, 0x62, 0x42, 0x62, 0x42, 0x62}));
  EXPECT_NEAR(received.times[4] - received.times[2], 1000, 60);
  EXPECT_NEAR(received.GapBefore(2), 1000, 60);

  StartCamera();
  cli = Start({"series", "--endless", "--interval", "1"});
  ASSERT_TRUE(cli->WaitFor("Shot 2 at", 20000)) << cli->Errors();
  cli->SignalGroup(SIGINT);
  EXPECT_EQ(cli->Wait(10000), 0) << cli->Output();
  EXPECT_NE(cli->Output().find("cancelled)"), std::string::npos) << cli->Output();
  received = Received();
  ASSERT_GE(received.bytes.size(), 4u);
  EXPECT_EQ(received.bytes.size() % 2, 0u);
  EXPECT_EQ(received.bytes.back(), 0x62) << "the shutter was left held";
}

}  // namespace
