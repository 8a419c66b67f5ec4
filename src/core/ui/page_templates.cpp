#include "core/ui/page_templates.h"

#include <array>

#include "core/camera/models.h"
#include "core/direct/command_check.h"
#include "core/ui/control_ids.h"

namespace vel {
namespace {

constexpr ControlTemplate Label(std::string_view text, int x, int y, int w, int h) {
  return {0, ControlKind::Static, text, x, y, w, h};
}

// The numeric fields: digits only, right-aligned, each followed by its
// up-down control, which takes the field before it as its buddy.
constexpr ControlTemplate NumberEdit(int id, int x, int y, int w, int h) {
  return {id, ControlKind::Edit, "", x, y, w, h, kDigitsOnly | kRightAligned};
}

constexpr ControlTemplate Spin(int id, int x, int y, int w, int h) {
  return {id, ControlKind::UpDown, "", x, y, w, h};
}

constexpr ControlTemplate CheckBox(int id, std::string_view text, int x, int y, int w, int h) {
  return {id, ControlKind::CheckBox, text, x, y, w, h};
}

constexpr ControlTemplate Button(int id, std::string_view text, int x, int y, int w, int h) {
  return {id, ControlKind::PushButton, text, x, y, w, h};
}

// A "..." button that opens a chooser, announced by what it chooses.
constexpr ControlTemplate Chooser(int id, std::string_view name, int x, int y, int w, int h) {
  return {id, ControlKind::PushButton, "...", x, y, w, h, kNoFlags, {}, name};
}

constexpr ControlTemplate DefaultButton(int id, std::string_view text, int x, int y, int w, int h) {
  return {id, ControlKind::DefPushButton, text, x, y, w, h};
}

// A field that shows what a chooser chose, announced by what it shows.
constexpr ControlTemplate ReadOnlyEdit(int id, std::string_view name, int x, int y, int w, int h) {
  return {id, ControlKind::Edit, "", x, y, w, h, kReadOnly, {}, name};
}

// Time Lapse page.
constexpr ControlTemplate kTimeLapseControls[] = {
    Label("Count", 3, 8, 20, 8),
    NumberEdit(kCountEdit, 40, 5, 40, 13),
    Spin(kCountUpDown, 77, 5, 14, 13),
    CheckBox(kInfinityCheck, "Infinity", 95, 7, 36, 10),
    Label("Interval", 4, 25, 24, 8),
    {kIntervalPicker, ControlKind::TimePicker, "", 40, 22, 45, 13, kRightAligned},
    Label("Hours : Minutes : Seconds", 88, 25, 88, 8),
    CheckBox(kFocusCheck, "Focus", 3, 42, 35, 10),
    NumberEdit(kFocusSecondsEdit, 40, 41, 40, 13),
    Spin(kFocusSecondsUpDown, 76, 42, 11, 13),
    Label("Seconds before shot", 86, 44, 70, 8),
    CheckBox(kBulbCheck, "Bulb", 4, 60, 30, 10),
    NumberEdit(kBulbSecondsEdit, 40, 59, 40, 13),
    Spin(kBulbSecondsUpDown, 75, 60, 11, 13),
    Label("Seconds", 86, 62, 29, 8),
    {0, ControlKind::GroupBox, "Status", 4, 74, 124, 32},
    {kStatusTextLine, ControlKind::Static, "Idle", 12, 86, 110, 8},
    {kStatusTimeLine, ControlKind::Static, "Now", 12, 95, 110, 8},
    DefaultButton(kStartButton, "Start", 133, 92, 43, 14),
    DefaultButton(kCancelButton, "Cancel", 183, 92, 43, 14),
    Button(kScheduleButton, "Schedule...", 133, 76, 43, 14),
    // Below the status: what went wrong with the copies of the series, and
    // where its log is.
    {kCopyFailuresLine, ControlKind::Static, "", 4, 110, 222, 8},
    {kSeriesLogLabel, ControlKind::Static, "Series log:", 4, 121, 40, 8},
    {kSeriesLogLink, ControlKind::HyperLink, "", 46, 121, 180, 8},
    // While a series runs: when its next shot comes, when it ends and what
    // its schedule does next; the reason when Start takes none; before
    // Start, the plan of the series.
    {kProgressLine, ControlKind::Static, "", 4, 132, 222, 32, kMultiline},
    // The picture stored last: small at the top right, its path below.
    {kLastPictureView, ControlKind::Picture, "", 178, 4, 48, 40, kNoFlags, {}, "Last picture"},
    // The film of the last series' stored pictures.
    Button(kMakeFilmButton, "Make film...", 183, 76, 43, 14),
    {kLastPictureLine, ControlKind::Static, "", 4, 166, 222, 8},
    // Where the series' status page is served, when it is.
    {kStatusPageLabel, ControlKind::Static, "Status page:", 133, 55, 93, 8},
    {kStatusPageLine, ControlKind::Static, "", 133, 64, 93, 8},
};

// Schedule dialog: each edit is named by the label before it, its hint
// stands after it; an empty edit sets nothing.
constexpr ControlTemplate DayCheck(int day, std::string_view text, std::string_view name) {
  return {kMondayCheck + day,
          ControlKind::CheckBox,
          text,
          7 + day * 30,
          110,
          28,
          10,
          kNoFlags,
          {},
          name};
}

constexpr ControlTemplate kScheduleControls[] = {
    Label("Times: YYYY-MM-DD HH:MM, or HH:MM (the next such time)", 7, 6, 210, 8),
    Label("Start at", 7, 22, 58, 8),
    {kScheduleStartEdit, ControlKind::Edit, "", 70, 19, 80, 13},
    Label("(empty: at once)", 154, 22, 63, 8),
    Label("Stop at", 7, 38, 58, 8),
    {kScheduleStopEdit, ControlKind::Edit, "", 70, 35, 80, 13},
    Label("(empty: no end)", 154, 38, 63, 8),
    Label("or stop after", 7, 54, 58, 8),
    {kScheduleForEdit, ControlKind::Edit, "", 70, 51, 80, 13},
    Label("(36h, 90m, 1h30m)", 154, 54, 63, 8),
    Label("Daily windows", 7, 72, 58, 8),
    {kScheduleWindowsEdit, ControlKind::Edit, "", 70, 70, 147, 13},
    Label("HH:MM-HH:MM, several with commas; none: all day", 7, 86, 210, 8),
    Label("Days of the week", 7, 99, 100, 8),
    DayCheck(0, "Mon", "Monday"),
    DayCheck(1, "Tue", "Tuesday"),
    DayCheck(2, "Wed", "Wednesday"),
    DayCheck(3, "Thu", "Thursday"),
    DayCheck(4, "Fri", "Friday"),
    DayCheck(5, "Sat", "Saturday"),
    DayCheck(6, "Sun", "Sunday"),
    DefaultButton(kScheduleOk, "OK", 113, 128, 50, 14),
    Button(2, "Cancel", 167, 128, 50, 14),
};

// Options page.
constexpr std::array<std::string_view, 3> kCopyAndDeleteEntries = {
    "Picture and Thumbnail",
    "Picture only",
    "Thumbnail only",
};

constexpr ControlTemplate kOptionsControls[] = {
    Button(kSwitchUsbRecButton, "Switch USB <-> REC", 4, 4, 80, 14),
    CheckBox(kCopyFileCheck, "After each time lapse shutter COPY file from camera to directory ...",
             4, 23, 222, 10),
    ReadOnlyEdit(kDestFileDirEdit, "Destination folder", 4, 35, 205, 12),
    Chooser(kBrowseDestFileDirButton, "Choose folder...", 214, 35, 12, 12),
    CheckBox(kDeleteAfterCopyCheck, "DELETE file from camera after copy to disk", 4, 49, 185, 10),
    {kCopyAndDeleteLabel, ControlKind::Static, "COPY and DELETE concern", 4, 61, 95, 8},
    {kCopyAndDeleteList, ControlKind::ComboList, "", 103, 59, 100, 47, kNoFlags,
     kCopyAndDeleteEntries},
    CheckBox(kUseExternalCommandCheck, "Invoke external program after each shutter", 4, 81, 149,
             10),
    ReadOnlyEdit(kCommandEdit, "External program", 4, 93, 205, 12),
    Chooser(kBrowseCommandButton, "Choose program...", 214, 93, 12, 12),
};

// Config page: each label stands before its control, each delay field is
// followed by its up-down control and the unit.
constexpr std::array<std::string_view, 6> kComPortEntries = {
    "COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
};

std::span<const ControlTemplate> ConfigControls() {
  static const ControlTemplate controls[] = {
      Label("Casio QV model", 4, 7, 62, 8),
      {kModelList, ControlKind::ComboList, "", 70, 4, 80, 90, kNoFlags, ModelNames()},
      Label("ComPort", 4, 25, 62, 8),
      {kComPortList, ControlKind::ComboList, "", 70, 22, 80, 80, kNoFlags, kComPortEntries},
      Label("Delay REC -> USB", 4, 45, 62, 8),
      NumberEdit(kDelayRecUsbEdit, 70, 42, 40, 13),
      Spin(kDelayRecUsbUpDown, 110, 42, 11, 13),
      Label("seconds", 125, 45, 30, 8),
      Label("Delay USB -> REC", 4, 63, 62, 8),
      NumberEdit(kDelayUsbRecEdit, 70, 60, 40, 13),
      Spin(kDelayUsbRecUpDown, 110, 60, 11, 13),
      Label("seconds", 125, 63, 30, 8),
      Label("Delay Bulb", 4, 81, 62, 8),
      NumberEdit(kDelayBulbEdit, 70, 78, 40, 13),
      Spin(kDelayBulbUpDown, 110, 78, 11, 13),
      Label("seconds", 125, 81, 30, 8),
      {kPortStateLine, ControlKind::Static, "", 4, 97, 222, 8},
  };
  return controls;
}

// About page; the last three controls are the command check.
std::span<const ControlTemplate> AboutControls() {
  static const ControlTemplate controls[] = {
      Label("Velorantica Version 1.7.1", 33, 5, 119, 8),
      {kAppIcon, ControlKind::Icon, "", 4, 4, 20, 20},
      Label("Further informations at", 4, 42, 72, 8),
      {kLinkLabel, ControlKind::HyperLink, kMakerSiteHost, 76, 42, 80, 8},
      {kCommandCheckLabel, ControlKind::Static, "Command check (only for experimental use)", 4, 76,
       213, 8},
      {kCommandCheckList, ControlKind::ComboList, "", 4, 93, 26, 156, kNoFlags,
       CommandCheckEntries()},
      Button(kCommandCheckButton, "Check", 35, 93, 31, 14),
  };
  return controls;
}

}  // namespace

const DialogTemplate& TimeLapseTemplate() {
  static const DialogTemplate dialog{"Time Lapse", 230, 178, kTimeLapseControls};
  return dialog;
}

const DialogTemplate& ScheduleTemplate() {
  static const DialogTemplate dialog{"Schedule", 224, 148, kScheduleControls};
  return dialog;
}

const DialogTemplate& OptionsTemplate() {
  static const DialogTemplate dialog{"Options", 230, 110, kOptionsControls};
  return dialog;
}

const DialogTemplate& ConfigTemplate() {
  static const DialogTemplate dialog{"Config", 230, 110, ConfigControls()};
  return dialog;
}

const DialogTemplate& AboutTemplate() {
  static const DialogTemplate dialog{"About", 230, 110, AboutControls()};
  return dialog;
}

std::span<const std::string_view> ComPortEntries() {
  return kComPortEntries;
}

}  // namespace vel
