#include "core/direct/direct_pages.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/camera/models.h"

namespace vel {
namespace {

// Each page is written down once as rows of a control and the bytes it sends;
// the dialog template and the key tables are drawn from those rows at compile
// time, so a caption or an id can never differ between layout and keys.
struct KeyCodes {
  KeyBytes press;
  KeyBytes release;
  int dialogTemplate = 0;  // nonzero for a key that opens a modal dialog
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

constexpr KeyCodes OpensDialog(std::uint8_t hold, int dialogTemplate) {
  KeyCodes codes = Key(hold);
  codes.dialogTemplate = dialogTemplate;
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

// "Shutter" is the default button with notification on every page.
constexpr ControlTemplate ShutterButton(int x, int y, int w, int h) {
  return DefaultButton(1016, "Shutter", x, y, w, h, kNotify);
}

constexpr bool IsPlainKey(const PageRow& row) {
  return !row.codes.press.empty() && row.codes.dialogTemplate == 0;
}
constexpr bool IsDialogKey(const PageRow& row) {
  return row.codes.dialogTemplate != 0;
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
                   row.codes.dialogTemplate};
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

// QV-3000EX, template 129.
constexpr PageRow kRows129[] = {
    {ShutterButton(182, 4, 44, 14), Key('B')},
    {Button(1058, "Mode", 182, 28, 44, 14), Key('N')},
    {Button(1009, "Self Timer", 182, 46, 44, 14), Key('P')},
    {Button(1013, "Tele", 182, 74, 44, 14), Key('D')},
    {Button(1014, "Wide", 182, 92, 44, 14), Key('C')},
    {Button(1002, "Menu", 31, 4, 44, 14), Key('E')},
    {Button(1003, "Up", 31, 31, 44, 14), Key('F')},
    {Button(1004, "Left", 4, 48, 44, 14), Key('G')},
    {Button(1005, "Right", 58, 48, 44, 14), Key('H')},
    {Button(1006, "Down", 31, 65, 44, 14), Key('J')},
    {Button(1056, "Set", 31, 92, 44, 14), Key('I')},
    {Button(1015, "Focus Lock", 125, 4, 44, 14), Key('A')},
    {Button(1010, "Flash", 125, 28, 44, 14), Key('K')},
    {Button(1012, "Focus", 125, 46, 44, 14), Key('L')},
    {Button(1011, "Disp", 125, 92, 44, 14), Key('O')},
    {Button(1017, "Preview", 125, 74, 44, 14), Key('Q')},
};

// QV-2000UX, template 140.
constexpr PageRow kRows140[] = {
    {ShutterButton(182, 4, 44, 14), Key('B')},
    {Button(1010, "Flash", 125, 28, 44, 14), Key('K')},
    {Button(1012, "Focus", 125, 46, 44, 14), Key('L')},
    {Button(1009, "Self Timer", 182, 28, 44, 14), Key('P')},
    {Button(1058, "Mode", 182, 46, 44, 14), Key('N')},
    {Button(1011, "Disp", 125, 92, 44, 14), Key('O')},
    {Button(1013, "Tele", 182, 74, 44, 14), Key('D')},
    {Button(1014, "Wide", 182, 92, 44, 14), Key('C')},
    {Button(1002, "Menu", 31, 4, 44, 14), Key('E')},
    {Button(1003, "Up", 31, 31, 44, 14), Key('F')},
    {Button(1004, "Left", 4, 48, 44, 14), Key('G')},
    {Button(1005, "Right", 58, 48, 44, 14), Key('H')},
    {Button(1006, "Down", 31, 65, 44, 14), Key('J')},
    {Button(1056, "Set", 31, 92, 44, 14), Key('I')},
    {Button(1015, "Focus Lock", 125, 4, 44, 14), Key('A')},
};

// QV-2300UX, QV-2400UX, QV-2800UX and QV-2900UX, template 142. Five keys
// carry two camera functions, one per caption line.
constexpr PageRow kRows142[] = {
    {ShutterButton(61, 4, 50, 20), Key('B')},
    {Button(1004, "-", 4, 32, 50, 20), Key('G')},
    {Button(1005, "+", 61, 32, 50, 20), Key('H')},
    {Button(1002, "Menu", 32, 58, 50, 20), Key('E')},
    {Button(1014, "Wide", 118, 4, 50, 20), Key('C')},
    {Button(1013, "Tele", 176, 4, 49, 20), Key('D')},
    {Button(1020, "Off", 118, 58, 50, 20), Key('P')},
    {Button(1019, "Rec\nPlay", 176, 57, 50, 20, kMultiline | kCentered), Key('N')},
    {Button(1018, "Shift\nInfo", 4, 86, 50, 20, kMultiline), Key('K')},
    {Button(1010, "Flash Mode\nFolder", 61, 86, 50, 20, kMultiline | kCentered | kNotify),
     Key('J')},
    {Button(1012, "Focus Mode\nResize", 118, 86, 50, 20, kMultiline | kCentered | kVCentered),
     Key('F')},
    {Button(1009, "Timer\nDelete", 176, 86, 50, 20, kMultiline | kCentered), Key('L')},
    {Button(1015, "Focus Lock", 4, 4, 50, 20), Key('A')},
};

// QV-3500EX, template 144.
constexpr PageRow kRows144[] = {
    {ShutterButton(62, 2, 44, 14), Key('B')},
    {Button(1019, "Rec - Play", 123, 2, 44, 14), Key('N')},
    {Button(1020, "Off", 181, 2, 44, 14), Key('P')},
    {Button(1002, "Menu", 32, 20, 44, 14), Key('E')},
    {Button(1003, "Up", 31, 38, 44, 14), Key('Q')},
    {Button(1004, "Left", 4, 56, 44, 14), Key('G')},
    {Button(1005, "Right", 54, 56, 44, 14), Key('H')},
    {Button(1006, "Down", 31, 73, 44, 14), Key('R')},
    {Button(1056, "Set / Disp", 31, 92, 44, 14), Key('I')},
    {Button(1010, "Flash\nFolder", 123, 23, 44, 20, kMultiline), Key('J')},
    {Button(1058, "Best Shot", 181, 23, 44, 20), Key('V')},
    {Button(1012, "Focus\nResize", 123, 46, 44, 20, kMultiline), Key('F')},
    {Button(1009, "Self Timer\nDelete", 181, 46, 44, 20, kMultiline), Key('L')},
    {Button(1018, "Shift", 123, 73, 44, 14), Key('K')},
    {Button(1017, "Preview", 123, 92, 44, 14), Key('U')},
    {Button(1013, "Tele", 181, 73, 44, 14), Key('D')},
    {Button(1014, "Wide", 182, 92, 44, 14), Key('C')},
    {Button(1015, "Focus Lock", 4, 2, 44, 14), Key('A')},
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

constexpr int kMeteringDialog = 149;
constexpr int kWhiteBalanceDialog = 152;
constexpr int kFocusModeDialog = 153;
constexpr int kAeLockDialog = 154;

// QV-4000 and QV-5700, template 145. "Off" sends two bytes on press and
// "Rec / Play" nothing on release; four keys open the mode dialogs.
constexpr PageRow kRows145[] = {
    {ShutterButton(193, 4, 50, 14), Key('B')},
    {Button(1015, "Focus Lock", 193, 22, 50, 14), Key('A')},
    {Button(1020, "Off", 193, 40, 50, 14), {KeyBytes('N', 'P'), KeyBytes('p')}},
    {Button(1013, "Tele", 193, 58, 50, 14), Key('D')},
    {Button(1014, "Wide", 193, 76, 50, 14), Key('C')},
    {Button(1017, "Preview", 193, 94, 50, 14), Key('U')},
    {Button(1011, "Disp", 193, 112, 50, 14), Key('\\')},
    {{kExposureListId, ControlKind::ComboList, "", 4, 4, 112, 71, kNoFlags, kExposureModeNames}},
    {{kDriveListId, ControlKind::ComboList, "", 4, 23, 112, 71, kNoFlags, kDriveModeNames}},
    {Button(1019, "Rec / Play", 4, 40, 50, 14), {KeyBytes('N'), KeyBytes()}},
    {Button(1057, "Metering", 4, 58, 50, 14), OpensDialog('X', kMeteringDialog)},
    {Button(1008, "White Bal.", 4, 76, 50, 14), OpensDialog('Y', kWhiteBalanceDialog)},
    {Button(1012, "Focus Mode", 4, 94, 50, 14), OpensDialog('S', kFocusModeDialog)},
    {Button(1007, "AE-Lock", 4, 112, 50, 14), OpensDialog('W', kAeLockDialog)},
    {Button(1002, "Menu", 67, 40, 50, 14), Key(']')},
    {Button(1003, "Up", 102, 71, 44, 14), Key('Q')},
    {Button(1004, "Left", 73, 89, 36, 14), Key('G')},
    {Button(1056, "Set", 112, 89, 24, 14), Key('^')},
    {Button(1005, "Right", 140, 89, 36, 14), Key('H')},
    {Button(1006, "Down", 102, 107, 44, 14), Key('R')},
    {Button(1010, "Flash Mode", 130, 4, 50, 14), Key('T')},
    {Button(1009, "Self Timer", 130, 22, 50, 14), Key('_')},
    {{kModeUpDownId, ControlKind::UpDownHorz, "", 130, 40, 50, 14}},
    {{0, ControlKind::GroupBox, "Control button", 67, 58, 114, 68}},
};

// QV-8000SX, template 141.
constexpr PageRow kRows141[] = {
    {ShutterButton(182, 4, 44, 14), Key('B')},
    {Button(1014, "Wide", 125, 28, 44, 14), Key('C')},
    {Button(1013, "Tele", 182, 28, 44, 14), Key('D')},
    {Button(1010, "Flash", 4, 92, 44, 14), Key('J')},
    {Button(1012, "Focus", 66, 92, 44, 14), Key('F')},
    {Button(1009, "Self Timer", 125, 92, 44, 14), Key('L')},
    {Button(1011, "Disp", 182, 92, 44, 14), Key('K')},
    {Button(1002, "Menu", 31, 4, 44, 14), Key('E')},
    {Button(1004, "-", 4, 28, 44, 14), Key('G')},
    {Button(1005, "+", 58, 28, 44, 14), Key('H')},
    {Button(1056, "Set", 31, 52, 44, 14), Key('I')},
    {Button(1015, "Focus Lock", 125, 4, 44, 14), Key('A')},
};

constexpr std::string_view kDirectCaption = "Direct Control";

template <const auto& Rows>
constexpr DirectPage MakePage(std::string_view className, int templateId, int width, int height) {
  using P = Page<Rows>;
  return {
      className, {templateId, kDirectCaption, width, height, P::controls}, P::keys, P::dialogKeys};
}

constexpr std::array<DirectPage, 6> kPages = {
    MakePage<kRows129>("CPage1", 129, 230, 110),    MakePage<kRows140>("CPage1_20", 140, 230, 110),
    MakePage<kRows142>("CPage1_23", 142, 230, 110), MakePage<kRows144>("CPage1_35", 144, 230, 110),
    MakePage<kRows145>("CPage1_40", 145, 247, 130), MakePage<kRows141>("CPage1_80", 141, 230, 110),
};

// Index into kPages for each model index 0 to 9.
constexpr std::array<std::size_t, kModelCount> kPageOfModel = {1, 2, 2, 2, 2, 0, 3, 4, 4, 5};

// The mode dialogs. "OK" has the cancel command's id, so it and Esc end them.
constexpr ControlTemplate OkButton(int x, int y) {
  return Button(kModeDialogOkId, "OK", x, y, 50, 14);
}

constexpr PageRow kRowsStepDialog[] = {
    {DefaultButton(1055, ">", 62, 7, 50, 14), Pair(kNextPair)},
    {OkButton(33, 25)},
    {Button(1054, "<", 7, 7, 50, 14), Pair(kPreviousPair)},
};

constexpr PageRow kRowsFocusModeDialog[] = {
    {DefaultButton(1055, ">", 58, 66, 44, 14), Pair(kNextPair)},
    {OkButton(31, 84)},
    {Button(1054, "<", 7, 66, 44, 14), Pair(kPreviousPair)},
    {Button(1003, "Up", 31, 7, 44, 14), Key('Q')},
    {Button(1004, "Left", 7, 25, 44, 14), Key('G')},
    {Button(1005, "Right", 58, 25, 44, 14), Key('H')},
    {Button(1006, "Down", 31, 42, 44, 14), Key('R')},
};

constexpr PageRow kRowsAeLockDialog[] = {
    {OkButton(33, 25)},
    {ShutterButton(64, 7, 48, 14), Key('B')},
    {Button(1015, "Focus Lock", 7, 7, 48, 14), Key('A')},
};

template <const auto& Rows>
constexpr ModeDialog MakeDialog(std::string_view className, int templateId,
                                std::string_view caption, int width, int height) {
  using P = Page<Rows>;
  return {className, {templateId, caption, width, height, P::controls}, P::keys};
}

constexpr std::array<ModeDialog, 4> kModeDialogs = {
    MakeDialog<kRowsStepDialog>("CMeteringDlg", kMeteringDialog, "Metering Mode", 119, 44),
    MakeDialog<kRowsStepDialog>("CWhiteBalanceDlg", kWhiteBalanceDialog, "White Balance", 119, 44),
    MakeDialog<kRowsFocusModeDialog>("CFocusModeDlg", kFocusModeDialog, "Focus Mode", 109, 103),
    MakeDialog<kRowsAeLockDialog>("CAELockDlg", kAeLockDialog, "AE-Lock", 119, 44),
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

std::span<const ModeDialog> ModeDialogs() {
  return kModeDialogs;
}

const ModeDialog* FindModeDialog(int templateId) {
  auto it = std::find_if(kModeDialogs.begin(), kModeDialogs.end(),
                         [templateId](const ModeDialog& d) { return d.dialog.id == templateId; });
  return it == kModeDialogs.end() ? nullptr : &*it;
}

KeyBytes DialogButtonBytes(int templateId, int controlId) {
  const ModeDialog* dialog = FindModeDialog(templateId);
  if (!dialog)
    return {};
  for (const KeyRow& button : dialog->buttons) {
    if (button.id == controlId)
      return KeyBytes(button.press[0], button.release[0]);
  }
  return {};
}

}  // namespace vel
