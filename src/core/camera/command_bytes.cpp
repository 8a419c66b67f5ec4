#include "core/camera/command_bytes.h"

#include "core/app/settings.h"
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

void SendExposureMode() {
  SendCommandByte(ExposureModeByte(ExposureMode));
}

void SendDriveMode() {
  if (const auto byte = DriveModeByte(DriveMode))
    SendCommandByte(*byte);
}

}  // namespace vel
