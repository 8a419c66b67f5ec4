// The profile file against the system's own profile calls: what we save they
// read, keys of other programs included, and what they write we read.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

TEST(IniProfileWin32, TheSystemsProfileCallsReadWhatWeSaveAndWeReadWhatTheyWrite) {
  test::TempDir dir;
  const std::string path = dir / "velorantica.ini";
  Settings settings;
  settings.Count = -1;
  settings.Command = "C:\\Program Files\\tl\\after shot.bat";
  IniProfile profile = IniProfile::FromText("; notes\r\n[Other]\r\nKeep=this\r\n");
  SaveSettings(settings, profile);
  ASSERT_TRUE(profile.Save(path));
  auto systemString = [&path](std::string_view section, std::string_view key) {
    char buffer[MAX_PATH] = {};
    ::GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(), "<missing>",
                               buffer, sizeof buffer, path.c_str());
    return std::string(buffer);
  };
  for (const SettingEntry& entry : SettingsTable()) {
    EXPECT_EQ(systemString(entry.section, entry.key),
              entry.integer ? std::to_string(settings.*entry.integer) : settings.*entry.string)
        << entry.key;
  }
  EXPECT_EQ(systemString("Other", "Keep"), "this");

  ASSERT_TRUE(::WritePrivateProfileStringA("interval", "count", "5", path.c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Options", "ComPort", "", path.c_str()));
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());  // to disk, out of cache
  ASSERT_TRUE(IniProfile::Load(path, profile));
  EXPECT_EQ(LoadSettings(profile).Count, 5);
  EXPECT_EQ(LoadSettings(profile).ComPort, "COM1");
  EXPECT_EQ(LoadSettings(profile).Command, settings.Command);
}

}  // namespace
}  // namespace vel
