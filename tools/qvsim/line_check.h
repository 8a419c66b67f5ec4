#pragma once

#include <termios.h>

#include <string>
#include <vector>

namespace qvsim {

// The serial line settings a program put on the terminal, in the terms of
// a serial port rather than of termios flags.
struct LineSettings {
  long baud = 0;  // output speed; 0 when the speed is not a standard one
  int dataBits = 8;
  char parity = 'N';  // 'N', 'E' or 'O'
  int stopBits = 1;
  bool hardwareFlow = false;      // RTS/CTS
  bool softwareFlow = false;      // XON/XOFF in either direction
  bool outputProcessing = false;  // the terminal may change bytes on their way (OPOST)
};

LineSettings ReadLineSettings(const termios& tio);

// "9600 8N1, no flow control"; flow control and output processing are named
// when they are on.
std::string DescribeLine(const LineSettings& line);

// What differs from the camera's line (9600 baud, 8N1, no flow control,
// bytes passed unchanged), one text per difference; empty when it matches.
std::vector<std::string> LineProblems(const LineSettings& line);

}  // namespace qvsim
