#include "core/camera/com_port.h"

#include <termios.h>

#include <gtest/gtest.h>
#include <chrono>

#include "core/app/settings.h"
#include "core/camera/command_bytes.h"
#include "support/pseudo_terminal.h"

namespace vel {
namespace {

class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_pty.Ok());
    ComPort = m_pty.SlavePath();
    m_port.SetErrorReporter([this](const std::string& text) { m_reports.push_back(text); });
  }
  void TearDown() override {
    if (g_pComPort == &m_port)
      g_pComPort = nullptr;
  }
  test::PseudoTerminal m_pty;
  CComPort m_port;
  std::vector<std::string> m_reports;
};

TEST_F(ComPortTest, OpensWithTheCameraLineSettings) {
  ASSERT_NE(m_port.Open(), 0) << m_port.LastErrorText();
  const termios tio = m_pty.SlaveSettings();
  EXPECT_EQ(cfgetospeed(&tio), B9600);
  EXPECT_EQ(cfgetispeed(&tio), B9600);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_TRUE(m_reports.empty());
}

TEST_F(ComPortTest, OneWriteArrivesExactlyOnce) {
  ASSERT_NE(m_port.Open(), 0);
  const std::uint8_t b = 0x42;
  EXPECT_EQ(m_port.Write(&b, 1), 1);
  EXPECT_EQ(m_pty.Read(1), std::vector<std::uint8_t>{0x42});
  EXPECT_TRUE(m_pty.Read(0, 50).empty());
}

TEST_F(ComPortTest, ClosedPortSendsNothing) {
  const std::uint8_t b = 0x42;
  EXPECT_EQ(m_port.Write(&b, 1), 0);
  ASSERT_NE(m_port.Open(), 0);
  m_port.Close();
  EXPECT_EQ(m_port.Write(&b, 1), 0);
  EXPECT_TRUE(m_pty.Read(0, 50).empty());
}

TEST_F(ComPortTest, MissingPortReportsTheSystemText) {
  ComPort = "/dev/velorantica-no-such-port";
  EXPECT_EQ(m_port.Open(), 0);
  ASSERT_EQ(m_reports.size(), 1u);
  EXPECT_EQ(m_reports[0],
            "ComPort opening error. System error message:\n\nNo such file or directory\n"
            "\nCheck if\n- ComPort setting is mapped to existing port (see \"Config\")\n"
            "- ComPort is not in use by another application\n");
  EXPECT_FALSE(m_port.IsOpen());
}

TEST_F(ComPortTest, ReopeningOntoAMissingPortClosesTheOldOne) {
  ASSERT_NE(m_port.Open(), 0);
  ComPort = "/dev/velorantica-no-such-port";
  EXPECT_EQ(m_port.Open(), 0);
  const std::uint8_t b = 0x42;
  EXPECT_EQ(m_port.Write(&b, 1), 0);
  EXPECT_TRUE(m_pty.Read(0, 50).empty());
}

TEST_F(ComPortTest, SecondOpenerIsRefusedWhileHeld) {
  ASSERT_NE(m_port.Open(), 0);
  CComPort second;
  second.SetErrorReporter([this](const std::string& text) { m_reports.push_back(text); });
  EXPECT_EQ(second.Open(), 0);
  ASSERT_EQ(m_reports.size(), 1u);
  EXPECT_NE(m_reports[0].find("busy"), std::string::npos) << m_reports[0];
  m_port.Close();
  EXPECT_NE(second.Open(), 0) << second.LastErrorText();
}

TEST_F(ComPortTest, NotASerialDeviceIsRefused) {
  ComPort = "/dev/null";
  EXPECT_EQ(m_port.Open(), 0);
  ASSERT_EQ(m_reports.size(), 1u);
  EXPECT_NE(m_reports[0].find("ioctl"), std::string::npos) << m_reports[0];
}

TEST_F(ComPortTest, WriteAfterTheFarEndWentAwayFailsAtOnce) {
  ASSERT_NE(m_port.Open(), 0);
  m_pty.CloseSlave();
  m_pty.CloseMaster();
  const std::uint8_t b = 0x42;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(m_port.Write(&b, 1), 0);
  EXPECT_EQ(m_port.Write(&b, 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ComPortNames, ComNamesMapToStandardPorts) {
  EXPECT_EQ(CComPort::DevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(CComPort::DevicePath("com6"), "/dev/ttyS5");
  EXPECT_EQ(CComPort::DevicePath("/dev/serial/by-id/usb-x"), "/dev/serial/by-id/usb-x");
  EXPECT_EQ(CComPort::DevicePath("ttyUSB0"), "/dev/ttyUSB0");
}

TEST_F(ComPortTest, ModeBytesFollowTheSettings) {
  ASSERT_NE(m_port.Open(), 0);
  g_pComPort = &m_port;
  ExposureMode = 3;
  DriveMode = 4;
  SendExposureMode();
  SendDriveMode();
  ExposureMode = 7;  // unknown: the mode-0 byte
  DriveMode = 5;     // unknown: nothing
  SendExposureMode();
  SendDriveMode();
  EXPECT_EQ(m_pty.Read(3), (std::vector<std::uint8_t>{0x83, 0x8C, 0x80}));
  EXPECT_TRUE(m_pty.Read(0, 50).empty());
}

}  // namespace
}  // namespace vel
