#include <gtest/gtest.h>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

// As Windows reads: any case, leading signed digits wrapping at 32 bits, empty is default, no BOM.
TEST(IniProfile, ReadsAsTheWindowsCallsDo) {
  const IniProfile profile = IniProfile::FromText(
      "\xEF\xBB\xBF[options]\r\n; A=9\r\n a = 12abc \r\nB=-5\r\nC=+7x\r\nD=4294967297\r\nE=\r\n"
      "F=\"15\"\r\nG=abc\r\nS='a b'\r\n[Other]\r\nH=3\r\n");
  const std::pair<const char*, int> expected[] = {{"A", 12}, {"B", -5}, {"C", 7},
                                                  {"D", 1},  {"E", 99}, {"F", 15},
                                                  {"G", 0},  {"H", 99}, {"Missing", 99}};
  for (const auto& [key, value] : expected)
    EXPECT_EQ(profile.GetInt("OPTIONS", key, 99), value) << key;
  EXPECT_EQ(profile.GetString("Options", "s", "x"), "a b");
  EXPECT_EQ(profile.GetString("Options", "E", "x"), "");  // an empty string is a value
}

TEST(IniProfile, WritingKeepsEveryLineItDoesNotOwn) {
  IniProfile profile = IniProfile::FromText(
      "\xEF\xBB\xBF; notes\r\n[Other]\r\nKeep=this\r\n\r\n[Options]\r\nmodel=3\r\nno value\r\n");
  profile.WriteInt("Options", "Model", 8);
  profile.WriteString("Options", "ComPort", "COM2");
  profile.WriteInt("Interval", "Hour", 1);
  EXPECT_EQ(profile.Text(),
            "\xEF\xBB\xBF; notes\r\n[Other]\r\nKeep=this\r\n\r\n[Options]\r\nModel=8\r\n"
            "no value\r\nComPort=COM2\r\n\r\n[Interval]\r\nHour=1\r\n");
}

// Bytes not its own stay (line ends, CRs, unknown encodings); a value with a line break is refused.
TEST(IniProfile, WritingKeepsEveryByteItDoesNotOwn) {
  const char* const cases[][3] = {
      {"[O]\nA=1\r", "2", "[O]\nA=2\r"},
      {"[O]\nA=1\r\r", "2", "[O]\nA=2\r\r"},
      {"[O]\r\nA=1\r\nB=x\n\r\n", "2", "[O]\r\nA=2\r\nB=x\n\r\n"},
      {"[O]\nB=caf\xe9\r", "2", "[O]\nB=caf\xe9\nA=2\r"},
      {"", "2", "[O]\nA=2\n"},
      {"[O]\nA=1\n", "/a\nDeleteAfterCopy=1", "[O]\nA=1\n"},
      {"[O]\nA=1\n", "/a\rB=1", "[O]\nA=1\n"},
  };
  for (const auto& [text, value, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(text) + " " + testing::PrintToString(value));
    IniProfile profile = IniProfile::FromText(text);
    EXPECT_EQ(profile.Text(), text);
    profile.WriteString("O", "A", value);
    EXPECT_EQ(profile.Text(), expected);
  }
}

// Saving leaves no temporary file; a folder in the profile's place is neither read nor replaced.
TEST(IniProfile, SavesInOneStepAndReportsWhatFails) {
  test::TempDir dir;
  IniProfile profile = IniProfile::FromText("[Options]\nModel=8\n");
  ASSERT_TRUE(profile.Save(dir / "sub/velorantica.ini"));
  profile.WriteInt("Options", "Model", 2);
  ASSERT_TRUE(profile.Save(dir / "sub/velorantica.ini"));
  IniProfile loaded;
  ASSERT_TRUE(IniProfile::Load(dir / "sub/velorantica.ini", loaded));
  EXPECT_EQ(loaded.Text(), "[Options]\nModel=2\n");
  EXPECT_EQ(test::Listing(dir / "sub").size(), 1u);
  EXPECT_TRUE(IniProfile::Load(dir / "missing.ini", loaded));
  EXPECT_EQ(loaded.Text(), "");

  EXPECT_NE(profile.Save(dir / "sub").Text(), "");
  EXPECT_EQ(test::Listing(dir.Path()).size(), 1u);
  EXPECT_NE(IniProfile::Load(dir / "sub", profile).Text(), "");
  EXPECT_EQ(profile.Text(), "");
}

std::string SavedText(const Settings& settings) {
  IniProfile profile;
  SaveSettings(settings, profile);
  return profile.Text();
}

// The profile's keys, their sections, order and defaults, as other versions of the program read
// and write them.
TEST(Settings, MissingKeysAndAnEmptyComPortLoadTheDefaults) {
  EXPECT_EQ(
      SavedText(LoadSettings(IniProfile())),
      "[Interval]\nHour=0\nMinute=0\nSecond=0\nCount=1\nBulb=0\nBulbSeconds=0\nFocus=0\n"
      "FocusSeconds=2\nInfinity=0\n\n[Options]\nComPort=COM1\nCommand=\nUseExternalCommand=0\n"
      "CopyFile=0\nDestFileDir=" +
          DefaultDestFileDir() +
          "\nDeleteAfterCopy=0\nDelayRecUsb=8\nDelayUsbRec=3\nDelayBulb=20\nModel=7\n"
          "ExposureMode=5\nDriveMode=0\nCopyAndDelete=0\nCommandCheck=0\n\n[Schedule]\n"
          "ScheduleStart=\nScheduleStop=\nScheduleFor=\nScheduleWindows=\nScheduleDays=\n\n"
          "[StatusPage]\nStatusPageAddress=\n");
  const Settings loaded = LoadSettings(IniProfile::FromText("[options]\ncomport=\nmodel=2\n"));
  EXPECT_EQ(loaded.ComPort, "COM1");
  EXPECT_EQ(loaded.Model, 2);
}

// Every setting is read back into its own member.
TEST(Settings, EverySettingSurvivesASave) {
  Settings written;
  int value = 100;
  for (const SettingEntry& entry : SettingsTable()) {
    if (entry.integer)
      written.*entry.integer = ++value;
    else
      written.*entry.string = "text " + std::to_string(++value);
  }
  const std::string text = SavedText(written);
  const Settings read = LoadSettings(IniProfile::FromText(text));
  for (const SettingEntry& entry : SettingsTable()) {
    SCOPED_TRACE(entry.key);
    if (entry.integer)
      EXPECT_EQ(read.*entry.integer, written.*entry.integer);
    else
      EXPECT_EQ(read.*entry.string, written.*entry.string);
  }
}

}  // namespace
}  // namespace vel
