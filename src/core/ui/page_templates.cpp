#include "core/ui/page_templates.h"

#include <algorithm>
#include <array>

#include "core/camera/models.h"
#include "core/direct/command_check.h"

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

constexpr ControlTemplate DefaultButton(int id, std::string_view text, int x, int y, int w, int h) {
  return {id, ControlKind::DefPushButton, text, x, y, w, h};
}

constexpr ControlTemplate ReadOnlyEdit(int id, int x, int y, int w, int h) {
  return {id, ControlKind::Edit, "", x, y, w, h, kReadOnly};
}

// Time Lapse page.
constexpr ControlTemplate kTimeLapseControls[] = {
    Label("Count", 3, 8, 20, 8),
    NumberEdit(998, 40, 5, 40, 13),
    Spin(1047, 77, 5, 14, 13),
    CheckBox(1034, "Infinity", 95, 7, 36, 10),
    Label("Interval", 4, 25, 24, 8),
    {1045, ControlKind::TimePicker, "", 40, 22, 45, 13, kRightAligned},
    Label("Hours : Minutes : Seconds", 88, 25, 84, 8),
    CheckBox(1026, "Focus", 3, 42, 35, 10),
    NumberEdit(1001, 40, 41, 40, 13),
    Spin(1028, 76, 42, 11, 13),
    Label("Seconds before shot", 86, 44, 66, 8),
    CheckBox(1022, "Bulb", 4, 60, 30, 10),
    NumberEdit(997, 40, 59, 40, 13),
    Spin(1021, 75, 60, 11, 13),
    Label("Seconds", 86, 62, 29, 8),
    {0, ControlKind::GroupBox, "Status", 4, 74, 124, 32},
    {1023, ControlKind::Static, "Idle", 12, 83, 110, 8},
    {1024, ControlKind::Static, "Now", 12, 92, 110, 8},
    DefaultButton(1048, "Start", 133, 92, 43, 14),
    DefaultButton(1025, "Cancel", 183, 92, 43, 14),
};

// Options page.
constexpr std::array<std::string_view, 3> kCopyAndDeleteEntries = {
    "Picture and Thumbnail",
    "Picture only",
    "Thumbnail only",
};

constexpr ControlTemplate kOptionsControls[] = {
    Button(1027, "Switch USB <-> REC", 4, 4, 80, 14),
    CheckBox(1031, "After each time lapse shutter COPY file from camera to directory ...", 4, 23,
             222, 10),
    ReadOnlyEdit(1000, 4, 35, 205, 12),
    Button(1032, "...", 214, 35, 12, 12),
    CheckBox(1033, "DELETE file from camera after copy to disk", 4, 49, 185, 10),
    {1052, ControlKind::Static, "COPY and DELETE concern", 4, 61, 95, 8},
    {1051, ControlKind::ComboList, "", 103, 59, 90, 47, kSorted, kCopyAndDeleteEntries},
    CheckBox(1029, "Invoke external program after each shutter", 4, 81, 149, 10),
    ReadOnlyEdit(999, 4, 93, 205, 12),
    Button(1030, "...", 214, 93, 12, 12),
};

// Config page: each label stands before its control, each delay field is
// followed by its up-down control and the unit.
constexpr std::array<std::string_view, 6> kComPortEntries = {
    "COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
};

std::span<const ControlTemplate> ConfigControls() {
  static const ControlTemplate controls[] = {
      Label("Casio QV model", 4, 7, 62, 8),
      {1046, ControlKind::ComboList, "", 70, 4, 80, 90, kSorted, ModelNames()},
      Label("ComPort", 4, 25, 62, 8),
      {1044, ControlKind::ComboList, "", 70, 22, 80, 80, kSorted, kComPortEntries},
      Label("Delay REC -> USB", 4, 45, 62, 8),
      NumberEdit(1035, 70, 42, 40, 13),
      Spin(1036, 110, 42, 11, 13),
      Label("seconds", 125, 45, 30, 8),
      Label("Delay USB -> REC", 4, 63, 62, 8),
      NumberEdit(1037, 70, 60, 40, 13),
      Spin(1038, 110, 60, 11, 13),
      Label("seconds", 125, 63, 30, 8),
      Label("Delay Bulb", 4, 81, 62, 8),
      NumberEdit(1040, 70, 78, 40, 13),
      Spin(1042, 110, 78, 11, 13),
      Label("seconds", 125, 81, 30, 8),
  };
  return controls;
}

// About page; the last three controls are the command check.
std::span<const ControlTemplate> AboutControls() {
  static const ControlTemplate controls[] = {
      Label("Velorantica Version 1.7.1", 33, 5, 119, 8),
      {kAppIconResource, ControlKind::Icon, "", 4, 4, 20, 20},
      Label("Further informations at", 4, 42, 72, 8),
      {1069, ControlKind::HyperLink, kMakerSiteHost, 76, 42, 80, 8},
      {1065, ControlKind::Static, "Command check (only for experimental use)", 4, 76, 213, 8},
      {kCommandCheckListId, ControlKind::ComboList, "", 4, 93, 26, 156, kNoFlags,
       CommandCheckEntries()},
      Button(kCommandCheckButtonId, "Check", 35, 93, 31, 14),
  };
  return controls;
}

}  // namespace

const DialogTemplate& TimeLapseTemplate() {
  static const DialogTemplate dialog{kTimeLapseTemplateId, "Time Lapse", 230, 110,
                                     kTimeLapseControls};
  return dialog;
}

const DialogTemplate& OptionsTemplate() {
  static const DialogTemplate dialog{kOptionsTemplateId, "Options", 230, 110, kOptionsControls};
  return dialog;
}

const DialogTemplate& ConfigTemplate() {
  static const DialogTemplate dialog{kConfigTemplateId, "Config", 230, 110, ConfigControls()};
  return dialog;
}

const DialogTemplate& AboutTemplate() {
  static const DialogTemplate dialog{kAboutTemplateId, "About", 230, 110, AboutControls()};
  return dialog;
}

std::span<const DialogTemplate* const> PageTemplates() {
  static const std::array<const DialogTemplate*, 4> templates = {
      &TimeLapseTemplate(), &OptionsTemplate(), &ConfigTemplate(), &AboutTemplate()};
  return templates;
}

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
  auto it = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                         [id](const ControlTemplate& c) { return c.id == id; });
  return it == dialog.controls.end() ? nullptr : &*it;
}

std::span<const std::string_view> CopyAndDeleteEntries() {
  return kCopyAndDeleteEntries;
}
std::span<const std::string_view> ComPortEntries() {
  return kComPortEntries;
}

}  // namespace vel
