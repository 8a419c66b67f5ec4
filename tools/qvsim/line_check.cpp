#include "qvsim/line_check.h"

#include <array>
#include <utility>

namespace qvsim {
namespace {

constexpr long kCameraBaud = 9600;

constexpr std::array<std::pair<speed_t, long>, 30> kSpeeds = {{
    {B50, 50},           {B75, 75},           {B110, 110},         {B134, 134},
    {B150, 150},         {B200, 200},         {B300, 300},         {B600, 600},
    {B1200, 1200},       {B1800, 1800},       {B2400, 2400},       {B4800, 4800},
    {B9600, 9600},       {B19200, 19200},     {B38400, 38400},     {B57600, 57600},
    {B115200, 115200},   {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
    {B576000, 576000},   {B921600, 921600},   {B1000000, 1000000}, {B1152000, 1152000},
    {B1500000, 1500000}, {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000},
    {B3500000, 3500000}, {B4000000, 4000000},
}};

long BaudOf(speed_t speed) {
  for (const auto& [code, baud] : kSpeeds) {
    if (code == speed)
      return baud;
  }
  return 0;
}

int DataBitsOf(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

std::string BaudText(long baud) {
  return baud ? std::to_string(baud) + " baud" : std::string("a non-standard speed");
}

}  // namespace

LineSettings ReadLineSettings(const termios& tio) {
  LineSettings line;
  line.baud = BaudOf(cfgetospeed(&tio));
  line.dataBits = DataBitsOf(tio.c_cflag);
  line.parity = !(tio.c_cflag & PARENB) ? 'N' : (tio.c_cflag & PARODD) ? 'O' : 'E';
  line.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
  line.hardwareFlow = (tio.c_cflag & CRTSCTS) != 0;
  line.softwareFlow = (tio.c_iflag & (IXON | IXOFF)) != 0;
  line.outputProcessing = (tio.c_oflag & OPOST) != 0;
  return line;
}

std::string DescribeLine(const LineSettings& line) {
  std::string text = (line.baud ? std::to_string(line.baud) : std::string("?")) + " " +
                     std::to_string(line.dataBits) + line.parity + std::to_string(line.stopBits);
  if (line.hardwareFlow && line.softwareFlow)
    text += ", RTS/CTS and XON/XOFF flow control";
  else if (line.hardwareFlow)
    text += ", RTS/CTS flow control";
  else if (line.softwareFlow)
    text += ", XON/XOFF flow control";
  else
    text += ", no flow control";
  if (line.outputProcessing)
    text += ", output processing on";
  return text;
}

std::vector<std::string> LineProblems(const LineSettings& line) {
  std::vector<std::string> problems;
  if (line.baud != kCameraBaud)
    problems.push_back(BaudText(line.baud) + " instead of 9600 baud");
  if (line.dataBits != 8)
    problems.push_back(std::to_string(line.dataBits) + " data bits instead of 8");
  if (line.parity != 'N')
    problems.push_back(std::string(line.parity == 'E' ? "even" : "odd") +
                       " parity instead of none");
  if (line.stopBits != 1)
    problems.push_back("2 stop bits instead of 1");
  if (line.hardwareFlow)
    problems.push_back("RTS/CTS flow control on");
  if (line.softwareFlow)
    problems.push_back("XON/XOFF flow control on");
  if (line.outputProcessing)
    problems.push_back("output processing on (the terminal may change bytes)");
  return problems;
}

}  // namespace qvsim
