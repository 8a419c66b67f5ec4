#pragma once

#include <string>
#include <vector>

#include "core/camera/com_port.h"
#include "core/platform/result.h"

namespace cli {

// Opens the camera's port. A failure names the port and its device and what
// to check; when the user may not use the device, it names the group that
// owns it and how to join it.
vel::Result OpenCameraPort(vel::CComPort& port, const std::string& portName,
                           const std::string& profilePath);

// The serial ports present below deviceRoot ("/dev"), one a line: "COM1
// /dev/ttyS0" for the standard names whose device exists, then the USB
// adapters and modem devices with what they are ("/dev/ttyUSB0  FTDI
// FT232R"), then the by-id links with their targets.
std::vector<std::string> PortLines(const std::string& deviceRoot = "/dev");

}  // namespace cli
