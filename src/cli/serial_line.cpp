#include "cli/serial_line.h"

#include "core/camera/serial_ports.h"

namespace cli {
vel::Result OpenCameraPort(vel::CComPort& port, const std::string& portName,
                           const std::string& profilePath) {
  vel::Result opened = port.Open(portName);
  if (opened)
    return opened;
  const std::string device = vel::CComPort::DevicePath(portName);
  std::string text = "Cannot open the camera's serial port " + device;
  if (device != portName)
    text += " (" + portName + ")";
  // The core's text names the device tried and, when access was denied,
  // the group to join.
  return vel::Result::Failure(text + ".\n" + opened.Text() +
                              "Check the port: --port, or ComPort in " + profilePath + "\n");
}

std::vector<std::string> PortLines(const std::string& deviceRoot) {
  std::vector<std::string> lines;
  for (const vel::SerialPortEntry& entry : vel::SerialPortList(deviceRoot)) {
    if (!entry.present)
      continue;
    // A COM name with the device file it stands for, where it has one.
    if (vel::ComPortNumber(entry.name))
      lines.push_back(entry.device.starts_with('/') ? entry.name + "  " + entry.device
                                                    : entry.name);
    else if (entry.device != entry.name)
      lines.push_back(entry.name + " -> " + entry.device);
    else
      lines.push_back(entry.description.empty() ? entry.name
                                                : entry.name + "  " + entry.description);
  }
  return lines;
}

}  // namespace cli
