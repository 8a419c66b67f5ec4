#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "core/direct/key_table.h"
#include "core/ui/control_ids.h"
#include "core/ui/dialog_template.h"

namespace vel {

// The six Direct Control pages: CPage1, CPage1_20, CPage1_23, CPage1_35,
// CPage1_40 and CPage1_80.
enum class DirectPageKind { Page1, Page1_20, Page1_23, Page1_35, Page1_40, Page1_80 };

// One Direct Control page: which one, its layout and its keys. Only the
// QV-4000/QV-5700 page has dialog keys.
struct DirectPage {
  DirectPageKind kind;
  DialogTemplate dialog;
  std::span<const KeyRow> keys;
  std::span<const DialogKeyRow> dialogKeys;
};

// The six pages in DirectPageKind order.
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

// The entries of the exposure-mode and drive-mode lists; an
// entry's position is the ExposureMode / DriveMode value it stands for.
std::span<const std::string_view> ExposureModeNames();
std::span<const std::string_view> DriveModeNames();

// The modal dialogs opened by the dialog keys. Their "OK" button
// (kModeDialogOk) ends the dialog like Esc; every other button sends a
// press/release pair.
struct ModeDialogLayout {
  ModeDialogKind kind;
  DialogTemplate dialog;
  std::span<const KeyRow> buttons;  // press and release bytes of each click
};

// "Metering Mode", "White Balance", "Focus Mode" and "AE-Lock", in
// ModeDialogKind order.
std::span<const ModeDialogLayout> ModeDialogs();
const ModeDialogLayout& ModeDialogLayoutOf(ModeDialogKind kind);

}  // namespace vel
