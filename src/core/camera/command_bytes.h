#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/platform/result.h"

namespace vel {

class CComPort;

// Up to two command bytes, written one at a time in this order. A key sends
// one byte on press and one on release as a rule; a few keys send two bytes on
// press or none on release.
class KeyBytes {
 public:
  constexpr KeyBytes() = default;
  constexpr explicit KeyBytes(std::uint8_t only) : m_bytes{only, 0}, m_size(1) {}
  constexpr KeyBytes(std::uint8_t first, std::uint8_t second) : m_bytes{first, second}, m_size(2) {}

  constexpr std::size_t size() const { return m_size; }
  constexpr bool empty() const { return m_size == 0; }
  constexpr const std::uint8_t* begin() const { return m_bytes.data(); }
  constexpr const std::uint8_t* end() const { return m_bytes.data() + m_size; }
  constexpr std::uint8_t operator[](std::size_t i) const { return m_bytes[i]; }

  friend constexpr bool operator==(const KeyBytes& a, const KeyBytes& b) {
    return a.m_size == b.m_size && (a.m_size < 1 || a.m_bytes[0] == b.m_bytes[0]) &&
           (a.m_size < 2 || a.m_bytes[1] == b.m_bytes[1]);
  }

 private:
  std::array<std::uint8_t, 2> m_bytes{};
  std::size_t m_size = 0;
};

// Camera keys release with the press byte plus this offset: upper case
// presses, lower case releases.
inline constexpr std::uint8_t kReleaseOffset = 0x20;

inline constexpr std::uint8_t kFocusLockPress = 0x41;       // 'A'
inline constexpr std::uint8_t kShutterPress = 0x42;         // 'B'
inline constexpr std::uint8_t kSwitchUsbRec = 0x4D;         // 'M'
inline constexpr std::uint8_t kSwitchUsbRecRelease = 0x6D;  // 'm'

// 0x80 + mode for the exposure modes 0 to 5; 0x80 for any other value.
std::uint8_t ExposureModeByte(int exposureMode);

// 0x88 + mode for the drive modes 0 to 4; nothing for any other value, so an
// unknown drive mode never changes a camera setting the user did not choose.
std::optional<std::uint8_t> DriveModeByte(int driveMode);

// Every command byte goes out with a write of its own.
Result SendCommandByte(CComPort& port, std::uint8_t byte);

// The bytes of a key or a mode, up to the first that fails. A failed write
// marks the port lost (CComPort::IsLost), which is how the pages learn of
// it: their port line shows it, and the next key opens it again.
void SendKeyBytes(CComPort& port, const KeyBytes& bytes);
void SendExposureMode(CComPort& port, int exposureMode);
void SendDriveMode(CComPort& port, int driveMode);

}  // namespace vel
