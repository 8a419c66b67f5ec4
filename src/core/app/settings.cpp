#include "core/app/settings.h"

#include <array>

#include "core/app/ini_profile.h"
#include "core/camera/models.h"
#include "core/platform/user_dirs.h"

namespace vel {

int Hour = 0;
int Minute = 0;
int Second = 0;
int Count = 1;
int Bulb = 0;
int BulbSeconds = 0;
int Focus = 0;
int FocusSeconds = 2;
int Infinity = 0;
std::string ComPort;
std::string Command;
int UseExternalCommand = 0;
int CopyFile = 0;
std::string DestFileDir;
int DeleteAfterCopy = 0;
int DelayRecUsb = 8;
int DelayUsbRec = 3;
int DelayBulb = 20;
int Model = 7;
int ExposureMode = 5;
int DriveMode = 0;
int CopyAndDelete = 0;
int CommandCheck = 0;
int SendSwitchRelease = 1;

namespace {

constexpr std::string_view kInterval = "Interval";
constexpr std::string_view kOptions = "Options";

SettingEntry Int(std::string_view section, std::string_view key, int& variable, int fallback) {
  return {section, key, SettingType::Integer, &variable, nullptr, fallback, {}};
}

SettingEntry Str(std::string_view section, std::string_view key, std::string& variable,
                 std::string_view fallback) {
  return {section, key, SettingType::String, nullptr, &variable, 0, fallback};
}

const std::array<SettingEntry, 23> kSettings = {
    Int(kInterval, "Hour", Hour, 0),
    Int(kInterval, "Minute", Minute, 0),
    Int(kInterval, "Second", Second, 0),
    Int(kInterval, "Count", Count, 1),
    Int(kInterval, "Bulb", Bulb, 0),
    Int(kInterval, "BulbSeconds", BulbSeconds, 0),
    Int(kInterval, "Focus", Focus, 0),
    Int(kInterval, "FocusSeconds", FocusSeconds, 2),
    Int(kInterval, "Infinity", Infinity, 0),
    Str(kOptions, "ComPort", ComPort, "COM1"),
    Str(kOptions, "Command", Command, ""),
    Int(kOptions, "UseExternalCommand", UseExternalCommand, 0),
    Int(kOptions, "CopyFile", CopyFile, 0),
    Str(kOptions, "DestFileDir", DestFileDir, {}),
    Int(kOptions, "DeleteAfterCopy", DeleteAfterCopy, 0),
    Int(kOptions, "DelayRecUsb", DelayRecUsb, 8),
    Int(kOptions, "DelayUsbRec", DelayUsbRec, 3),
    Int(kOptions, "DelayBulb", DelayBulb, 20),
    Int(kOptions, "Model", Model, 7),
    Int(kOptions, "ExposureMode", ExposureMode, 5),
    Int(kOptions, "DriveMode", DriveMode, 0),
    Int(kOptions, "CopyAndDelete", CopyAndDelete, 0),
    Int(kOptions, "CommandCheck", CommandCheck, 0),
};

std::string StringDefault(const SettingEntry& setting) {
  if (setting.string == &DestFileDir)
    return DefaultDestFileDir();
  return std::string(setting.stringDefault);
}

}  // namespace

std::span<const SettingEntry> SettingsTable() {
  return kSettings;
}

std::string DefaultDestFileDir() {
  return DefaultDestinationFolder();
}

int DeriveSendSwitchRelease(int model) {
  return TakesModeBytes(model) ? 0 : 1;
}

void LoadSettings(const IniProfile& profile) {
  for (const SettingEntry& setting : kSettings) {
    if (setting.type == SettingType::Integer)
      *setting.integer = profile.GetInt(setting.section, setting.key, setting.integerDefault);
    else
      *setting.string = profile.GetString(setting.section, setting.key, StringDefault(setting));
  }
  if (ComPort.empty())
    ComPort = "COM1";
  SendSwitchRelease = DeriveSendSwitchRelease(Model);
}

void SaveSettings(IniProfile& profile) {
  for (const SettingEntry& setting : kSettings) {
    if (setting.type == SettingType::Integer)
      profile.WriteInt(setting.section, setting.key, *setting.integer);
    else
      profile.WriteString(setting.section, setting.key, *setting.string);
  }
}

}  // namespace vel
