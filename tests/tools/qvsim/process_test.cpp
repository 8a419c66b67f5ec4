// qvsim as a real process, reached the way the program reaches a camera.
#include <fcntl.h>
#include <pwd.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <set>

#include "core/camera/com_port.h"
#include "core/camera/command_bytes.h"
#include "support/child_process.h"
#include "support/qvsim_recording.h"
#include "support/temp_dir.h"

namespace qvsim {
namespace {

namespace fs = std::filesystem;
using vel::test::ChildProcess;

void Send(vel::CComPort& port, std::initializer_list<std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) ASSERT_TRUE(vel::SendCommandByte(port, byte));
}

TEST(QvsimProcess, PrintsItsTerminalFirstThenNamesAndRecordsEveryByte) {
  vel::test::TempDir dir;
  ChildProcess qvsim(QVSIM_PROGRAM, {"--model", "7", "--record", dir / "bytes.txt"});
  const std::string path = qvsim.FirstLine();
  ASSERT_TRUE(path.starts_with("/dev/pts/")) << qvsim.Output() << qvsim.Errors();
  {
    vel::CComPort port;
    ASSERT_TRUE(port.Open(path));
    Send(port, {'B'});
    ::usleep(300 * 1000);
    Send(port, {'b', 'M', 0x83, 0x3F});
  }
  ASSERT_TRUE(qvsim.WaitFor("Port closed")) << qvsim.Output();
  std::size_t at = 0;
  for (const char* text : {"Port opened", "Line 9600 8N1, no flow control", "Shutter pressed",
                           "Shutter released", "REC/USB switch -> USB mode",
                           "Exposure mode: Program AE", "Unknown byte 0x3F '?'", "Port closed"}) {
    at = qvsim.Output().find(text, at);
    ASSERT_NE(at, std::string::npos) << text << " missing or out of order:\n" << qvsim.Output();
  }
  EXPECT_EQ(qvsim.Output().find("Warning"), std::string::npos) << qvsim.Output();

  // A program that sets another line gets a warning with its first byte.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  ::cfmakeraw(&tio);
  ::cfsetospeed(&tio, B4800);
  EXPECT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
  EXPECT_EQ(::write(fd, "B", 1), 1);
  ::close(fd);
  EXPECT_TRUE(
      qvsim.WaitFor("Warning: line set to 4800 8N1, no flow control: 4800 baud instead "
                    "of 9600 baud"))
      << qvsim.Output();
  EXPECT_EQ(qvsim.Stop(), 0);
  EXPECT_EQ(vel::test::ReadRecording(dir / "bytes.txt").bytes,
            (std::vector<std::uint8_t>{'B', 'b', 'M', 0x83, 0x3F, 'B'}));
}

TEST(QvsimCard, ShotsStorePictureAndThumbnailThatUsbModeMounts) {
  if (!vel::test::CanMountCards())
    GTEST_SKIP() << "needs root and loop devices";
  vel::test::TempDir dir;
  const std::string user = ::getpwuid(::geteuid())->pw_name;
  const std::string label = "QVT" + std::to_string(::getpid());
  const std::string mountPoint = "/media/" + user + "/" + label;
  ChildProcess qvsim(QVSIM_PROGRAM, {"--card", dir / "card", "--label", label, "--user", user});
  vel::CComPort port;
  ASSERT_TRUE(port.Open(qvsim.FirstLine(20000))) << qvsim.Errors();
  Send(port, {'B', 'b', 'B', 'b', 'M'});
  ASSERT_TRUE(qvsim.WaitFor("Card: USB mode, mounted at " + mountPoint)) << qvsim.Output();
  const std::string folder = mountPoint + "/DCIM/100CASIO/";
  EXPECT_EQ(vel::test::Listing(folder),
            (std::set<std::string>{"CIMG0001.JPG", "CIMG0002.JPG", "PREVIEW/"}));
  EXPECT_EQ(vel::test::Listing(folder + "PREVIEW"),
            (std::set<std::string>{"CIMG0001.JPG", "CIMG0002.JPG"}));
  // Decoded by Qt's reader: a picture and its thumbnail at half the size.
  EXPECT_EQ(QImage(QString::fromStdString(folder + "CIMG0002.JPG")).size(), QSize(320, 240));
  EXPECT_EQ(QImage(QString::fromStdString(folder + "PREVIEW/CIMG0002.JPG")).size(),
            QSize(160, 120));
  Send(port, {'M'});
  ASSERT_TRUE(qvsim.WaitFor("Card: REC mode, unmounted from " + mountPoint)) << qvsim.Output();
  EXPECT_FALSE(fs::exists(mountPoint));
  port.Close();
  EXPECT_EQ(qvsim.Stop(), 0) << qvsim.Errors();
}

}  // namespace
}  // namespace qvsim
