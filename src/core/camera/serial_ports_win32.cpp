#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "core/camera/com_port.h"
#include "core/camera/serial_ports.h"
#include "core/ui/page_templates.h"

namespace vel {
namespace {

// "COM1" to "COM256": the system's names of serial ports that the port
// settings take.
bool IsComPortName(std::string_view name) {
  if (name.substr(0, 3) != "COM")
    return false;
  const std::optional<int> number = ComPortNumber(std::string(name));
  return number && *number <= 256;
}

// Every name of the system's device namespace, as the list of
// zero-terminated strings that QueryDosDevice fills in.
std::string DosDeviceNames() {
  std::string buffer(64 * 1024, '\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD length =
        ::QueryDosDeviceA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length != 0) {
      buffer.resize(length);
      return buffer;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
      break;
    buffer.assign(buffer.size() * 2, '\0');
  }
  return {};
}

}  // namespace

std::vector<std::string> PresentSerialDevices(const std::string&) {
  std::vector<std::string> ports;
  const std::string names = DosDeviceNames();
  std::size_t start = 0;
  while (start < names.size()) {
    std::size_t end = names.find('\0', start);
    if (end == std::string::npos)
      end = names.size();
    const std::string_view name(names.data() + start, end - start);
    if (IsComPortName(name))
      ports.emplace_back(name);
    start = end + 1;
  }
  std::sort(ports.begin(), ports.end(), NaturalLess);
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  return ports;
}

// COM1 to COM6 are there when the system knows them; the other ports follow.
std::vector<SerialPortEntry> SerialPortList(const std::string&) {
  std::vector<SerialPortEntry> entries;
  for (std::string_view standard : ComPortEntries()) {
    const std::string name(standard);
    entries.push_back({name, name, {}, CComPort::DevicePath(name), false});
  }
  for (const std::string& port : PresentSerialDevices()) {
    const auto standard = std::find_if(entries.begin(), entries.end(), [&port](const auto& entry) {
      return ComPortNumber(entry.name) == ComPortNumber(port);
    });
    if (standard != entries.end())
      standard->present = true;
    else
      entries.push_back({port, port, {}, CComPort::DevicePath(port), true});
  }
  return entries;
}

}  // namespace vel
