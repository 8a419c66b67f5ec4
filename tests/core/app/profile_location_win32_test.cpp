// Where the profile is kept on Windows: the Windows directory's file while this user may write
// it, else the user's own, which takes over the settings of the one read before.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/app/ini_profile.h"
#include "core/platform/user_dirs_win32.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

// The user's folder has a name beyond the system's code page, as a user's name may give it.
TEST(ProfileLocation, AFileThisUserMayNotWriteIsReadOnceIntoTheUsersOwn) {
  test::TempDir dir;
  fs::create_directories(dir / "Windows");
  const std::string shared = dir / "Windows\\velorantica.INI", roaming = dir / "J\xC3\xBCrgen";
  const std::string own = roaming + "\\Velorantica\\velorantica.ini";
  const auto locate = [&](const std::string& windows, const std::string& appData) {
    return win32::LocateProfileIn(windows, appData, dir / "Local", "velorantica");
  };
  // A folder this user may write: its file, and the trial of the folder leaves nothing behind.
  ProfileLocation location = locate(dir / "Windows", roaming);
  EXPECT_EQ(location.path, shared);
  EXPECT_EQ(ProfileSource(location), shared);
  EXPECT_TRUE(fs::is_empty(dir / "Windows"));

  // Another program holds the file open for reading only: it can be read, not written.
  test::TempDir::WriteFile(shared, "[Interval]\r\nCount=7\r\n[Other]\r\nKeep=1\r\n");
  HANDLE reader = ::CreateFileA(shared.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  location = locate(dir / "Windows", roaming);
  EXPECT_EQ(location.path, own);
  EXPECT_NE(location.note.find("may not write " + shared), std::string::npos) << location.note;
  IniProfile profile;
  ASSERT_TRUE(IniProfile::Load(ProfileSource(location), profile));
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 7);
  profile.WriteInt("Interval", "Count", 8);
  ASSERT_TRUE(profile.Save(location.path));
  // From the first save on, the user's own file is read alone.
  EXPECT_EQ(ProfileSource(location), own);
  ASSERT_TRUE(IniProfile::Load(ProfileSource(location), profile));
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 8);
  EXPECT_EQ(profile.GetInt("Other", "Keep", 0), 1);

  // What a program without a manifest wrote went to its per-user copy: that is read first.
  const std::string shadow =
      dir / "Local\\VirtualStore" + (dir / "Windows").substr(2) + "\\velorantica.INI";
  fs::create_directories(fs::path(shadow).parent_path());
  test::TempDir::WriteFile(shadow, "[Interval]\r\nCount=9\r\n");
  EXPECT_EQ(ProfileSource(locate(dir / "Windows", dir / "Fresh")), shadow);
  ::CloseHandle(reader);
  // A Windows folder that takes no file and has no profile: nothing to read over.
  location = locate(shared + "\\sub", dir / "Fresh");
  EXPECT_EQ(location.path, dir / "Fresh\\Velorantica\\velorantica.ini");
  EXPECT_EQ(location.firstReadFrom, "");
}

}  // namespace
}  // namespace vel
