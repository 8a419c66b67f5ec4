#include "core/app/ini_profile.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vel {
namespace {

TEST(IniProfileRead, NamesCompareWithoutCase) {
  const auto profile = IniProfile::FromText("[options]\ncomport=COM3\nMODEL=8\n");
  EXPECT_EQ(profile.GetString("Options", "ComPort", "x"), "COM3");
  EXPECT_EQ(profile.GetInt("Options", "Model", 7), 8);
}

TEST(IniProfileRead, MissingSectionKeyOrValueGivesDefault) {
  const auto profile = IniProfile::FromText("[Interval]\nCount=\nHour=4\n");
  EXPECT_EQ(profile.GetInt("Options", "Model", 7), 7);
  EXPECT_EQ(profile.GetInt("Interval", "Minute", 9), 9);
  EXPECT_EQ(profile.GetInt("Interval", "Count", 1), 1);
  // An empty string value is a value, unlike an empty integer.
  EXPECT_EQ(IniProfile::FromText("[O]\nA=\n").GetString("O", "A", "def"), "");
}

TEST(IniProfileRead, IntegersTakeTheirLeadingDigits) {
  const auto profile = IniProfile::FromText(
      "[S]\nA=12abc\nB=abc\nC=-5\nD=+7\nE= 42 \nF=4294967297\nG=99999999999999999999\nH=\"15\"\n"
      "I=0x10\n");
  EXPECT_EQ(profile.GetInt("S", "A", 1), 12);
  EXPECT_EQ(profile.GetInt("S", "B", 1), 0);
  EXPECT_EQ(profile.GetInt("S", "C", 1), -5);
  EXPECT_EQ(profile.GetInt("S", "D", 1), 7);
  EXPECT_EQ(profile.GetInt("S", "E", 1), 42);
  EXPECT_EQ(profile.GetInt("S", "F", 1), 1);  // wraps like the 32-bit conversion
  EXPECT_EQ(profile.GetInt("S", "G", 1), ParseProfileInt("99999999999999999999"));
  EXPECT_EQ(profile.GetInt("S", "H", 1), 15);
  EXPECT_EQ(profile.GetInt("S", "I", 1), 0);
}

TEST(IniProfileRead, CrlfCommentsAndBlanksAreUnderstood) {
  const auto profile = IniProfile::FromText(
      "; written on Windows\r\n[Options]\r\n; a comment\r\n ComPort = COM2 \r\n");
  EXPECT_EQ(profile.GetString("Options", "ComPort", ""), "COM2");
  EXPECT_EQ(profile.GetString("Options", "; a comment", "none"), "none");
}

TEST(IniProfileRead, ByteOrderMarkIsNotPartOfTheFirstSection) {
  auto profile = IniProfile::FromText("\xEF\xBB\xBF[Options]\r\nModel=8\r\n");
  EXPECT_EQ(profile.GetInt("Options", "Model", 0), 8);
  profile.WriteInt("Options", "Model", 3);
  EXPECT_EQ(profile.Text(), "\xEF\xBB\xBF[Options]\r\nModel=3\r\n");
}

TEST(IniProfileWrite, KeepsWhatItDoesNotOwn) {
  const std::string text =
      "; my notes\r\n[Other]\r\nKeep=this\r\n\r\n[Options]\r\nunknown=1\r\nmodel=3\r\n; tail\r\n";
  auto profile = IniProfile::FromText(text);
  profile.WriteInt("Options", "Model", 8);
  profile.WriteString("Options", "ComPort", "COM2");
  profile.WriteInt("Interval", "Hour", 1);
  EXPECT_EQ(profile.Text(),
            "; my notes\r\n[Other]\r\nKeep=this\r\n\r\n[Options]\r\nunknown=1\r\nModel=8\r\n"
            "; tail\r\nComPort=COM2\r\n\r\n[Interval]\r\nHour=1\r\n");
}

TEST(IniProfileWrite, RewritingTheSameValuesChangesNothing) {
  const std::string text = "[Options]\nModel=3\nComPort=COM2\n";
  auto profile = IniProfile::FromText(text);
  profile.WriteInt("Options", "Model", 3);
  profile.WriteString("Options", "ComPort", "COM2");
  EXPECT_EQ(profile.Text(), text);
}

TEST(IniProfileFile, SaveCreatesFolderAndReplacesInOneStep) {
  test::TempDir dir;
  const std::string path = dir / "sub/folder/velorantica.ini";
  IniProfile profile;
  profile.WriteInt("Options", "Model", 8);
  std::string error;
  ASSERT_TRUE(profile.Save(path, &error)) << error;
  EXPECT_EQ(IniProfile::Load(path).GetInt("Options", "Model", 0), 8);

  profile.WriteInt("Options", "Model", 2);
  ASSERT_TRUE(profile.Save(path, &error)) << error;
  EXPECT_EQ(test::TempDir::ReadFile(path), "[Options]\nModel=2\n");
  // No temporary file is left beside it.
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir / "sub/folder"))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(IniProfileFile, FailedSaveLeavesNoTraceAndReportsIt) {
  // A folder standing where the profile should be cannot be replaced, even
  // by root: the save must fail, say why, and leave nothing behind.
  test::TempDir dir;
  const std::string path = dir / "velorantica.ini";
  std::filesystem::create_directory(path);
  test::TempDir::WriteFile(path + "/inside", "keep");
  IniProfile profile;
  profile.WriteInt("Options", "Model", 9);
  std::string error;
  EXPECT_FALSE(profile.Save(path, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(test::TempDir::ReadFile(path + "/inside"), "keep");
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(IniProfileFile, MissingFileReadsEmpty) {
  test::TempDir dir;
  std::string error = "unchanged";
  const auto profile = IniProfile::Load(dir / "nothing.ini", &error);
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(profile.GetInt("Interval", "Count", 1), 1);
}

}  // namespace
}  // namespace vel
