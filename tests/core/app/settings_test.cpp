#include "core/app/settings.h"

#include <gtest/gtest.h>

#include "core/app/ini_profile.h"
#include "core/camera/models.h"

namespace vel {
namespace {

TEST(Settings, EmptyProfileGivesTheDefaults) {
  LoadSettings(IniProfile());
  EXPECT_EQ(Count, 1);
  EXPECT_EQ(FocusSeconds, 2);
  EXPECT_EQ(DelayRecUsb, 8);
  EXPECT_EQ(DelayUsbRec, 3);
  EXPECT_EQ(DelayBulb, 20);
  EXPECT_EQ(ExposureMode, 5);
  EXPECT_EQ(Model, 7);
  EXPECT_EQ(ComPort, "COM1");
  EXPECT_EQ(Command, "");
  EXPECT_EQ(DestFileDir, DefaultDestFileDir());
  EXPECT_FALSE(DestFileDir.empty());
  EXPECT_EQ(SendSwitchRelease, 0);
  EXPECT_EQ(ModelName(Model), "QV-4000");
}

TEST(Settings, AllKeysAreWrittenInTableOrder) {
  LoadSettings(IniProfile());
  IniProfile profile;
  SaveSettings(profile);
  const std::string text = profile.Text();
  std::size_t last = 0;
  int found = 0;
  for (const SettingEntry& setting : SettingsTable()) {
    const auto at = text.find("\n" + std::string(setting.key) + "=");
    ASSERT_NE(at, std::string::npos) << setting.key;
    EXPECT_GT(at, last) << setting.key;
    last = at;
    ++found;
  }
  EXPECT_EQ(found, 23);
  EXPECT_LT(text.find("[Interval]"), text.find("[Options]"));
}

TEST(Settings, EmptyComPortBecomesCom1) {
  LoadSettings(IniProfile::FromText("[Options]\nComPort=\n"));
  EXPECT_EQ(ComPort, "COM1");
  IniProfile profile;
  SaveSettings(profile);
  EXPECT_EQ(profile.GetString("Options", "ComPort", ""), "COM1");
}

TEST(Settings, SwitchReleaseFollowsTheModel) {
  for (const auto& [model, release] : {std::pair{7, 0}, {8, 0}, {9, 1}, {12, 1}, {-1, 1}, {0, 1}}) {
    LoadSettings(IniProfile::FromText("[Options]\nModel=" + std::to_string(model) + "\n"));
    EXPECT_EQ(SendSwitchRelease, release) << model;
  }
  EXPECT_EQ(ModelName(8), "QV-5700");
  EXPECT_EQ(ModelName(42), "QV-3000EX");
  EXPECT_EQ(ModelName(-1), "QV-3000EX");
}

TEST(Settings, GarbageLoadsAndRoundTrips) {
  const std::string text =
      "garbage line without equals\n[Interval]\nCount=abc\nHour=99999999999\n[Extra]\nX=1\n"
      "[Options]\nModel=-3\nDestFileDir=/tmp/pictures\n";
  LoadSettings(IniProfile::FromText(text));
  EXPECT_EQ(Count, 0);
  EXPECT_EQ(Model, -3);
  EXPECT_EQ(DestFileDir, "/tmp/pictures");
  IniProfile profile = IniProfile::FromText(text);
  SaveSettings(profile);
  const std::string saved = profile.Text();
  EXPECT_NE(saved.find("garbage line without equals\n"), std::string::npos);
  EXPECT_NE(saved.find("[Extra]\nX=1\n"), std::string::npos);
  LoadSettings(profile);
  EXPECT_EQ(Model, -3);
  EXPECT_EQ(Count, 0);
}

}  // namespace
}  // namespace vel
