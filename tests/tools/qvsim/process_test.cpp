// qvsim as a real process, reached the way the program reaches a camera.

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "qvsim_process.h"
#include "support/temp_dir.h"

namespace qvsim {
namespace {

struct Recorded {
  long long ms;
  int byte;
};

std::vector<Recorded> ReadRecord(const std::string& path) {
  std::vector<Recorded> lines;
  std::ifstream in(path);
  long long ms = 0;
  std::string hex;
  while (in >> ms >> hex) lines.push_back({ms, std::stoi(hex, nullptr, 16)});
  return lines;
}

class QvsimProcessTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (vel::g_pComPort == m_port.get())
      vel::g_pComPort = nullptr;
  }

  // Starts qvsim and opens its terminal as the program's serial port.
  std::string StartAndOpen(test::QvsimProcess& qvsim) {
    const std::string path = qvsim.FirstLine();
    EXPECT_TRUE(path.starts_with("/dev/pts/")) << qvsim.Output() << qvsim.Errors();
    vel::ComPort = path;
    m_port = std::make_unique<vel::CComPort>();
    EXPECT_NE(m_port->Open(), 0) << m_port->LastErrorText();
    return path;
  }

  void Send(std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) EXPECT_EQ(m_port->Write(&byte, 1), 1);
  }

  vel::test::TempDir m_dir;
  std::unique_ptr<vel::CComPort> m_port;
};

TEST_F(QvsimProcessTest, RecordsAndNamesEveryByteTheProgramSends) {
  const std::string record = m_dir / "bytes.txt";
  test::QvsimProcess qvsim({"--model", "7", "--record", record});
  StartAndOpen(qvsim);
  Send({'B', 'b', 'M', 0x83, 0x3F});
  ASSERT_TRUE(qvsim.WaitFor("Unknown byte 0x3F")) << qvsim.Output();
  m_port->Close();
  EXPECT_EQ(qvsim.Stop(), 0);

  const std::vector<Recorded> lines = ReadRecord(record);
  ASSERT_EQ(lines.size(), 5u) << vel::test::TempDir::ReadFile(record);
  const int expected[] = {'B', 'b', 'M', 0x83, 0x3F};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].byte, expected[i]) << i;
    EXPECT_GE(lines[i].ms, 0);
    if (i > 0) {
      EXPECT_GE(lines[i].ms, lines[i - 1].ms) << i;
    }
  }
  const std::string& out = qvsim.Output();
  for (const char* text : {"Shutter pressed", "Shutter released", "REC/USB switch -> USB mode",
                           "Exposure mode: Program AE", "Port opened", "Port closed",
                           "Line 9600 8N1, no flow control"}) {
    EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  }
  EXPECT_EQ(out.find("Warning"), std::string::npos) << out;
}

TEST_F(QvsimProcessTest, TimesFollowTheGapsBetweenBytes) {
  const std::string record = m_dir / "bytes.txt";
  test::QvsimProcess qvsim({"--record", record});
  StartAndOpen(qvsim);
  Send({'B'});
  ASSERT_TRUE(qvsim.WaitFor("Shutter pressed"));
  ::usleep(300 * 1000);
  Send({'b'});
  ASSERT_TRUE(qvsim.WaitFor("Shutter released"));
  EXPECT_EQ(qvsim.Stop(SIGINT), 0);
  const std::vector<Recorded> lines = ReadRecord(record);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_GE(lines[1].ms - lines[0].ms, 250);
}

TEST_F(QvsimProcessTest, WarnsAboutALineThatIsNot9600Baud) {
  test::QvsimProcess qvsim({});
  const std::string path = qvsim.FirstLine();
  ASSERT_FALSE(path.empty()) << qvsim.Errors();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios tio{};
  ASSERT_EQ(::tcgetattr(fd, &tio), 0);
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B4800);
  ::cfsetospeed(&tio, B4800);
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
  const char shutter = 'B';
  ASSERT_EQ(::write(fd, &shutter, 1), 1);
  ::close(fd);
  EXPECT_TRUE(qvsim.WaitFor("Port closed")) << qvsim.Output();
  EXPECT_EQ(qvsim.Stop(), 0);
  EXPECT_NE(qvsim.Output().find("Warning: line set to 4800 8N1, no flow control: 4800 baud "
                                "instead of 9600 baud"),
            std::string::npos)
      << qvsim.Output();
}

TEST_F(QvsimProcessTest, ThePortCanBeOpenedAgainAfterTheProgramClosedIt) {
  // The program takes the port for its exclusive use; like a real serial
  // port, the terminal must be free again once the program let go of it.
  test::QvsimProcess qvsim({});
  StartAndOpen(qvsim);
  m_port->Close();
  ASSERT_TRUE(qvsim.WaitFor("Port closed"));
  EXPECT_NE(m_port->Open(), 0) << m_port->LastErrorText();
  Send({'A'});
  EXPECT_TRUE(qvsim.WaitFor("Focus Lock pressed")) << qvsim.Output();
}

TEST_F(QvsimProcessTest, KeepsTheLinkWhileRunningAndRemovesItOnExit) {
  const std::string link = m_dir / "camera";
  test::QvsimProcess qvsim({"--link", link});
  const std::string path = qvsim.FirstLine();
  ASSERT_FALSE(path.empty()) << qvsim.Errors();
  char target[256] = {};
  ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), path);
  EXPECT_EQ(qvsim.Stop(SIGINT), 0);
  struct stat info {};
  EXPECT_NE(::lstat(link.c_str(), &info), 0);
}

TEST_F(QvsimProcessTest, RefusesToReplaceAFileWithItsLink) {
  const std::string file = m_dir / "camera";
  vel::test::TempDir::WriteFile(file, "keep me");
  test::QvsimProcess qvsim({"--link", file});
  EXPECT_EQ(qvsim.Stop(0), 1);
  EXPECT_NE(qvsim.Errors().find("is no symlink"), std::string::npos) << qvsim.Errors();
  EXPECT_EQ(vel::test::TempDir::ReadFile(file), "keep me");
}

TEST_F(QvsimProcessTest, RejectsUnknownOptionsWithUsage) {
  test::QvsimProcess qvsim({"--baud", "4800"});
  EXPECT_EQ(qvsim.Stop(0), 2);
  EXPECT_NE(qvsim.Errors().find("unknown option --baud"), std::string::npos);
  EXPECT_NE(qvsim.Errors().find("Usage: qvsim"), std::string::npos);
}

TEST_F(QvsimProcessTest, RefusesTheCardWithoutRoot) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "runs as root, where the card is allowed";
  test::QvsimProcess qvsim({"--card", m_dir / "card"});
  EXPECT_EQ(qvsim.Stop(0), 1);
  EXPECT_NE(qvsim.Errors().find("--card needs root"), std::string::npos) << qvsim.Errors();
  EXPECT_TRUE(qvsim.Output().empty());
}

}  // namespace
}  // namespace qvsim
