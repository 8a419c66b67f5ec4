#include "core/app/settings.h"

#include <array>

#include "core/app/ini_profile.h"
#include "core/camera/models.h"
#include "core/platform/user_dirs.h"

namespace vel {
namespace {

constexpr SettingEntry Entry(std::string_view section, std::string_view key,
                             int Settings::*member) {
  return {section, key, member, nullptr};
}

constexpr SettingEntry Entry(std::string_view section, std::string_view key,
                             std::string Settings::*member) {
  return {section, key, nullptr, member};
}

constexpr SettingEntry kSettings[] = {
#define VELORANTICA_SETTING_ENTRY(section, type, name, value) \
  Entry(#section, #name, &Settings::name),
    VELORANTICA_SETTINGS(VELORANTICA_SETTING_ENTRY)
#undef VELORANTICA_SETTING_ENTRY
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
