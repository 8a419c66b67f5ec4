#include "core/app/settings.h"

#include <array>

#include "core/app/ini_profile.h"
#include "core/camera/models.h"
#include "core/platform/user_dirs.h"

namespace vel {
namespace {

constexpr std::string_view kInterval = "Interval";
constexpr std::string_view kOptions = "Options";

constexpr SettingEntry Int(std::string_view section, std::string_view key, int Settings::*member) {
  return {section, key, member, nullptr};
}

constexpr SettingEntry Str(std::string_view section, std::string_view key,
                           std::string Settings::*member) {
  return {section, key, nullptr, member};
}

constexpr std::array<SettingEntry, 23> kSettings = {
    Int(kInterval, "Hour", &Settings::Hour),
    Int(kInterval, "Minute", &Settings::Minute),
    Int(kInterval, "Second", &Settings::Second),
    Int(kInterval, "Count", &Settings::Count),
    Int(kInterval, "Bulb", &Settings::Bulb),
    Int(kInterval, "BulbSeconds", &Settings::BulbSeconds),
    Int(kInterval, "Focus", &Settings::Focus),
    Int(kInterval, "FocusSeconds", &Settings::FocusSeconds),
    Int(kInterval, "Infinity", &Settings::Infinity),
    Str(kOptions, "ComPort", &Settings::ComPort),
    Str(kOptions, "Command", &Settings::Command),
    Int(kOptions, "UseExternalCommand", &Settings::UseExternalCommand),
    Int(kOptions, "CopyFile", &Settings::CopyFile),
    Str(kOptions, "DestFileDir", &Settings::DestFileDir),
    Int(kOptions, "DeleteAfterCopy", &Settings::DeleteAfterCopy),
    Int(kOptions, "DelayRecUsb", &Settings::DelayRecUsb),
    Int(kOptions, "DelayUsbRec", &Settings::DelayUsbRec),
    Int(kOptions, "DelayBulb", &Settings::DelayBulb),
    Int(kOptions, "Model", &Settings::Model),
    Int(kOptions, "ExposureMode", &Settings::ExposureMode),
    Int(kOptions, "DriveMode", &Settings::DriveMode),
    Int(kOptions, "CopyAndDelete", &Settings::CopyAndDelete),
    Int(kOptions, "CommandCheck", &Settings::CommandCheck),
};

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

Settings LoadSettings(const IniProfile& profile) {
  Settings defaults;
  defaults.DestFileDir = DefaultDestFileDir();
  Settings settings;
  for (const SettingEntry& setting : kSettings) {
    if (setting.integer) {
      settings.*setting.integer =
          profile.GetInt(setting.section, setting.key, defaults.*setting.integer);
    } else {
      settings.*setting.string =
          profile.GetString(setting.section, setting.key, defaults.*setting.string);
    }
  }
  if (settings.ComPort.empty())
    settings.ComPort = defaults.ComPort;
  return settings;
}

void SaveSettings(const Settings& settings, IniProfile& profile) {
  for (const SettingEntry& setting : kSettings) {
    if (setting.integer)
      profile.WriteInt(setting.section, setting.key, settings.*setting.integer);
    else
      profile.WriteString(setting.section, setting.key, settings.*setting.string);
  }
}

}  // namespace vel
