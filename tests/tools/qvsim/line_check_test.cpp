#include "qvsim/line_check.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST(LineCheck, EachDifferenceFromTheCameraLineIsNamed) {
  using Problems = std::vector<std::string>;
  const std::tuple<void (*)(termios&), const char*, Problems> rows[] = {
      {[](termios&) {}, "9600 8N1, no flow control", {}},
      {[](termios& t) { ::cfsetospeed(&t, B4800); },
       "4800 8N1, no flow control",
       {"4800 baud instead of 9600 baud"}},
      {[](termios& t) { t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD | CSTOPB; },
       "9600 7O2, no flow control",
       {"7 data bits instead of 8", "odd parity instead of none", "2 stop bits instead of 1"}},
      {[](termios& t) { t.c_cflag |= PARENB, t.c_iflag |= IXOFF, t.c_oflag |= OPOST; },
       "9600 8E1, XON/XOFF flow control, output processing on",
       {"even parity instead of none", "XON/XOFF flow control on",
        "output processing on (the terminal may change bytes)"}},
      {[](termios& t) { ::cfsetospeed(&t, B38400), t.c_cflag |= CRTSCTS, t.c_iflag |= IXON; },
       "38400 8N1, RTS/CTS and XON/XOFF flow control",
       {"38400 baud instead of 9600 baud", "RTS/CTS flow control on", "XON/XOFF flow control on"}},
      {[](termios& t) { t.c_cflag |= CRTSCTS; },
       "9600 8N1, RTS/CTS flow control",
       {"RTS/CTS flow control on"}}};
  for (const auto& [change, description, problems] : rows) {
    termios tio = CameraLine();
    change(tio);
    const LineSettings line = ReadLineSettings(tio);
    EXPECT_EQ(DescribeLine(line), description);
    EXPECT_EQ(LineProblems(line), problems) << description;
  }
}

}  // namespace
}  // namespace qvsim
