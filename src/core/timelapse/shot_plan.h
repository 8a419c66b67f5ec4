#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/timelapse/status_text.h"

namespace vel {

// The settings one shot depends on. They are read afresh at every shot, so a
// change stored while a series runs takes effect at the next shot.
struct ShotSettings {
  bool focus = false;
  int focusSeconds = 0;
  bool bulb = false;
  int bulbSeconds = 0;
  bool copyFile = false;
  int delayRecUsb = 0;
  int delayUsbRec = 0;
  int delayBulb = 0;
  bool useExternalCommand = false;
  std::string command;
  bool infinity = false;

  // The values of the settings variables at this moment.
  static ShotSettings FromSettings();
};

// What the shot is about: its number N (1 for the first shot of a series),
// the series' count and the local time at which the shot began.
struct ShotContext {
  std::uint32_t shot = 0;
  std::uint32_t count = 0;
  LocalTime startTime;
};

// The steps a shot is made of.
struct WriteByteStep {
  std::uint8_t byte = 0;
  bool operator==(const WriteByteStep&) const = default;
};
struct WaitStep {
  std::uint32_t ms = 0;
  bool operator==(const WaitStep&) const = default;
};
struct ShowStatusStep {
  std::string text;
  bool operator==(const ShowStatusStep&) const = default;
};
// The REC/USB switch sequence.
struct SwitchUsbRecStep {
  bool operator==(const SwitchUsbRecStep&) const = default;
};
// Copies the newest picture; afterwards one of the two texts is shown, by the
// result. The success text is made at run time, since it names the file.
struct CopyPictureStep {
  std::uint32_t shot = 0;
  bool operator==(const CopyPictureStep&) const = default;
};
// Runs the external program with the words given, followed by the name of the
// picture copied last (known only when the step runs).
struct RunCommandStep {
  std::string program;
  std::vector<std::string> words;
  bool operator==(const RunCommandStep&) const = default;
};

using ShotStep = std::variant<WriteByteStep, WaitStep, ShowStatusStep, SwitchUsbRecStep,
                              CopyPictureStep, RunCommandStep>;
using ShotPlan = std::vector<ShotStep>;

inline constexpr std::uint8_t kFocusLockPress = 0x41;    // 'A'
inline constexpr std::uint8_t kFocusLockRelease = 0x61;  // 'a'
inline constexpr std::uint8_t kShutterPress = 0x42;      // 'B'
inline constexpr std::uint8_t kShutterRelease = 0x62;    // 'b'
inline constexpr std::uint32_t kKeyPressMs = 10;         // between press and release

// Seconds to milliseconds in unsigned 32-bit arithmetic, as every wait of a
// shot is computed.
std::uint32_t SecondsToMs(int seconds);

// The steps of one shot, in order: focus, shutter, copy, external program and
// the closing Doze text.
ShotPlan BuildShotPlan(const ShotSettings& settings, const ShotContext& context);

// The same with the settings variables as they are now.
ShotPlan BuildShotPlan(const ShotContext& context);

// What a shot plan runs on. The front end implements it with the serial port,
// its status lines and waits that keep the window alive; tests record.
class ShotExecutor {
 public:
  virtual ~ShotExecutor() = default;
  virtual void WriteByte(std::uint8_t byte) = 0;
  virtual void WaitMs(std::uint32_t ms) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void SwitchUsbRec() = 0;
  // True on success (also when there was no new picture to copy).
  virtual bool CopyPicture() = 0;
  // The name of the picture copied last; empty when none was copied yet.
  virtual std::string LastFileName() = 0;
  virtual void RunCommand(const std::string& program, const std::vector<std::string>& words) = 0;
};

// Runs the steps one after the other.
void RunShotPlan(const ShotPlan& plan, ShotExecutor& executor);

}  // namespace vel
