#pragma once

#include <cstdint>
#include <optional>

namespace vel {

inline constexpr std::uint8_t kSwitchUsbRec = 0x4D;         // 'M'
inline constexpr std::uint8_t kSwitchUsbRecRelease = 0x6D;  // 'm'

// 0x80 + mode for the exposure modes 0 to 5; 0x80 for any other value.
std::uint8_t ExposureModeByte(int exposureMode);

// 0x88 + mode for the drive modes 0 to 4; nothing for any other value, so an
// unknown drive mode never changes a camera setting the user did not choose.
std::optional<std::uint8_t> DriveModeByte(int driveMode);

// Send the byte of the current ExposureMode / DriveMode setting.
void SendExposureMode();
void SendDriveMode();

}  // namespace vel
