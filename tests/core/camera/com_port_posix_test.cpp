#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <tuple>

#include "core/camera/com_port.h"
#include "core/camera/command_bytes.h"
#include "core/camera/serial_ports.h"
#include "core/platform/system_error.h"
#include "support/child_process.h"
#include "support/pseudo_terminal.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

// Whatever the terminal was set to before.
TEST(ComPort, OpensRawAt9600EightNoneOneWithoutFlowControlAndSendsOnlyWhileItHoldsThePort) {
  test::PseudoTerminal line;
  termios cooked = line.SlaveSettings();
  cooked.c_cflag = (cooked.c_cflag & ~CSIZE) | CS7 | CSTOPB | CRTSCTS;
  cooked.c_iflag |= IXON | IXOFF | IXANY;
  cooked.c_oflag |= OPOST;
  cooked.c_lflag |= ICANON | ECHO;
  ::cfsetspeed(&cooked, B4800);
  ASSERT_TRUE(line.SetSlaveSettings(cooked));
  CComPort port;
  ASSERT_TRUE(port.Open(line.SlavePath()));
  const termios tio = line.SlaveSettings();
  EXPECT_EQ(::cfgetospeed(&tio), B9600);
  EXPECT_EQ(::cfgetispeed(&tio), B9600);
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);

  // Bytes arrive once and in order; a second opener is refused; a failed open says why, port
  // closed even after a write.
  CComPort second;
  EXPECT_TRUE(SendCommandByte(port, 0x42));
  SendKeyBytes(port, KeyBytes('N', 'P'));
  EXPECT_EQ(line.Read(3, 2000), (Bytes{0x42, 'N', 'P'}));
  EXPECT_EQ(line.Read(), Bytes{});

  EXPECT_EQ(second.Open(line.SlavePath()).Text(), ComPortErrorText(SystemErrorText(EBUSY) + "\n") +
                                                      "\nDevice tried: " + line.SlavePath() + "\n");
  EXPECT_EQ(port.Open("/dev/velorantica-no-such-port").Text(),
            "ComPort opening error. System error message:\n\n" + SystemErrorText(ENOENT) +
                "\n\nCheck if\n- ComPort setting is mapped to existing port (see \"Config\")\n"
                "- ComPort is not in use by another application\n"
                "\nDevice tried: /dev/velorantica-no-such-port\n");
  // A key pressed on a port that never opened leaves it closed, not lost.
  for (int keys = 0; keys < 2; ++keys) {
    EXPECT_EQ(PortStateText(port),
              "Port /dev/velorantica-no-such-port is closed: " + SystemErrorText(ENOENT) + "\n");
    EXPECT_FALSE(SendCommandByte(port, 0x42));
  }
  EXPECT_FALSE(port.IsLost());
  EXPECT_EQ(line.Read(), Bytes{});
  EXPECT_TRUE(second.Open(line.SlavePath()));
}

// What a user outside the device's group is told, by the device's mode and group.
TEST(ComPort, DeniedAccessIsAdvisedByTheDevicesModeAndGroup) {
  const group* dialout = ::getgrnam("dialout");
  if (::geteuid() != 0 || !dialout)
    GTEST_SKIP() << "needs root and a dialout group to hand the device over and drop privileges";
  const gid_t dialoutId = dialout->gr_gid;  // getgrnam's entry is overwritten by later calls
  // The mode, the group, the parts of the text and what it must not say ("" when it opens).
  const std::tuple<mode_t, gid_t, std::vector<std::string>, std::string> cases[] = {
      {0600,
       0,
       {"(crw------- root:root) gives no group write access",
        "KERNEL==\"pts/[0-9]*\", GROUP=\"dialout\", MODE=\"0660\""},
       "-aG root"},
      {0660, dialoutId, {"belongs to the group dialout", "sudo usermod -aG dialout $USER"}, "udev"},
      {0666, 0, {}, ""},
  };
  for (const auto& [mode, groupId, parts, never] : cases) {
    SCOPED_TRACE(mode);
    test::PseudoTerminal line;
    ASSERT_EQ(::chown(line.SlavePath().c_str(), 0, groupId), 0);
    ASSERT_EQ(::chmod(line.SlavePath().c_str(), mode), 0);
    const std::optional<std::string> text = test::RunInChild(
        [&] {
          if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            return std::string("privileges not dropped");
          CComPort port;
          const Result opened = port.Open(line.SlavePath());
          return opened ? std::string("opened") : opened.Text();
        },
        10);
    ASSERT_TRUE(text);
    if (parts.empty()) {
      EXPECT_EQ(*text, "opened");
      continue;
    }
    std::vector<std::string> all = {SystemErrorText(EACCES),
                                    "Device tried: " + line.SlavePath() + "\n"};
    all.insert(all.end(), parts.begin(), parts.end());
    for (const std::string& part : all)
      EXPECT_NE(text->find(part), std::string::npos) << part << " in:\n" << *text;
    EXPECT_EQ(text->find(never), std::string::npos) << never << " in:\n" << *text;
  }
}

