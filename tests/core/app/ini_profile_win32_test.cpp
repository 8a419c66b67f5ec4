// The profile against the system's own profile calls: what IniProfile reads
// from a text must be what GetPrivateProfileString and GetPrivateProfileInt
// read from the same file, and a profile we save must read back through them
// from the Windows directory, where a profile named without a folder lies.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/platform/user_dirs.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

constexpr const char* kDefault = "<default>";
constexpr int kIntDefault = -77;

struct Lookup {
  const char* section;
  const char* key;
};

struct ProfileCase {
  const char* name;
  const char* text;
  std::vector<Lookup> lookups;
};

// Left out on purpose: "0x" prefixes, which Wine's GetPrivateProfileInt
// reads as hexadecimal and the profile as 0, and key names beginning with
// ";", which the system calls take as keys and the profile as comments; no
// setting's name begins so.
const std::vector<ProfileCase>& TrickyProfiles() {
  static const std::vector<ProfileCase> cases = {
      {"names in another case",
       "[options]\ncomport=COM3\nMODEL=8\n",
       {{"Options", "ComPort"}, {"OPTIONS", "model"}, {"Options", "Count"}}},
      {"blanks around names and values",
       "  [ Options ]  \n  Model  =  4  \n\tComPort\t=\tCOM2\t\n",
       {{"Options", "Model"}, {"Options", "ComPort"}}},
      {"quoted values",
       "[O]\nA=\"quoted value\"\nB='single'\nC=\"mismatched'\nD=\"\nE=\"\"\nF= \"12\" "
       "\nG=\"a\"b\"\n",
       {{"O", "A"}, {"O", "B"}, {"O", "C"}, {"O", "D"}, {"O", "E"}, {"O", "F"}, {"O", "G"}}},
      {"integers with garbage",
       "[S]\nA=12abc\nB=abc\nC=-7\nD=+5\nF=4294967297\nG= 42\nH=\nI=-\nJ=1.5\nK=-0\n"
       "L=2147483648\nM=  -12 34\nN=-4294967297\nO=42A94967297\n",
       {{"S", "A"},
        {"S", "B"},
        {"S", "C"},
        {"S", "D"},
        {"S", "F"},
        {"S", "G"},
        {"S", "H"},
        {"S", "I"},
        {"S", "J"},
        {"S", "K"},
        {"S", "L"},
        {"S", "M"},
        {"S", "N"},
        {"S", "O"}}},
      {"CRLF line ends",
       "[Options]\r\nComPort=COM4 \r\nModel=9\r\n\r\n[Interval]\r\nCount=12\r\n",
       {{"Options", "ComPort"}, {"Options", "Model"}, {"Interval", "Count"}}},
      {"comments and lines without a value",
       "; Velorantica\n[O]\n;A=5\nA=6\nB\nC=b=c\n=7\nD=x ; not a comment\n",
       {{"O", "A"}, {"O", "B"}, {"O", "C"}, {"O", "D"}}},
      {"keys outside any section",
       "Model=3\n[Options]\nCount=2\n",
       {{"Options", "Model"}, {"Options", "Count"}}},
      {"a key twice", "[O]\nA=1\nA=2\n", {{"O", "A"}}},
      {"a section twice", "[O]\nA=1\n[O]\nB=2\nA=3\n", {{"O", "A"}, {"O", "B"}}},
      {"a section without its closing bracket", "[O\nD=5\n[P]\nE=6\n", {{"O", "D"}, {"P", "E"}}},
      {"text after the section's bracket", "[Options] trailing\nModel=6\n", {{"Options", "Model"}}},
      {"key names with blanks inside",
       "[Options]\nDelay Rec = 11\n",
       {{"Options", "Delay Rec"}, {"Options", "DelayRec"}}},
  };
  return cases;
}

// A profile file in a folder of its own, read through the system calls.
class SystemProfile {
 public:
  explicit SystemProfile(const std::string& text) : m_path(m_dir / "profile.ini") {
    test::TempDir::WriteFile(m_path, text);
  }
  ~SystemProfile() {
    // Wine and Windows cache a profile; an empty write drops the cache.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_path.c_str());
  }

  std::string GetString(const Lookup& at) const {
    char buffer[512] = {};
    ::GetPrivateProfileStringA(at.section, at.key, kDefault, buffer, sizeof buffer, m_path.c_str());
    return buffer;
  }
  int GetInt(const Lookup& at) const {
    return static_cast<int>(
        ::GetPrivateProfileIntA(at.section, at.key, kIntDefault, m_path.c_str()));
  }

 private:
  test::TempDir m_dir;
  std::string m_path;
};

TEST(IniProfileWin32, ReadsTrickyProfilesAsTheSystemDoes) {
  for (const ProfileCase& profileCase : TrickyProfiles()) {
    SCOPED_TRACE(profileCase.name);
    const IniProfile ours = IniProfile::FromText(profileCase.text);
    const SystemProfile system(profileCase.text);
    for (const Lookup& at : profileCase.lookups) {
      SCOPED_TRACE(std::string("[") + at.section + "] " + at.key);
      EXPECT_EQ(ours.GetString(at.section, at.key, kDefault), system.GetString(at));
      EXPECT_EQ(ours.GetInt(at.section, at.key, kIntDefault), system.GetInt(at));
    }
  }
}

