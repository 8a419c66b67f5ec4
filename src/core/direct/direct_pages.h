#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "core/direct/key_table.h"
#include "core/ui/dialog_template.h"

namespace vel {

// The ids that the idle pass samples as keys on a Direct Control page.
inline constexpr int kFirstKeyId = 1002;
inline constexpr int kLastKeyId = 1058;

// The extra controls of the QV-4000/QV-5700 page.
inline constexpr int kExposureListId = 1061;
inline constexpr int kDriveListId = 1062;
inline constexpr int kModeUpDownId = 1063;

// One Direct Control page: its class name, its layout and its keys. Only the
// QV-4000/QV-5700 page has dialog keys.
struct DirectPage {
  std::string_view className;
  DialogTemplate dialog;
  std::span<const KeyRow> keys;
  std::span<const DialogKeyRow> dialogKeys;
};

// The six pages: CPage1, CPage1_20, CPage1_23, CPage1_35, CPage1_40, CPage1_80.
std::span<const DirectPage> DirectPages();

// The page for a model index: 0 CPage1_20, 1 to 4 CPage1_23, 6 CPage1_35,
// 7 and 8 CPage1_40, 9 CPage1_80, and CPage1 for 5 and any other value.
const DirectPage& DirectPageForModel(int model);

// A page keeps one key-up flag per key: first the plain keys in table order,
// then the dialog keys. All start up.
std::size_t KeyFlagCount(const DirectPage& page);

// What one sample of a key button asks for: bytes to send now, or (for a
// dialog key going down) the hold byte, the dialog and the release byte.
struct KeySample {
  KeyBytes send;
  std::optional<DialogKeyOpen> dialog;
};

// Samples control id on the page with the given pushed state, updating its
// flag in keyUp (KeyFlagCount entries). Ids that are no key give nothing.
KeySample SampleKey(const DirectPage& page, std::span<int> keyUp, int id, bool pushed);

// The entries of the exposure-mode (1061) and drive-mode (1062) lists; an
// entry's position is the ExposureMode / DriveMode value it stands for.
std::span<const std::string_view> ExposureModeNames();
std::span<const std::string_view> DriveModeNames();

// The modal dialogs opened by the dialog keys. Their "OK" button (id 2) ends
// the dialog like Esc; every other button sends a press/release pair.
inline constexpr int kModeDialogOkId = 2;

struct ModeDialog {
  std::string_view className;
  DialogTemplate dialog;
  std::span<const KeyRow> buttons;  // press and release bytes of each click
};

// Templates 149 (CMeteringDlg), 152 (CWhiteBalanceDlg), 153 (CFocusModeDlg)
// and 154 (CAELockDlg).
std::span<const ModeDialog> ModeDialogs();
const ModeDialog* FindModeDialog(int templateId);

// The two bytes a click on button controlId of dialog templateId sends, in
// order; empty for "OK" and for ids the dialog does not have.
KeyBytes DialogButtonBytes(int templateId, int controlId);

}  // namespace vel
