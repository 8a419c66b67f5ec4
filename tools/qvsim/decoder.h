#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qvsim {

// What a command byte does to the simulated camera, besides its text.
enum class CameraEvent {
  None,
  ShutterReleased,  // the shutter button came up: the camera stores a picture
  UsbRecSwitch,     // 'M': the camera toggles between REC and USB mode
};

struct ByteMeaning {
  std::string text;  // "Shutter pressed", "Exposure mode: Program AE", ...
  bool known = false;
  CameraEvent event = CameraEvent::None;
};

// Turns command bytes into what they mean for one camera model, drawn from
// the same key tables, dialog buttons and mode lists the program sends from.
class CommandDecoder {
 public:
  explicit CommandDecoder(int model);

  int Model() const { return m_model; }  // the effective model index
  const ByteMeaning& Decode(std::uint8_t byte) const { return m_meanings[byte]; }

 private:
  int m_model;
  std::array<ByteMeaning, 256> m_meanings;
};

// "0x42 'B'" for printable bytes, "0x85" for the others.
std::string ByteLabel(std::uint8_t byte);

}  // namespace qvsim
