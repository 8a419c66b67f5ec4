#include "cli/serial_line.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/camera/serial_ports.h"
#include "core/ui/page_templates.h"

namespace cli {
namespace {

// The lines that tell a user without the right to the device how to get it.
std::string AccessAdvice(const std::string& device) {
  struct stat info = {};
  if (::access(device.c_str(), R_OK | W_OK) == 0 || errno != EACCES ||
      ::stat(device.c_str(), &info) != 0)
    return {};
  const group* owner = ::getgrgid(info.st_gid);
  const std::string name = owner ? owner->gr_name : std::to_string(info.st_gid);
  return "- you may use " + device + ": it belongs to the group \"" + name +
         "\"; join it with\n    sudo usermod -aG " + name + " $USER\n  and log in again\n";
}

}  // namespace

vel::Result OpenCameraPort(vel::CComPort& port, const std::string& portName,
                           const std::string& profilePath) {
  vel::Result opened = port.Open(portName);
  if (opened)
    return opened;
  const std::string device = vel::CComPort::DevicePath(portName);
  std::string text = "Cannot open the camera's serial port " + device;
  if (device != portName)
    text += " (" + portName + ")";
  return vel::Result::Failure(text + ".\n" + opened.Text() + AccessAdvice(device) +
                              "- the port is right: --port, or ComPort in " + profilePath + "\n");
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