// A failed write (adapter pulled) loses the port; Reopen opens its name again; a line that takes
// no byte (its output stopped) fails the write within seconds instead of holding the shot, the one
// check of that time-out on the real clock; Close forgets the port.
TEST(ComPort, AFailedOrStalledWriteLosesThePortUntilReopenFindsItsNameAgain) {
  test::TempDir dir;
  const std::string link = dir / "camera";
  auto line = std::make_unique<test::PseudoTerminal>();
  fs::create_symlink(line->SlavePath(), link);
  CComPort port;
  EXPECT_TRUE(port.Reopen()) << "nothing to do while not lost";
  ASSERT_TRUE(port.Open(link));
  line.reset();
  fs::remove(link);
  EXPECT_FALSE(SendCommandByte(port, 0x42));
  EXPECT_TRUE(port.IsLost() && !port.IsOpen());
  EXPECT_FALSE(port.Reopen());
  EXPECT_TRUE(port.IsLost());
  EXPECT_EQ(PortStateText(port).rfind("Port " + link + " was lost (", 0), 0u)
      << PortStateText(port);
  line = std::make_unique<test::PseudoTerminal>();
  fs::create_symlink(line->SlavePath(), link);
  ASSERT_TRUE(port.Reopen());
  EXPECT_FALSE(port.IsLost());
  EXPECT_EQ(PortStateText(port), "Port " + link + " is open.");
  EXPECT_TRUE(SendCommandByte(port, 0x42));
  EXPECT_EQ(line->Read(1, 2000), Bytes{0x42});
  line->StopOutput(true);
  auto write = std::async(std::launch::async, [&] { return SendCommandByte(port, 0x42); });
  const bool timedOut = write.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  line->StopOutput(false);
  EXPECT_TRUE(timedOut) << "the write waited for the stalled line";
  EXPECT_EQ(write.get().Text(), SystemErrorText(ETIMEDOUT) + "\n");
  EXPECT_TRUE(port.IsLost());
  port.Close();
  EXPECT_FALSE(SendCommandByte(port, 0x42));
  EXPECT_FALSE(port.IsLost());
  EXPECT_EQ(PortStateText(port), "No serial port is open.");
}

TEST(ComPort, ComNamesAreTheStandardPortsAndOtherNamesLieInDev) {
  EXPECT_EQ(CComPort::DevicePath("com6"), "/dev/ttyS5");
  EXPECT_EQ(CComPort::DevicePath("COM12"), "/dev/ttyS11");
  EXPECT_EQ(CComPort::DevicePath("COM0"), "/dev/COM0");
  EXPECT_EQ(CComPort::DevicePath("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(CComPort::DevicePath("/dev/serial/by-id/x"), "/dev/serial/by-id/x");
}

// The list is read afresh: a terminal linked in later is listed with what its by-id name says,
// adapters and modems in natural order, other names and folders left out.
TEST(SerialPorts, TheListShowsTheDevicesOfEachCallWithWhatTheyAre) {
  test::TempDir dev;
  const auto texts = [&dev] {
    std::vector<std::string> texts;
    for (const SerialPortEntry& entry : SerialPortList(dev.Path())) texts.push_back(entry.text);
    return texts;
  };
  const std::vector<std::string> standard = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};
  EXPECT_EQ(texts(), standard);

  test::PseudoTerminal line;
  fs::create_symlink(line.SlavePath(), dev / "ttyUSB0");
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyUSB", "tty1"})
    test::TempDir::WriteFile(dev / name, "");
  fs::create_directories(dev / "ttyUSB5");
  fs::create_directories(dev / "serial/by-id");
  for (const auto& [name, target] :
       {std::pair{"usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0"},
        {"usb-FTDI_Dual_RS232-if01-port0", "ttyUSB10"},
        {"usb-Arduino__www.arduino.cc__0043_7523-if00", "ttyACM0"}})
    fs::create_symlink(std::string("../../") + target, dev / (std::string("serial/by-id/") + name));
  std::vector<std::string> expected = standard;
  expected.insert(
      expected.end(),
      {"ttyACM0 - Arduino www.arduino.cc 0043 7523", "ttyUSB0 - FTDI FT232R USB UART A50285BI",
       "ttyUSB2", "ttyUSB10 - FTDI Dual RS232, interface 1",
       "serial/by-id/usb-Arduino__www.arduino.cc__0043_7523-if00 (ttyACM0)",
       "serial/by-id/usb-FTDI_Dual_RS232-if01-port0 (ttyUSB10)",
       "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 (ttyUSB0)"});
  EXPECT_EQ(texts(), expected);
  // Both names of the adapter open the terminal linked in.
  const std::vector<SerialPortEntry> entries = SerialPortList(dev.Path());
  for (const SerialPortEntry* entry : {&entries[7], &entries.back()}) {
    SCOPED_TRACE(entry->text);
    CComPort port;
    ASSERT_TRUE(port.Open(entry->name));
    EXPECT_TRUE(SendCommandByte(port, 0x42));
    EXPECT_EQ(line.Read(1, 2000), Bytes{0x42});
  }
}

}  // namespace
}  // namespace vel
