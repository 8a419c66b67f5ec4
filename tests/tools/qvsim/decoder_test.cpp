#include "qvsim/decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/direct/direct_pages.h"

namespace qvsim {
namespace {

// A caption on one line, quoted when it has no letter ("<").
std::string OneLine(std::string_view caption) {
  std::string text;
  for (char c : caption) text += c == '\n' ? std::string(" / ") : std::string(1, c);
  const bool letter = std::ranges::any_of(text, [](unsigned char c) { return std::isalpha(c); });
  return letter ? text : "\"" + text + "\"";
}

TEST(CommandDecoder, EveryByteOfEveryModelMeansWhatTheTablesSend) {
  for (int model = 0; model < vel::kModelCount; ++model) {
    // What the model's tables send: the phrases each byte must name.
    std::map<int, std::vector<std::string>> phrases;
    std::map<int, CameraEvent> events = {{vel::kSwitchUsbRec, CameraEvent::UsbRecSwitch}};
    const auto addKey = [&](const vel::KeyRow& row) {
      for (std::uint8_t byte : row.press)
        phrases[byte].push_back(OneLine(row.caption) + " pressed");
      for (std::uint8_t byte : row.release) {
        phrases[byte].push_back(OneLine(row.caption) + " released");
        if (row.id == vel::kShutterKey)
          events[byte] = CameraEvent::ShutterReleased;
      }
    };
    const vel::DirectPage& page = vel::DirectPageForModel(model);
    for (const vel::KeyRow& row : page.keys) addKey(row);
    for (const vel::DialogKeyRow& row : page.dialogKeys) {
      addKey({row.id, row.caption, vel::KeyBytes(row.hold), vel::KeyBytes(row.release)});
      for (const vel::KeyRow& button : vel::ModeDialogLayoutOf(row.dialog).buttons) addKey(button);
    }
    phrases[vel::kSwitchUsbRec].push_back("REC/USB switch");
    phrases[vel::kSwitchUsbRecRelease].push_back("REC/USB switch released");
    const auto exposures = vel::ExposureModeNames(), drives = vel::DriveModeNames();
    for (int i = 0; i < 6; ++i)
      phrases[vel::ExposureModeByte(i)].push_back("Exposure mode: " + std::string(exposures[i]));
    for (int i = 0; i < 5; ++i)
      phrases[*vel::DriveModeByte(i)].push_back("Drive mode: " + std::string(drives[i]));

    const CommandDecoder decoder(model);
    for (int byte = 0; byte < 256; ++byte) {
      const std::string label = ByteLabel(static_cast<std::uint8_t>(byte));
      const ByteMeaning& meaning = decoder.Decode(static_cast<std::uint8_t>(byte));
      SCOPED_TRACE(std::string(vel::ModelName(model)) + " " + label + ": " + meaning.text);
      const auto named = phrases.find(byte);
      EXPECT_EQ(meaning.known, named != phrases.end());
      if (named == phrases.end())
        EXPECT_EQ(meaning.text, "Unknown byte " + label);
      else
        for (const std::string& phrase : named->second)
          EXPECT_NE(meaning.text.find(phrase), std::string::npos) << phrase;
      EXPECT_EQ(int(meaning.event), int(events[byte])) << "event";
    }
  }
}

TEST(CommandDecoder, BytesReadAsTheModelUnderstandsThem) {
  const struct {
    int model;
    std::uint8_t byte;
    const char* text;
  } rows[] = {{5, 'L', "Focus pressed"},
              {9, 'L', "Self Timer pressed"},
              {6, 'F', "Focus / Resize pressed"},
              {7, 0x7A, "\"<\" released"},
              {7, 0x8B, "Drive mode: Movie recording"},
              {5, 0x00, "Unknown byte 0x00"}};
  for (const auto& row : rows)
    EXPECT_EQ(CommandDecoder(row.model).Decode(row.byte).text, row.text)
        << vel::ModelName(row.model) << " " << ByteLabel(row.byte);
}

}  // namespace
}  // namespace qvsim
