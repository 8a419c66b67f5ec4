// Where the profile is kept on Windows: the Windows directory's file while this user may write
// it, else the user's own, which takes over the settings of the one read before.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/app/ini_profile.h"
#include "core/platform/user_dirs_win32.h"
#include "core/platform/wide_text_win32.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

std::size_t Entries(const std::string& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ProfileLocation, TheWindowsFoldersFileIsKeptWhileThisUserMayWriteIt) {
  test::TempDir dir;
  fs::create_directories(dir / "Windows");
  const std::string shared = dir / "Windows\\velorantica.INI";
  for (const bool present : {false, true}) {
    SCOPED_TRACE(present);
    if (present)
      test::TempDir::WriteFile(shared, "[Interval]\r\nCount=7\r\n");
    const ProfileLocation location =
        win32::LocateProfileIn(dir / "Windows", dir / "Roaming", dir / "Local", "velorantica");
    EXPECT_EQ(location.path, shared);
    EXPECT_EQ(location.firstReadFrom, "");
    EXPECT_EQ(ProfileSource(location), shared);
    EXPECT_NE(location.note.find("may write"), std::string::npos);
    // The trial of the folder leaves nothing behind.
    EXPECT_EQ(Entries(dir / "Windows"), present ? 1u : 0u);
  }
}

// The user's own profile reads the one this user could not write while it is missing itself,
// and only then: from the first save on it is read alone. In a folder with a name beyond the
// system's code page, as a user's name may give it.
TEST(ProfileLocation, AFileThisUserMayNotWriteIsReadOnceIntoTheUsersOwn) {
  test::TempDir dir;
  fs::create_directories(dir / "Windows");
  const std::string shared = dir / "Windows\\velorantica.INI";
  const std::string roaming = dir / "J\xC3\xBCrgen \xE6\x97\xA5";
  const std::string own = roaming + "\\Velorantica\\velorantica.ini";
  const std::string shadow =
      dir / "Local\\VirtualStore" + (dir / "Windows").substr(2) + "\\velorantica.INI";
  test::TempDir::WriteFile(shared, "[Interval]\r\nCount=7\r\n[Other]\r\nKeep=1\r\n");
  // Another program holds it open for reading only: it can be read, not written.
  HANDLE reader = ::CreateFileA(shared.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);

  ProfileLocation location =
      win32::LocateProfileIn(dir / "Windows", roaming, dir / "Local", "velorantica");
  EXPECT_EQ(location.path, own);
  EXPECT_EQ(location.firstReadFrom, shared);
  EXPECT_NE(location.note.find("may not write " + shared), std::string::npos) << location.note;
  IniProfile profile;
  ASSERT_TRUE(IniProfile::Load(ProfileSource(location), profile));
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 7);
  profile.WriteInt("Interval", "Count", 8);
  ASSERT_TRUE(profile.Save(location.path));
  EXPECT_TRUE(fs::exists(fs::path(Widen(own))));
  EXPECT_EQ(ProfileSource(location), own);
  ASSERT_TRUE(IniProfile::Load(ProfileSource(location), profile));
  EXPECT_EQ(profile.GetInt("Interval", "Count", 0), 8);
  EXPECT_EQ(profile.GetInt("Other", "Keep", 0), 1);

  // What a program without a manifest wrote went to its per-user copy: that is read first.
  fs::create_directories(fs::path(shadow).parent_path());
  test::TempDir::WriteFile(shadow, "[Interval]\r\nCount=9\r\n");
  location = win32::LocateProfileIn(dir / "Windows", dir / "Fresh", dir / "Local", "velorantica");
  EXPECT_EQ(location.firstReadFrom, shadow);
  EXPECT_EQ(ProfileSource(location), shadow);
  ::CloseHandle(reader);

  // A Windows folder that takes no file, without a profile of its own: nothing to read over.
  location = win32::LocateProfileIn(shared + "\\sub", dir / "Fresh", dir / "Local", "velorantica");
  EXPECT_EQ(location.path, dir / "Fresh\\Velorantica\\velorantica.ini");
  EXPECT_EQ(location.firstReadFrom, "");
}

}  // namespace
}  // namespace vel
