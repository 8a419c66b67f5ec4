#include "qvsim/decoder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/direct/direct_pages.h"

namespace qvsim {
namespace {

// A caption as the decoder names it: on one line, quoted when it has no
// letter.
std::string OneLine(std::string_view caption) {
  std::string text;
  bool hasLetter = false;
  for (char c : caption) {
    text += c == '\n' ? std::string(" / ") : std::string(1, c);
    hasLetter |= std::isalpha(static_cast<unsigned char>(c)) != 0;
  }
  return hasLetter ? text : "\"" + text + "\"";
}

// Every key of a model's page names its key on press and on release, and
// only the shutter's release stores a picture.
void ExpectEveryKeyNamed(int model) {
  const CommandDecoder decoder(model);
  const vel::DirectPage& page = vel::DirectPageForModel(model);
  ASSERT_FALSE(page.keys.empty());
  for (const vel::KeyRow& key : page.keys) {
    const std::string name = OneLine(key.caption);
    for (std::uint8_t byte : key.press) {
      const ByteMeaning& meaning = decoder.Decode(byte);
      EXPECT_TRUE(meaning.known) << name;
      EXPECT_NE(meaning.text.find(name + " pressed"), std::string::npos)
          << vel::ModelName(model) << " " << ByteLabel(byte) << ": " << meaning.text;
      EXPECT_EQ(meaning.event, CameraEvent::None);
    }
    for (std::uint8_t byte : key.release) {
      const ByteMeaning& meaning = decoder.Decode(byte);
      EXPECT_NE(meaning.text.find(name + " released"), std::string::npos)
          << vel::ModelName(model) << " " << ByteLabel(byte) << ": " << meaning.text;
      EXPECT_EQ(meaning.event == CameraEvent::ShutterReleased, key.id == 1016) << name;
    }
  }
}

TEST(CommandDecoder, NamesEveryKeyOfTheQv3000ExPage) {
  ExpectEveryKeyNamed(5);
}

TEST(CommandDecoder, NamesEveryKeyOfTheQv4000PageIncludingDialogKeysAndButtons) {
  ExpectEveryKeyNamed(7);
  const CommandDecoder decoder(7);
  for (const vel::DialogKeyRow& key : vel::DirectPageForModel(7).dialogKeys) {
    EXPECT_EQ(decoder.Decode(key.hold).text, std::string(key.caption) + " pressed");
    EXPECT_EQ(decoder.Decode(key.release).text, std::string(key.caption) + " released");
  }
  EXPECT_EQ(decoder.Decode(0x5B).text, "\">\" pressed");
  EXPECT_EQ(decoder.Decode(0x7A).text, "\"<\" released");
}

TEST(CommandDecoder, TheSameByteMeansDifferentKeysOnDifferentModels) {
  EXPECT_EQ(CommandDecoder(5).Decode('L').text, "Focus pressed");
  EXPECT_EQ(CommandDecoder(9).Decode('L').text, "Self Timer pressed");
  EXPECT_EQ(CommandDecoder(5).Decode('F').text, "Up pressed");
  EXPECT_EQ(CommandDecoder(6).Decode('F').text, "Focus / Resize pressed");
}

TEST(CommandDecoder, SwitchBytesToggleTheMode) {
  for (int model : {0, 7}) {
    const CommandDecoder decoder(model);
    EXPECT_EQ(decoder.Decode(vel::kSwitchUsbRec).text, "REC/USB switch");
    EXPECT_EQ(decoder.Decode(vel::kSwitchUsbRec).event, CameraEvent::UsbRecSwitch);
    EXPECT_EQ(decoder.Decode(vel::kSwitchUsbRecRelease).text, "REC/USB switch released");
    EXPECT_EQ(decoder.Decode(vel::kSwitchUsbRecRelease).event, CameraEvent::None);
  }
}

TEST(CommandDecoder, ModeBytesNameTheListEntries) {
  const CommandDecoder decoder(7);
  const auto exposures = vel::ExposureModeNames();
  for (int i = 0; i < static_cast<int>(exposures.size()); ++i) {
    EXPECT_EQ(decoder.Decode(vel::ExposureModeByte(i)).text,
              "Exposure mode: " + std::string(exposures[i]));
  }
  const auto drives = vel::DriveModeNames();
  for (int i = 0; i < static_cast<int>(drives.size()); ++i) {
    EXPECT_EQ(decoder.Decode(*vel::DriveModeByte(i)).text, "Drive mode: " + std::string(drives[i]));
  }
  EXPECT_EQ(decoder.Decode(0x83).text, "Exposure mode: Program AE");
  EXPECT_EQ(decoder.Decode(0x8B).text, "Drive mode: Movie recording");
}

TEST(CommandDecoder, BytesOutsideTheTablesAreUnknownInHex) {
  const CommandDecoder decoder(5);
  EXPECT_EQ(decoder.Decode(0x3F).text, "Unknown byte 0x3F '?'");
  EXPECT_EQ(decoder.Decode(0x00).text, "Unknown byte 0x00");
  EXPECT_EQ(decoder.Decode(0xFF).text, "Unknown byte 0xFF");
  EXPECT_FALSE(decoder.Decode(0x86).known);  // between the exposure and the drive bytes
  // 'U' is a key of the QV-3500EX only: unknown to the QV-3000EX.
  EXPECT_EQ(decoder.Decode('U').text, "Unknown byte 0x55 'U'");
  EXPECT_TRUE(CommandDecoder(6).Decode('U').known);
}

TEST(CommandDecoder, KnownBytesAreExactlyTheTableBytes) {
  // Every model knows the key, dialog, switch and mode bytes of its page,
  // and nothing else.
  for (int model = 0; model < vel::kModelCount; ++model) {
    const vel::DirectPage& page = vel::DirectPageForModel(model);
    std::set<int> expected = {vel::kSwitchUsbRec, vel::kSwitchUsbRecRelease};
    for (int i = 0; i <= 5; ++i) expected.insert(vel::ExposureModeByte(i));
    for (int i = 0; i <= 4; ++i) expected.insert(*vel::DriveModeByte(i));
    for (const vel::KeyRow& key : page.keys) {
      expected.insert(key.press.begin(), key.press.end());
      expected.insert(key.release.begin(), key.release.end());
    }
    for (const vel::DialogKeyRow& key : page.dialogKeys) {
      expected.insert({key.hold, key.release});
      for (const vel::KeyRow& button : vel::FindModeDialog(key.dialogTemplate)->buttons)
        expected.insert({button.press[0], button.release[0]});
    }
    const CommandDecoder decoder(model);
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_EQ(decoder.Decode(static_cast<std::uint8_t>(byte)).known, expected.count(byte) == 1)
          << vel::ModelName(model) << " " << ByteLabel(static_cast<std::uint8_t>(byte));
    }
  }
}

}  // namespace
}  // namespace qvsim
