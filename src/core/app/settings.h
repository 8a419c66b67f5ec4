#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vel {

class IniProfile;

// The program's settings, one member per profile key, named after the key,
// with the value a profile without that key gives. Integers are 32-bit,
// flags hold 0 or 1. The front end keeps one of these for the whole run;
// the core takes what it needs from it as arguments.
struct Settings {
  // Section "Interval"
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Count = 1;
  int Bulb = 0;
  int BulbSeconds = 0;
  int Focus = 0;
  int FocusSeconds = 2;
  int Infinity = 0;
  // Section "Options"
  std::string ComPort = "COM1";
  std::string Command;
  int UseExternalCommand = 0;
  int CopyFile = 0;
  std::string DestFileDir;  // the default comes from DefaultDestFileDir
  int DeleteAfterCopy = 0;
  int DelayRecUsb = 8;
  int DelayUsbRec = 3;
  int DelayBulb = 20;
  int Model = 7;
  int ExposureMode = 5;
  int DriveMode = 0;
  int CopyAndDelete = 0;
  int CommandCheck = 0;
};

// One profile key and the member it is kept in: integer or string.
struct SettingEntry {
  std::string_view section;
  std::string_view key;
  int Settings::*integer = nullptr;
  std::string Settings::*string = nullptr;
};

// The 23 settings in the order they are read and written.
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
