#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vel {

class IniProfile;

// Every setting, once: section, type, name (the profile key, the member and
// the window's variable) and the value a profile without that key gives, in
// the order the profile is read and written. A new setting is one line here
// (its section's keys after the others) and its page's binding.
// DestFileDir's default comes from DefaultDestFileDir.
#define VELORANTICA_SETTINGS(X)                 \
  X(Interval, int, Hour, 0)                     \
  X(Interval, int, Minute, 0)                   \
  X(Interval, int, Second, 0)                   \
  X(Interval, int, Count, 1)                    \
  X(Interval, int, Bulb, 0)                     \
  X(Interval, int, BulbSeconds, 0)              \
  X(Interval, int, Focus, 0)                    \
  X(Interval, int, FocusSeconds, 2)             \
  X(Interval, int, Infinity, 0)                 \
  X(Options, std::string, ComPort, "COM1")      \
  X(Options, std::string, Command, "")          \
  X(Options, int, UseExternalCommand, 0)        \
  X(Options, int, CopyFile, 0)                  \
  X(Options, std::string, DestFileDir, "")      \
  X(Options, int, DeleteAfterCopy, 0)           \
  X(Options, int, DelayRecUsb, 8)               \
  X(Options, int, DelayUsbRec, 3)               \
  X(Options, int, DelayBulb, 20)                \
  X(Options, int, Model, 7)                     \
  X(Options, int, ExposureMode, 5)              \
  X(Options, int, DriveMode, 0)                 \
  X(Options, int, CopyAndDelete, 0)             \
  X(Options, int, CommandCheck, 0)              \
  X(Schedule, std::string, ScheduleStart, "")   \
  X(Schedule, std::string, ScheduleStop, "")    \
  X(Schedule, std::string, ScheduleFor, "")     \
  X(Schedule, std::string, ScheduleWindows, "") \
  X(Schedule, std::string, ScheduleDays, "")    \
  X(StatusPage, std::string, StatusPageAddress, "")

// The program's settings, one member per profile key, named after the key.
// Integers are 32-bit, flags hold 0 or 1. The front end keeps one of these
// for the whole run; the core takes what it needs from it as arguments.
struct Settings {
#define VELORANTICA_SETTING_MEMBER(section, type, name, value) type name = value;
  VELORANTICA_SETTINGS(VELORANTICA_SETTING_MEMBER)
#undef VELORANTICA_SETTING_MEMBER
};

// One profile key and the member it is kept in: integer or string.
struct SettingEntry {
  std::string_view section;
  std::string_view key;
  int Settings::*integer = nullptr;
  std::string Settings::*string = nullptr;
};

// The settings in the order they are read and written.
std::span<const SettingEntry> SettingsTable();

// The destination folder used when the profile names none: "C:\" on Windows,
// the user's pictures folder (else the home folder) elsewhere.
std::string DefaultDestFileDir();

// 0 for the QV-4000 and QV-5700, which take no release byte after the
// REC/USB switch, 1 for every other model value.
int DeriveSendSwitchRelease(int model);

// Every setting from the profile in table order; a key that is missing
// keeps its default, and an empty ComPort becomes "COM1".
Settings LoadSettings(const IniProfile& profile);

// Writes every setting into the profile in table order; a string with a
// line break is left out, its key keeping the line it had.
void SaveSettings(const Settings& settings, IniProfile& profile);

}  // namespace vel
