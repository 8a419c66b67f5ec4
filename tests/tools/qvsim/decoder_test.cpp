#include "qvsim/decoder.h"

#include <gtest/gtest.h>

#include "core/camera/models.h"

namespace qvsim {
namespace {

// What a byte means to a model, as the camera's keys, dialogs and modes are named, and what the
// camera does on it.
TEST(CommandDecoder, BytesReadAsTheModelUnderstandsThem) {
  using enum CameraEvent;
  const struct {
    int model;
    std::uint8_t byte;
    const char* text;
    CameraEvent event = None;
  } rows[] = {
      {5, 'L', "Focus pressed"},
      {9, 'L', "Self Timer pressed"},
      {6, 'F', "Focus / Resize pressed"},
      {1, 'K', "Shift / Info pressed"},
      {7, 'N', "Off pressed (byte 1 of 2) or Rec / Play pressed"},
      {7, 'p', "Off released"},
      {7, 'G', "Left pressed"},
      {7, 'X', "Metering pressed"},
      {7, 0x7A, "\"<\" released"},
      {7, 0x8B, "Drive mode: Movie recording"},
      {5, 0x85, "Exposure mode: Best Shot Mode (ignored: the QV-3000EX takes no mode bytes)"},
      {12, 'b', "Shutter released", ShutterReleased},
      {0, 'M', "REC/USB switch", UsbRecSwitch},
      {9, 'N', "Unknown byte 0x4E 'N'"},
      {5, 0x00, "Unknown byte 0x00"}};
  for (const auto& row : rows) {
    const ByteMeaning meaning = CommandDecoder(row.model).Decode(row.byte);
    SCOPED_TRACE(std::string(vel::ModelName(row.model)) + " " + ByteLabel(row.byte));
    EXPECT_EQ(meaning.text, row.text);
    EXPECT_EQ(meaning.known, meaning.text.rfind("Unknown", 0) != 0);
    EXPECT_EQ(int(meaning.event), int(row.event));
  }
}

}  // namespace
}  // namespace qvsim
