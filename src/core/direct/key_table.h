#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/camera/command_bytes.h"

namespace vel {

// One key of a Direct Control page.
struct KeyRow {
  int id = 0;
  std::string_view caption;
  KeyBytes press;
  KeyBytes release;
};

// The small modal dialogs of the QV-4000/QV-5700 page.
enum class ModeDialogKind { Metering, WhiteBalance, FocusMode, AeLock };

// A key that holds a camera button while a modal dialog is open: the hold
// byte goes out before the dialog opens, the release byte after it closes.
struct DialogKeyRow {
  int id = 0;
  std::string_view caption;
  std::uint8_t hold = 0;
  std::uint8_t release = 0;
  ModeDialogKind dialog = ModeDialogKind::Metering;
};

// What a dialog key asks for when it goes down: send holdByte, run the
// dialog modally, then send releaseByte.
struct DialogKeyOpen {
  std::uint8_t holdByte;
  ModeDialogKind dialog;
  std::uint8_t releaseByte;

  friend constexpr bool operator==(const DialogKeyOpen&, const DialogKeyOpen&) = default;
};

// The key-up flags of a page hold one int per key row: 1 up, 0 down.
inline constexpr int kKeyUp = 1;
inline constexpr int kKeyDown = 0;

// One sample of a key button. Finds id in the table; when the button is
// pushed and its flag is up, marks it down and returns the press bytes; when
// it is not pushed and its flag is down, marks it up and returns the release
// bytes. The flag changes before anything is sent, so a failing write never
// makes a key repeat. Unknown ids and unchanged states give no bytes.
KeyBytes StepKey(std::span<const KeyRow> keys, std::span<int> keyUp, int id, bool pushed);

// The same sample for dialog keys. Pushed while up marks the key down and
// returns what to send and open; not pushed while down only marks it up (its
// release byte went out when the dialog closed).
std::optional<DialogKeyOpen> StepDialogKey(std::span<const DialogKeyRow> keys, std::span<int> keyUp,
                                           int id, bool pushed);

// The "<" and ">" byte pairs of the mode dialogs, which the horizontal
// up-down control of the QV-4000/QV-5700 page sends as well.
inline constexpr KeyBytes kPreviousPair{0x5A, 0x7A};
inline constexpr KeyBytes kNextPair{0x5B, 0x7B};

// Bytes for one change proposed by the horizontal up-down control: -1 (its
// right arrow under the default range) sends the ">" pair, +1 the "<" pair,
// any other change nothing.
KeyBytes UpDownDeltaBytes(int delta);

}  // namespace vel