// A profile file in the Windows directory, under a name of this run.
class WindowsDirectoryProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    m_appName = "velorantica-test-" + std::to_string(::GetCurrentProcessId());
    m_fileName = m_appName + ".INI";
    m_path = ProfilePath(m_appName);
  }
  void TearDown() override {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_fileName.c_str());
    ::DeleteFileA(m_path.c_str());
  }

  std::string m_appName;
  std::string m_fileName;  // without a folder: the system looks in the Windows directory
  std::string m_path;
};

TEST_F(WindowsDirectoryProfile, ProfileLiesInTheWindowsDirectory) {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryA(folder, MAX_PATH);
  ASSERT_GT(length, 0u);
  std::string expected(folder, length);
  if (expected.back() != '\\')
    expected += '\\';
  EXPECT_EQ(m_path, expected + m_fileName);
}

TEST_F(WindowsDirectoryProfile, SavedSettingsReadBackThroughTheSystemCalls) {
  IniProfile profile;
  profile.WriteString("Options", "ComPort", "COM3");
  profile.WriteString("Options", "DestFileDir", "C:\\Pictures\\Time lapse\\");
  profile.WriteString("Options", "Command", "C:\\Program Files\\tl\\after shot.bat");
  profile.WriteInt("Options", "Model", 8);
  profile.WriteInt("Interval", "Count", -1);
  profile.WriteInt("Interval", "FocusSeconds", 2147483647);
  std::string error;
  ASSERT_TRUE(profile.Save(m_path, &error)) << error;

  char buffer[MAX_PATH] = {};
  const char* file = m_fileName.c_str();
  ::GetPrivateProfileStringA("Options", "ComPort", "", buffer, sizeof buffer, file);
  EXPECT_STREQ(buffer, "COM3");
  ::GetPrivateProfileStringA("Options", "DestFileDir", "", buffer, sizeof buffer, file);
  EXPECT_STREQ(buffer, "C:\\Pictures\\Time lapse\\");
  ::GetPrivateProfileStringA("Options", "Command", "", buffer, sizeof buffer, file);
  EXPECT_STREQ(buffer, "C:\\Program Files\\tl\\after shot.bat");
  EXPECT_EQ(::GetPrivateProfileIntA("Options", "Model", 0, file), 8u);
  EXPECT_EQ(static_cast<int>(::GetPrivateProfileIntA("Interval", "Count", 0, file)), -1);
  EXPECT_EQ(static_cast<int>(::GetPrivateProfileIntA("Interval", "FocusSeconds", 0, file)),
            2147483647);
}

TEST_F(WindowsDirectoryProfile, WhatTheSystemCallsWriteIsReadBack) {
  const char* file = m_fileName.c_str();
  ASSERT_TRUE(::WritePrivateProfileStringA("Interval", "Hour", "5", file));
  ASSERT_TRUE(::WritePrivateProfileStringA("Options", "DestFileDir", "D:\\Camera pictures", file));
  ASSERT_TRUE(::WritePrivateProfileStringA("Options", "ComPort", "", file));
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);  // to disk now; always FALSE

  const IniProfile profile = IniProfile::Load(m_path);
  EXPECT_EQ(profile.GetInt("Interval", "Hour", 0), 5);
  EXPECT_EQ(profile.GetString("Options", "DestFileDir", ""), "D:\\Camera pictures");
  EXPECT_EQ(profile.GetString("Options", "ComPort", "COM1"), "");
}

// Every settings variable as it was, put back at the end of a test.
class SettingsSnapshot {
 public:
  SettingsSnapshot() {
    for (const SettingEntry& setting : SettingsTable()) {
      m_integers.push_back(setting.integer ? *setting.integer : 0);
      m_strings.push_back(setting.string ? *setting.string : std::string());
    }
  }
  ~SettingsSnapshot() {
    std::size_t i = 0;
    for (const SettingEntry& setting : SettingsTable()) {
      if (setting.integer)
        *setting.integer = m_integers[i];
      if (setting.string)
        *setting.string = m_strings[i];
      ++i;
    }
  }

 private:
  std::vector<int> m_integers;
  std::vector<std::string> m_strings;
};

// The settings round trip through the profile in the Windows directory, the
// way the program reads and writes them, with the system calls in between.
TEST_F(WindowsDirectoryProfile, AllSettingsSurviveASaveAndAChangeBySystemCalls) {
  const SettingsSnapshot snapshot;
  Model = 9;
  ComPort = "COM6";
  DestFileDir = "E:\\";
  IniProfile profile;
  SaveSettings(profile);
  std::string error;
  ASSERT_TRUE(profile.Save(m_path, &error)) << error;
  for (const SettingEntry& setting : SettingsTable()) {
    constexpr const char* kMissing = "<missing>";
    char buffer[MAX_PATH] = {};
    ::GetPrivateProfileStringA(std::string(setting.section).c_str(),
                               std::string(setting.key).c_str(), kMissing, buffer, sizeof buffer,
                               m_fileName.c_str());
    EXPECT_STRNE(buffer, kMissing) << setting.key;
  }
  ASSERT_TRUE(::WritePrivateProfileStringA("options", "model", "2", m_fileName.c_str()));
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_fileName.c_str());

  LoadSettings(IniProfile::Load(m_path));
  EXPECT_EQ(Model, 2);
  EXPECT_EQ(ComPort, "COM6");
  EXPECT_EQ(DestFileDir, "E:\\");
}

}  // namespace
}  // namespace vel
