#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "core/platform/result.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/status_text.h"

namespace vel {

class CComPort;
class Clock;
struct Settings;

// What the REC/USB switch sends: "M", 250 ms, "m" when the model takes a
// release byte, then the exposure-mode and drive-mode bytes for the models
// that take them. The same sequence serves both directions.
struct SwitchSettings {
  bool sendRelease = true;
  bool sendModeBytes = false;
  int exposureMode = 0;
  int driveMode = 0;

  // The release byte follows for every model but the QV-4000 and QV-5700.
  static SwitchSettings Of(const Settings& settings);
};

// The settings one shot depends on. The front end takes them afresh at every
// shot, so a change stored while a series runs takes effect at the next shot.
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
  SwitchSettings usbSwitch;
  TransferSettings transfer;

  static ShotSettings Of(const Settings& settings);
};

// What the shot is about: its number N (1 for the first shot of a series),
// the series' count and the local time at which the shot began.
struct ShotContext {
  std::uint32_t shot = 0;
  std::uint32_t count = 0;
  LocalTime startTime;
};

// The steps a shot is made of. A byte says what it does to the camera, so
// that a shot cut short can leave the camera as it found it.
enum class ByteEffect {
  None,        // a mode byte
  PressKey,    // holds a key down until its release byte
  ReleaseKey,  // lets a key go
  SwitchMode,  // toggles between REC and USB mode
};
struct WriteByteStep {
  std::uint8_t byte = 0;
  ByteEffect effect = ByteEffect::None;
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
// Copies the newest picture, waiting up to waitMs for the camera's drive;
// afterwards a text tells the stored file, that there was no new picture, or
// that the copy failed; it is made at run time, since it names the file.
struct CopyPictureStep {
  std::uint32_t shot = 0;
  TransferSettings transfer;
  std::uint32_t waitMs = 0;
  bool operator==(const CopyPictureStep&) const = default;
};
// Runs the external program with the words given, followed by the name of the
// picture copied last (known only when the step runs).
struct RunCommandStep {
  std::string program;
  std::vector<std::string> words;
  bool operator==(const RunCommandStep&) const = default;
};

using ShotStep =
    std::variant<WriteByteStep, WaitStep, ShowStatusStep, CopyPictureStep, RunCommandStep>;
using ShotPlan = std::vector<ShotStep>;

inline constexpr std::uint32_t kKeyPressMs = 10;     // between press and release
inline constexpr std::uint32_t kSwitchHoldMs = 250;  // the REC/USB switch key

// Seconds to milliseconds in unsigned 32-bit arithmetic, as every wait of a
// shot is computed.
std::uint32_t SecondsToMs(int seconds);

// The steps of one shot, in order: focus, shutter, copy, external program and
// the closing Doze text.
ShotPlan BuildShotPlan(const ShotSettings& settings, const ShotContext& context);

// The bytes and the wait of one REC/USB switch.
ShotPlan SwitchUsbRecPlan(const SwitchSettings& settings);

// What a shot plan runs on. The front end implements it with the serial port,
// its status lines and waits that keep the window alive; tests record.
class ShotExecutor {
 public:
  virtual ~ShotExecutor() = default;
  virtual Result WriteByte(std::uint8_t byte) = 0;
  virtual void WaitMs(std::uint32_t ms) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  // Succeeds also when there was no new picture to copy. A failure with
  // endsShot set ends the plan there (the camera must stay as it is).
  virtual CopyOutcome CopyPicture(const TransferSettings& settings, std::uint32_t waitMs) = 0;
  // Runs the program with the words, followed by the name the picture
  // copied last was stored under (empty when none was copied yet).
  virtual void RunCommand(const std::string& program, const std::vector<std::string>& words) = 0;
};

// What the bytes sent so far left the camera with: the keys held down (by
// their press bytes) and whether it is in USB mode.
struct CameraState {
  std::set<std::uint8_t> heldKeys;
  bool usbMode = false;

  void Note(const WriteByteStep& step);
  bool Safe() const { return heldKeys.empty() && !usbMode; }
};

// Runs the steps one after the other, noting in state (when given) what each
// byte written did to the camera. A byte that cannot be written ends the
// plan there, with the write's failure: the camera is out of reach, and the
// rest of the shot (its waits, the copy, the program) would be for nothing.
// So does a failure that CopyPicture marks as ending the shot.
Result RunShotPlan(const ShotPlan& plan, ShotExecutor& executor, CameraState* state = nullptr);

// An executor that writes the bytes to a port and waits on a clock. It shows
// nothing, has nothing to copy and runs no program: it serves plans made of
// bytes and waits, and front ends build their own executors on it.
class PortExecutor : public ShotExecutor {
 public:
  PortExecutor(CComPort& port, Clock& clock) : m_port(port), m_clock(clock) {}
  Result WriteByte(std::uint8_t byte) override;
  void WaitMs(std::uint32_t ms) override;
  void ShowStatus(const std::string&) override {}
  CopyOutcome CopyPicture(const TransferSettings&, std::uint32_t) override { return {}; }
  void RunCommand(const std::string&, const std::vector<std::string>&) override {}

 protected:
  CComPort& Port() { return m_port; }
  Clock& TheClock() { return m_clock; }

 private:
  CComPort& m_port;
  Clock& m_clock;
};

// Toggles the camera between REC and USB mode through the port; fails when a
// byte could not be written.
Result SwitchUsbRec(CComPort& port, Clock& clock, const SwitchSettings& settings);

}  // namespace vel
