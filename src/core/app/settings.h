#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vel {

class IniProfile;

// The program's settings: one variable per profile key, shared by all pages.
// Integers are 32-bit, flags hold 0 or 1.
extern int Hour;
extern int Minute;
extern int Second;
extern int Count;
extern int Bulb;
extern int BulbSeconds;
extern int Focus;
extern int FocusSeconds;
extern int Infinity;
extern std::string ComPort;
extern std::string Command;
extern int UseExternalCommand;
extern int CopyFile;
extern std::string DestFileDir;
extern int DeleteAfterCopy;
extern int DelayRecUsb;
extern int DelayUsbRec;
extern int DelayBulb;
extern int Model;
extern int ExposureMode;
extern int DriveMode;
extern int CopyAndDelete;
extern int CommandCheck;

// Derived once at start-up from Model: 0 for the QV-4000 and QV-5700, which
// take no release byte after the REC/USB switch, 1 for every other value.
extern int SendSwitchRelease;

enum class SettingType { Integer, String };

struct SettingEntry {
  std::string_view section;
  std::string_view key;
  SettingType type;
  int* integer;         // for SettingType::Integer
  std::string* string;  // for SettingType::String
  int integerDefault;
  std::string_view stringDefault;  // empty for DestFileDir: see DefaultDestFileDir
};

// The 23 settings in the order they are read and written.
std::span<const SettingEntry> SettingsTable();

// The destination folder used when the profile names none: "C:\" on Windows,
// the user's pictures folder (else the home folder) elsewhere.
std::string DefaultDestFileDir();

int DeriveSendSwitchRelease(int model);

// Reads every setting from the profile in table order, turns an empty ComPort
// into "COM1" and derives SendSwitchRelease.
void LoadSettings(const IniProfile& profile);

// Writes every setting into the profile in table order.
void SaveSettings(IniProfile& profile);

}  // namespace vel
