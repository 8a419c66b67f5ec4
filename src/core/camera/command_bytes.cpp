#include "core/camera/command_bytes.h"

#include "core/camera/com_port.h"

namespace vel {

std::uint8_t ExposureModeByte(int exposureMode) {
  return exposureMode >= 0 && exposureMode <= 5 ? static_cast<std::uint8_t>(0x80 + exposureMode)
                                                : 0x80;
}

std::optional<std::uint8_t> DriveModeByte(int driveMode) {
  if (driveMode < 0 || driveMode > 4)
    return std::nullopt;
  return static_cast<std::uint8_t>(0x88 + driveMode);
}

Result SendCommandByte(CComPort& port, std::uint8_t byte) {
  return port.Write(&byte, 1);
}

void SendKeyBytes(CComPort& port, const KeyBytes& bytes) {
  for (std::uint8_t byte : bytes)
    if (!SendCommandByte(port, byte))
      return;  // the line is lost: the bytes after it would be too
}

void SendExposureMode(CComPort& port, int exposureMode) {
  SendKeyBytes(port, KeyBytes(ExposureModeByte(exposureMode)));
}

void SendDriveMode(CComPort& port, int driveMode) {
  if (const auto byte = DriveModeByte(driveMode))
    SendKeyBytes(port, KeyBytes(*byte));
}

}  // namespace vel
