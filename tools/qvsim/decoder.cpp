#include "qvsim/decoder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/direct/direct_pages.h"

namespace qvsim {
namespace {

// A caption as one line: "Rec\nPlay" reads "Rec / Play". Captions without a
// letter ("-", "<") are quoted so that they stand out in a sentence.
std::string CaptionText(std::string_view caption) {
  std::string text;
  for (char c : caption) {
    if (c == '\n')
      text += " / ";
    else
      text += c;
  }
  const bool hasLetter =
      std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isalpha(c); });
  return hasLetter ? text : "\"" + text + "\"";
}

// The sentences collected for each byte before they are joined.
class MeaningTable {
 public:
  void Add(std::uint8_t byte, std::string phrase, CameraEvent event = CameraEvent::None) {
    auto& phrases = m_phrases[byte];
    if (std::find(phrases.begin(), phrases.end(), phrase) == phrases.end())
      phrases.push_back(std::move(phrase));
    if (event != CameraEvent::None)
      m_events[byte] = event;
  }

  void AddKey(const vel::KeyRow& row) {
    const std::string caption = CaptionText(row.caption);
    const std::size_t count = row.press.size();
    for (std::size_t i = 0; i < count; ++i) {
      std::string phrase = caption + " pressed";
      if (count > 1)
        phrase += " (byte " + std::to_string(i + 1) + " of " + std::to_string(count) + ")";
      Add(row.press[i], std::move(phrase));
    }
    const CameraEvent releaseEvent =
        row.id == vel::kShutterKey ? CameraEvent::ShutterReleased : CameraEvent::None;
    for (std::uint8_t byte : row.release) Add(byte, caption + " released", releaseEvent);
  }

  void AddKeys(std::span<const vel::KeyRow> rows) {
    for (const vel::KeyRow& row : rows) AddKey(row);
  }

  void AddDialogKeys(std::span<const vel::DialogKeyRow> rows) {
    for (const vel::DialogKeyRow& row : rows) {
      const std::string caption = CaptionText(row.caption);
      Add(row.hold, caption + " pressed");
      Add(row.release, caption + " released");
      AddKeys(vel::ModeDialogLayoutOf(row.dialog).buttons);
    }
  }

  void AddModeBytes(int model) {
    const std::string note =
        vel::TakesModeBytes(model)
            ? std::string()
            : " (ignored: the " + std::string(vel::ModelName(model)) + " takes no mode bytes)";
    const auto exposures = vel::ExposureModeNames();
    for (std::size_t i = 0; i < exposures.size(); ++i) {
      Add(vel::ExposureModeByte(static_cast<int>(i)),
          "Exposure mode: " + std::string(exposures[i]) + note);
    }
    const auto drives = vel::DriveModeNames();
    for (std::size_t i = 0; i < drives.size(); ++i) {
      if (const auto byte = vel::DriveModeByte(static_cast<int>(i)))
        Add(*byte, "Drive mode: " + std::string(drives[i]) + note);
    }
  }

  ByteMeaning Meaning(std::uint8_t byte) const {
    const auto& phrases = m_phrases[byte];
    if (phrases.empty())
      return {"Unknown byte " + ByteLabel(byte), false, CameraEvent::None};
    std::string text = phrases.front();
    for (std::size_t i = 1; i < phrases.size(); ++i) text += " or " + phrases[i];
    return {std::move(text), true, m_events[byte]};
  }

 private:
  std::array<std::vector<std::string>, 256> m_phrases;
  std::array<CameraEvent, 256> m_events{};
};

}  // namespace

std::string ByteLabel(std::uint8_t byte) {
  char text[16];
  if (byte >= 0x20 && byte < 0x7F)
    std::snprintf(text, sizeof text, "0x%02X '%c'", byte, byte);
  else
    std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

CommandDecoder::CommandDecoder(int model) : m_model(vel::EffectiveModel(model)) {
  MeaningTable table;
  const vel::DirectPage& page = vel::DirectPageForModel(m_model);
  table.AddKeys(page.keys);
  table.AddDialogKeys(page.dialogKeys);
  table.Add(vel::kSwitchUsbRec, "REC/USB switch", CameraEvent::UsbRecSwitch);
  table.Add(vel::kSwitchUsbRecRelease, "REC/USB switch released");
  table.AddModeBytes(m_model);
  for (int byte = 0; byte < 256; ++byte)
    m_meanings[byte] = table.Meaning(static_cast<std::uint8_t>(byte));
}

}  // namespace qvsim
