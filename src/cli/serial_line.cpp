#include "cli/serial_line.h"

#include <filesystem>

#include "core/camera/serial_ports.h"
#include "core/ui/page_templates.h"

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
  namespace fs = std::filesystem;
  std::vector<std::string> lines;
  for (std::string_view entry : vel::ComPortEntries()) {
    const std::string name(entry);
    const std::string device = vel::CComPort::DevicePath(name);
    std::error_code error;
    if (fs::exists(deviceRoot + device.substr(device.rfind('/')), error))
      lines.push_back(name + "  " + device);
  }
  for (const std::string& device : vel::PresentSerialDevices(deviceRoot)) {
    std::error_code error;
    const fs::path target = fs::canonical(device, error);
    const bool link = fs::is_symlink(device, error);
    lines.push_back(link && !target.empty() ? device + " -> " + target.string() : device);
  }
  return lines;
}

}  // namespace cli
