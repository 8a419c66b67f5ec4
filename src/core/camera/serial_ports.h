#pragma once

#include <string>
#include <vector>

namespace vel {

// The serial devices present on this machine now, as names the port opens
// (see CComPort::DevicePath), for the Config page to offer besides COM1 to
// COM6.
//
// On Linux and other POSIX systems: the USB serial adapters ttyUSB*, then the
// modem-class devices ttyACM*, then the stable names under serial/by-id/, all
// as full paths below deviceRoot (empty: "/dev"); each group in natural
// order, so that ttyUSB2 comes before ttyUSB10. A test points deviceRoot at a
// folder of its own.
//
// On Windows: the COM ports the system knows of ("COM3", "COM12", ...), in
// number order; deviceRoot is not used there.
std::vector<std::string> PresentSerialDevices(const std::string& deviceRoot = {});

// Orders names by their text, except that runs of digits compare as numbers.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace vel
