#include "core/camera/com_port.h"

#include <cctype>

namespace vel {

std::optional<int> ComPortNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 6)
    return std::nullopt;
  for (int i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
      return std::nullopt;
  int number = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i])))
      return std::nullopt;
    number = number * 10 + (name[i] - '0');
  }
  return number >= 1 ? std::optional(number) : std::nullopt;
}

std::string ComPortErrorText(const std::string& systemText) {
  return "ComPort opening error. System error message:\n\n" + systemText +
         "\nCheck if\n"
         "- ComPort setting is mapped to existing port (see \"Config\")\n"
         "- ComPort is not in use by another application\n";
}

// "COM1 (/dev/ttyS0)", or the device alone when the name is the device.
std::string PortAndDevice(const std::string& portName) {
  const std::string device = CComPort::DevicePath(portName);
  return device == portName ? device : portName + " (" + device + ")";
}

std::string PortStateText(const CComPort& port) {
  if (port.Name().empty())
    return "No serial port is open.";
  const std::string which = "Port " + PortAndDevice(port.Name());
  if (port.IsOpen())
    return which + " is open.";
  if (port.IsLost())
    return which + " was lost (" + port.LastError() +
           "); it is opened again at the next key or shot.";
  return which + " is closed: " + port.LastError();
}

Result CComPort::Open(const std::string& portName) {
  CloseDevice(/*purgeInput=*/true);
  m_name = portName;
  std::string systemText;
  if (!OpenDevice(portName, systemText)) {
    CloseDevice(/*purgeInput=*/false);
    m_lastError = systemText;
    const std::string device = DevicePath(portName);
    return Result::Failure(ComPortErrorText(systemText) + "\nDevice tried: " + device + "\n" +
                           AccessHint(device));
  }
  m_lastError.clear();
  return Result::Success();
}

Result CComPort::Write(const void* bytes, std::uint32_t count) {
  if (!IsOpen())
    return Result::Failure("The port is not open.");
  std::string systemText;
  if (WriteDevice(bytes, count, systemText))
    return Result::Success();
  // Whatever made the write fail, the handle is of no more use: the next
  // Reopen gets a fresh one, which is how a replugged adapter comes back.
  CloseDevice(/*purgeInput=*/false);
  m_lost = !m_name.empty();
  m_lastError = systemText;
  return Result::Failure(systemText);
}

Result CComPort::Reopen() {
  if (!m_lost)
    return Result::Success();
  Result opened = Open(m_name);
  m_lost = !opened;
  return opened;
}

void CComPort::Close() {
  CloseDevice(/*purgeInput=*/false);
  m_name.clear();
  m_lastError.clear();
  m_lost = false;
}

}  // namespace vel
