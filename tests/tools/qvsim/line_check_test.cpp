#include "qvsim/line_check.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qvsim {
namespace {

// The settings the program puts on its port: raw, 9600 baud, 8N1.
termios CameraLine() {
  termios tio{};
  ::cfmakeraw(&tio);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  return tio;
}

TEST(LineCheck, TheCameraLineHasNoProblems) {
  const LineSettings line = ReadLineSettings(CameraLine());
  EXPECT_EQ(DescribeLine(line), "9600 8N1, no flow control");
  EXPECT_TRUE(LineProblems(line).empty());
}

TEST(LineCheck, EachDifferenceIsNamed) {
  struct Case {
    void (*change)(termios&);
    const char* description;
    const char* problem;
  };
  const Case cases[] = {
      {[](termios& t) { ::cfsetospeed(&t, B4800); }, "4800 8N1, no flow control",
       "4800 baud instead of 9600 baud"},
      {[](termios& t) { ::cfsetospeed(&t, B115200); }, "115200 8N1, no flow control",
       "115200 baud instead of 9600 baud"},
      {[](termios& t) { t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB; },
       "9600 7E1, no flow control", "7 data bits instead of 8"},
      {[](termios& t) { t.c_cflag |= PARENB | PARODD; }, "9600 8O1, no flow control",
       "odd parity instead of none"},
      {[](termios& t) { t.c_cflag |= CSTOPB; }, "9600 8N2, no flow control",
       "2 stop bits instead of 1"},
      {[](termios& t) { t.c_cflag |= CRTSCTS; }, "9600 8N1, RTS/CTS flow control",
       "RTS/CTS flow control on"},
      {[](termios& t) { t.c_iflag |= IXON; }, "9600 8N1, XON/XOFF flow control",
       "XON/XOFF flow control on"},
      {[](termios& t) { t.c_oflag |= OPOST; }, "9600 8N1, no flow control, output processing on",
       "output processing on (the terminal may change bytes)"},
  };
  for (const Case& c : cases) {
    termios tio = CameraLine();
    c.change(tio);
    const LineSettings line = ReadLineSettings(tio);
    EXPECT_EQ(DescribeLine(line), c.description);
    const std::vector<std::string> problems = LineProblems(line);
    EXPECT_NE(std::find(problems.begin(), problems.end(), c.problem), problems.end())
        << c.description;
  }
}

TEST(LineCheck, SeveralDifferencesAreAllListed) {
  termios tio = CameraLine();
  ::cfsetospeed(&tio, B38400);
  tio.c_cflag |= PARENB | CRTSCTS;
  tio.c_iflag |= IXOFF;
  const LineSettings line = ReadLineSettings(tio);
  EXPECT_EQ(DescribeLine(line), "38400 8E1, RTS/CTS and XON/XOFF flow control");
  EXPECT_EQ(LineProblems(line).size(), 4u);
}

}  // namespace
}  // namespace qvsim
