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

// One entry of the serial port list that the Config page drops down and
// `velorantica-cli ports` prints.
struct SerialPortEntry {
  // What the port setting takes and CComPort::Open opens: "COM1",
  // "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0".
  std::string name;
  // The entry as the list shows it: "COM1", "ttyUSB0 - FTDI FT232R" for a
  // device the system describes, the stable name with its device
  // ("serial/by-id/usb-FTDI_FT232R-if00-port0 (ttyUSB0)") for a by-id link.
  std::string text;
  // What the system says the device is ("FTDI FT232R", from its by-id name);
  // empty when it says nothing.
  std::string description;
  // The device the entry opens: "/dev/ttyS0" for COM1, a link's target.
  std::string device;
  // Whether the device is there now; COM1 to COM6 are listed either way.
  bool present = false;
};

// The serial port list, read afresh from the system at each call, so that an
// adapter plugged in after start is offered the next time the list drops
// down: COM1 to COM6 first, in that order, then the devices present in
// natural order, each with what the system says it is, then (POSIX) their
// stable by-id names in natural order. deviceRoot is the device folder
// (empty: "/dev"), which a test points at a folder of its own; Windows lists
// the COM ports the system knows of and does not use it.
std::vector<SerialPortEntry> SerialPortList(const std::string& deviceRoot = {});

// Orders names by their text, except that runs of digits compare as numbers.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace vel
