#include "core/camera/com_port.h"

namespace vel {

std::string ComPortErrorText(const std::string& systemText) {
  return "ComPort opening error. System error message:\n\n" + systemText +
         "\nCheck if\n"
         "- ComPort setting is mapped to existing port (see \"Config\")\n"
         "- ComPort is not in use by another application\n";
}

Result CComPort::Open(const std::string& portName) {
  CloseDevice(/*purgeInput=*/true);
  std::string systemText;
  if (!OpenDevice(portName, systemText)) {
    CloseDevice(/*purgeInput=*/false);
    return Result::Failure(ComPortErrorText(systemText));
  }
  return Result::Success();
}

Result CComPort::Write(const void* bytes, std::uint32_t count) {
  if (!IsOpen())
    return Result::Failure("The port is not open.");
  std::string systemText;
  if (!WriteDevice(bytes, count, systemText))
    return Result::Failure(systemText);
  return Result::Success();
}

void CComPort::Close() {
  CloseDevice(/*purgeInput=*/false);
}

}  // namespace vel
