#include "core/direct/direct_pages.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/camera/models.h"
#include "core/ui/control_ids.h"

namespace vel {
namespace {

// Each page is written down once as rows of a control and the bytes it sends;
// the dialog template and the key tables are drawn from those rows at compile
// time, so a caption or an id can never differ between layout and keys.
struct KeyCodes {
  KeyBytes press;
  KeyBytes release;
  std::optional<ModeDialogKind> dialog = {};  // for a key that opens a modal dialog
};

struct PageRow {
  ControlTemplate control;
  KeyCodes codes = {};
};

// The usual key: press byte, release byte 0x20 above it.
constexpr KeyCodes Key(std::uint8_t press) {
  return {KeyBytes(press), KeyBytes(static_cast<std::uint8_t>(press + kReleaseOffset))};
}

constexpr KeyCodes Pair(KeyBytes pair) {
  return {KeyBytes(pair[0]), KeyBytes(pair[1])};
}

constexpr KeyCodes OpensDialog(std::uint8_t hold, ModeDialogKind dialog) {
  KeyCodes codes = Key(hold);
  codes.dialog = dialog;
  return codes;
}

constexpr ControlTemplate Button(int id, std::string_view text, int x, int y, int w, int h,
                                 unsigned flags = kNoFlags) {
  return {id, ControlKind::PushButton, text, x, y, w, h, flags};
}

constexpr ControlTemplate DefaultButton(int id, std::string_view text, int x, int y, int w, int h,
                                        unsigned flags = kNoFlags) {
  return {id, ControlKind::DefPushButton, text, x, y, w, h, flags};
}

// "Shutter" is the default button on every page.
constexpr ControlTemplate ShutterButton(int x, int y, int w, int h) {
  return DefaultButton(kShutterKey, "Shutter", x, y, w, h);
}

constexpr bool IsPlainKey(const PageRow& row) {
  return !row.codes.press.empty() && !row.codes.dialog;
}
constexpr bool IsDialogKey(const PageRow& row) {
  return row.codes.dialog.has_value();
}

template <std::size_t N>
constexpr std::size_t CountRows(const PageRow (&rows)[N], bool (*wanted)(const PageRow&)) {
  return static_cast<std::size_t>(std::count_if(rows, rows + N, wanted));
}

template <std::size_t N>
constexpr std::array<ControlTemplate, N> ControlsOf(const PageRow (&rows)[N]) {
  std::array<ControlTemplate, N> controls{};
  for (std::size_t i = 0; i < N; ++i) controls[i] = rows[i].control;
  return controls;
}

template <std::size_t K, std::size_t N>
constexpr std::array<KeyRow, K> KeysOf(const PageRow (&rows)[N]) {
  std::array<KeyRow, K> keys{};
  std::size_t k = 0;
  for (const PageRow& row : rows) {
    if (IsPlainKey(row)) {
      keys[k++] = {row.control.id, row.control.text, row.codes.press, row.codes.release};
    }
  }
  return keys;
}

template <std::size_t K, std::size_t N>
constexpr std::array<DialogKeyRow, K> DialogKeysOf(const PageRow (&rows)[N]) {
  std::array<DialogKeyRow, K> keys{};
  std::size_t k = 0;
  for (const PageRow& row : rows) {
    if (IsDialogKey(row)) {
      keys[k++] = {row.control.id, row.control.text, row.codes.press[0], row.codes.release[0],
                   *row.codes.dialog};
    }
  }
  return keys;
}

// The layout and the key tables of one set of rows.
template <const auto& Rows>
struct Page {
  static constexpr auto controls = ControlsOf(Rows);
  static constexpr auto keys = KeysOf<CountRows(Rows, IsPlainKey)>(Rows);
  static constexpr auto dialogKeys = DialogKeysOf<CountRows(Rows, IsDialogKey)>(Rows);
};

// The state of the serial line, on a line of its own below the keys.
constexpr ControlTemplate kPortStateRow = {kPortStateLine, ControlKind::Static, "", 4, 112, 222, 8};
constexpr ControlTemplate kPortStateRowWide = {
    kPortStateLine, ControlKind::Static, "", 4, 132, 239, 8};

// QV-3000EX, template 129.
constexpr PageRow kRows129[] = {
    {ShutterButton(182, 4, 44, 14), Key('B')},
    {Button(kModeKey, "Mode", 182, 28, 44, 14), Key('N')},
    {Button(kSelfTimerKey, "Self Timer", 182, 46, 44, 14), Key('P')},
    {Button(kTeleKey, "Tele", 182, 74, 44, 14), Key('D')},
    {Button(kWideKey, "Wide", 182, 92, 44, 14), Key('C')},
    {Button(kMenuKey, "Menu", 31, 4, 44, 14), Key('E')},
    {Button(kUpKey, "Up", 31, 31, 44, 14), Key('F')},
    {Button(kLeftKey, "Left", 4, 48, 44, 14), Key('G')},
    {Button(kRightKey, "Right", 58, 48, 44, 14), Key('H')},
    {Button(kDownKey, "Down", 31, 65, 44, 14), Key('J')},
    {Button(kSetKey, "Set", 31, 92, 44, 14), Key('I')},
    {Button(kFocusLockKey, "Focus Lock", 125, 4, 44, 14), Key('A')},
    {Button(kFlashKey, "Flash", 125, 28, 44, 14), Key('K')},
    {Button(kFocusKey, "Focus", 125, 46, 44, 14), Key('L')},
    {Button(kDispKey, "Disp", 125, 92, 44, 14), Key('O')},
    {Button(kPreviewKey, "Preview", 125, 74, 44, 14), Key('Q')},
    {kPortStateRow},
};

// QV-2000UX, template 140.
constexpr PageRow kRows140[] = {
    {ShutterButton(182, 4, 44, 14), Key('B')},
    {Button(kFlashKey, "Flash", 125, 28, 44, 14), Key('K')},
    {Button(kFocusKey, "Focus", 125, 46, 44, 14), Key('L')},
    {Button(kSelfTimerKey, "Self Timer", 182, 28, 44, 14), Key('P')},
    {Button(kModeKey, "Mode", 182, 46, 44, 14), Key('N')},
    {Button(kDispKey, "Disp", 125, 92, 44, 14), Key('O')},
    {Button(kTeleKey, "Tele", 182, 74, 44, 14), Key('D')},
    {Button(kWideKey, "Wide", 182, 92, 44, 14), Key('C')},
    {Button(kMenuKey, "Menu", 31, 4, 44, 14), Key('E')},
    {Button(kUpKey, "Up", 31, 31, 44, 14), Key('F')},
    {Button(kLeftKey, "Left", 4, 48, 44, 14), Key('G')},
    {Button(kRightKey, "Right", 58, 48, 44, 14), Key('H')},
    {Button(kDownKey, "Down", 31, 65, 44, 14), Key('J')},
    {Button(kSetKey, "Set", 31, 92, 44, 14), Key('I')},
    {Button(kFocusLockKey, "Focus Lock", 125, 4, 44, 14), Key('A')},
    {kPortStateRow},
};

// QV-2300UX, QV-2400UX, QV-2800UX and QV-2900UX, template 142. Five keys
// carry two camera functions, one per caption line.
constexpr PageRow kRows142[] = {
    {ShutterButton(61, 4, 50, 20), Key('B')},
    {Button(kLeftKey, "-", 4, 32, 50, 20), Key('G')},
    {Button(kRightKey, "+", 61, 32, 50, 20), Key('H')},
    {Button(kMenuKey, "Menu", 32, 58, 50, 20), Key('E')},
    {Button(kWideKey, "Wide", 118, 4, 50, 20), Key('C')},
    {Button(kTeleKey, "Tele", 176, 4, 49, 20), Key('D')},
    {Button(kOffKey, "Off", 118, 58, 50, 20), Key('P')},
    {Button(kRecPlayKey, "Rec\nPlay", 176, 57, 50, 20, kMultiline | kCentered), Key('N')},
    {Button(kShiftKey, "Shift\nInfo", 4, 86, 50, 20, kMultiline), Key('K')},
    {Button(kFlashKey, "Flash Mode\nFolder", 61, 86, 50, 20, kMultiline | kCentered), Key('J')},
    {Button(kFocusKey, "Focus Mode\nResize", 118, 86, 50, 20, kMultiline | kCentered | kVCentered),
     Key('F')},
    {Button(kSelfTimerKey, "Timer\nDelete", 176, 86, 50, 20, kMultiline | kCentered), Key('L')},
    {Button(kFocusLockKey, "Focus Lock", 4, 4, 50, 20), Key('A')},
    {kPortStateRow},
};

// QV-3500EX, template 144.
constexpr PageRow kRows144[] = {
    {ShutterButton(62, 2, 44, 14), Key('B')},
    {Button(kRecPlayKey, "Rec - Play", 123, 2, 44, 14), Key('N')},
    {Button(kOffKey, "Off", 181, 2, 44, 14), Key('P')},
    {Button(kMenuKey, "Menu", 32, 20, 44, 14), Key('E')},
    {Button(kUpKey, "Up", 31, 38, 44, 14), Key('Q')},
    {Button(kLeftKey, "Left", 4, 56, 44, 14), Key('G')},
    {Button(kRightKey, "Right", 54, 56, 44, 14), Key('H')},
    {Button(kDownKey, "Down", 31, 73, 44, 14), Key('R')},
    {Button(kSetKey, "Set / Disp", 31, 92, 44, 14), Key('I')},
    {Button(kFlashKey, "Flash\nFolder", 123, 23, 44, 20, kMultiline), Key('J')},
    {Button(kModeKey, "Best Shot", 181, 23, 44, 20), Key('V')},
    {Button(kFocusKey, "Focus\nResize", 123, 46, 44, 20, kMultiline), Key('F')},
    {Button(kSelfTimerKey, "Self Timer\nDelete", 181, 46, 44, 20, kMultiline), Key('L')},
    {Button(kShiftKey, "Shift", 123, 73, 44, 14), Key('K')},
    {Button(kPreviewKey, "Preview", 123, 92, 44, 14), Key('U')},
    {Button(kTeleKey, "Tele", 181, 73, 44, 14), Key('D')},
    {Button(kWideKey, "Wide", 182, 92, 44, 14), Key('C')},
    {Button(kFocusLockKey, "Focus Lock", 4, 2, 44, 14), Key('A')},
    {kPortStateRow},
};

constexpr std::array<std::string_view, 6> kExposureModeNames = {
    "Manual Exposure",      "Shutter Speed Priority AE",
    "Aperture Priority AE", "Program AE",
    "Full Auto Mode",       "Best Shot Mode",
};

constexpr std::array<std::string_view, 5> kDriveModeNames = {
    "Auto Exposure Bracketing", "Continuous Shutter recording", "1-Image recording",
    "Movie recording",          "Panorama recording",
};

// QV-4000 and QV-5700, template 145. "Off" sends two bytes on press and
// "Rec / Play" nothing on release; four keys open the mode dialogs.
constexpr PageRow kRows145[] = {
    {ShutterButton(193, 4, 50, 14), Key('B')},
    {Button(kFocusLockKey, "Focus Lock", 193, 22, 50, 14), Key('A')},
    {Button(kOffKey, "Off", 193, 40, 50, 14), {KeyBytes('N', 'P'), KeyBytes('p')}},
    {Button(kTeleKey, "Tele", 193, 58, 50, 14), Key('D')},
    {Button(kWideKey, "Wide", 193, 76, 50, 14), Key('C')},
    {Button(kPreviewKey, "Preview", 193, 94, 50, 14), Key('U')},
    {Button(kDispKey, "Disp", 193, 112, 50, 14), Key('\\')},
    {{kExposureList, ControlKind::ComboList, "", 4, 4, 112, 71, kNoFlags, kExposureModeNames}},
    {{kDriveList, ControlKind::ComboList, "", 4, 23, 112, 71, kNoFlags, kDriveModeNames}},
    {Button(kRecPlayKey, "Rec / Play", 4, 40, 50, 14), {KeyBytes('N'), KeyBytes()}},
    {Button(kMeteringKey, "Metering", 4, 58, 50, 14), OpensDialog('X', ModeDialogKind::Metering)},
    {Button(kWhiteBalanceKey, "White Bal.", 4, 76, 50, 14),
     OpensDialog('Y', ModeDialogKind::WhiteBalance)},
    {Button(kFocusKey, "Focus Mode", 4, 94, 50, 14), OpensDialog('S', ModeDialogKind::FocusMode)},
    {Button(kAeLockKey, "AE-Lock", 4, 112, 50, 14), OpensDialog('W', ModeDialogKind::AeLock)},
    {Button(kMenuKey, "Menu", 67, 40, 50, 14), Key(']')},
    {Button(kUpKey, "Up", 102, 71, 44, 14), Key('Q')},
    {Button(kLeftKey, "Left", 73, 89, 36, 14), Key('G')},
    {Button(kSetKey, "Set", 112, 89, 24, 14), Key('^')},
    {Button(kRightKey, "Right", 140, 89, 36, 14), Key('H')},
    {Button(kDownKey, "Down", 102, 107, 44, 14), Key('R')},
    {Button(kFlashKey, "Flash Mode", 130, 4, 50, 14), Key('T')},
    {Button(kSelfTimerKey, "Self Timer", 130, 22, 50, 14), Key('_')},
    {{kModeUpDown, ControlKind::UpDownHorz, "", 130, 40, 50, 14}},
    {{0, ControlKind::GroupBox, "Control button", 67, 58, 114, 68}},
    {kPortStateRowWide},
};

// QV-8000SX, template 141.
constexpr PageRow kRows141[] = {
    {ShutterButton(182, 4, 44, 14), Key('B')},
    {Button(kWideKey, "Wide", 125, 28, 44, 14), Key('C')},
    {Button(kTeleKey, "Tele", 182, 28, 44, 14), Key('D')},
    {Button(kFlashKey, "Flash", 4, 92, 44, 14), Key('J')},
    {Button(kFocusKey, "Focus", 66, 92, 44, 14), Key('F')},
    {Button(kSelfTimerKey, "Self Timer", 125, 92, 44, 14), Key('L')},
    {Button(kDispKey, "Disp", 182, 92, 44, 14), Key('K')},
    {Button(kMenuKey, "Menu", 31, 4, 44, 14), Key('E')},
    {Button(kLeftKey, "-", 4, 28, 44, 14), Key('G')},
    {Button(kRightKey, "+", 58, 28, 44, 14), Key('H')},
    {Button(kSetKey, "Set", 31, 52, 44, 14), Key('I')},
    {Button(kFocusLockKey, "Focus Lock", 125, 4, 44, 14), Key('A')},
    {kPortStateRow},
};

constexpr std::string_view kDirectCaption = "Direct Control";

template <const auto& Rows>
constexpr DirectPage MakePage(DirectPageKind kind, int width, int height) {
  using P = Page<Rows>;
  return {kind, {kDirectCaption, width, height, P::controls}, P::keys, P::dialogKeys};
}

// In DirectPageKind order.
constexpr std::array<DirectPage, 6> kPages = {
    MakePage<kRows129>(DirectPageKind::Page1, 230, 122),
    MakePage<kRows140>(DirectPageKind::Page1_20, 230, 122),
    MakePage<kRows142>(DirectPageKind::Page1_23, 230, 122),
    MakePage<kRows144>(DirectPageKind::Page1_35, 230, 122),
    MakePage<kRows145>(DirectPageKind::Page1_40, 247, 142),
    MakePage<kRows141>(DirectPageKind::Page1_80, 230, 122),
};

// Index into kPages for each model index 0 to 9.
constexpr std::array<std::size_t, kModelCount> kPageOfModel = {1, 2, 2, 2, 2, 0, 3, 4, 4, 5};

// The mode dialogs. "OK" has the cancel command's id, so it and Esc end them.
constexpr ControlTemplate OkButton(int x, int y) {
  return Button(kModeDialogOk, "OK", x, y, 50, 14);
}

constexpr PageRow kRowsStepDialog[] = {
    {DefaultButton(kNextKey, ">", 62, 7, 50, 14), Pair(kNextPair)},
    {OkButton(33, 25)},
    {Button(kPreviousKey, "<", 7, 7, 50, 14), Pair(kPreviousPair)},
};

constexpr PageRow kRowsFocusModeDialog[] = {
    {DefaultButton(kNextKey, ">", 58, 66, 44, 14), Pair(kNextPair)},
    {OkButton(31, 84)},
    {Button(kPreviousKey, "<", 7, 66, 44, 14), Pair(kPreviousPair)},
    {Button(kUpKey, "Up", 31, 7, 44, 14), Key('Q')},
    {Button(kLeftKey, "Left", 7, 25, 44, 14), Key('G')},
    {Button(kRightKey, "Right", 58, 25, 44, 14), Key('H')},
    {Button(kDownKey, "Down", 31, 42, 44, 14), Key('R')},
};

constexpr PageRow kRowsAeLockDialog[] = {
    {OkButton(33, 25)},
    {ShutterButton(64, 7, 48, 14), Key('B')},
    {Button(kFocusLockKey, "Focus Lock", 7, 7, 48, 14), Key('A')},
};

template <const auto& Rows>
constexpr ModeDialogLayout MakeDialog(ModeDialogKind kind, std::string_view caption, int width,
                                      int height) {
  using P = Page<Rows>;
  return {kind, {caption, width, height, P::controls}, P::keys};
}

// In ModeDialogKind order.
constexpr std::array<ModeDialogLayout, 4> kModeDialogs = {
    MakeDialog<kRowsStepDialog>(ModeDialogKind::Metering, "Metering Mode", 119, 44),
    MakeDialog<kRowsStepDialog>(ModeDialogKind::WhiteBalance, "White Balance", 119, 44),
    MakeDialog<kRowsFocusModeDialog>(ModeDialogKind::FocusMode, "Focus Mode", 109, 103),
    MakeDialog<kRowsAeLockDialog>(ModeDialogKind::AeLock, "AE-Lock", 119, 44),
};

}  // namespace

std::span<const DirectPage> DirectPages() {
  return kPages;
}

const DirectPage& DirectPageForModel(int model) {
  return kPages[kPageOfModel[static_cast<std::size_t>(EffectiveModel(model))]];
}

std::size_t KeyFlagCount(const DirectPage& page) {
  return page.keys.size() + page.dialogKeys.size();
}

KeySample SampleKey(const DirectPage& page, std::span<int> keyUp, int id, bool pushed) {
  const std::size_t plainCount = std::min(page.keys.size(), keyUp.size());
  KeySample sample;
  sample.send = StepKey(page.keys, keyUp.first(plainCount), id, pushed);
  if (sample.send.empty()) {
    sample.dialog = StepDialogKey(page.dialogKeys, keyUp.subspan(plainCount), id, pushed);
  }
  return sample;
}

std::span<const std::string_view> ExposureModeNames() {
  return kExposureModeNames;
}
std::span<const std::string_view> DriveModeNames() {
  return kDriveModeNames;
}

std::span<const ModeDialogLayout> ModeDialogs() {
  return kModeDialogs;
}

const ModeDialogLayout& ModeDialogLayoutOf(ModeDialogKind kind) {
  return kModeDialogs[static_cast<std::size_t>(kind)];
}

}  // namespace vel
