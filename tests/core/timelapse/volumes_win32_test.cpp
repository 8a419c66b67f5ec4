// Drive letters and drive types on Windows, with drive letters that Wine's
// mount manager lends to a temporary folder standing in for the camera's
// drive.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/timelapse/volumes.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace vel {
namespace {

class VolumesWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::RunningUnderWine())
      GTEST_SKIP() << "lending a drive letter needs Wine's mount manager";
    m_free = test::FreeDriveLetters();
    ASSERT_GE(m_free.size(), 2u);
  }

  // The n-th letter that was free when the test began.
  char FreeLetter(std::size_t n) const { return m_free[n]; }

  test::TempDir m_folder;

 private:
  std::vector<char> m_free;
};

TEST_F(VolumesWin32Test, DrivesComeInLetterOrderWithTheSystemsMask) {
  const std::vector<Drive> drives = ListDrives();
  DWORD mask = 0;
  for (const Drive& drive : drives) {
    ASSERT_EQ(drive.root.size(), 3u);
    EXPECT_EQ(drive.root.substr(1), ":\\");
    mask |= DWORD{1} << (drive.root[0] - 'A');
  }
  EXPECT_EQ(mask, ::GetLogicalDrives());
  EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end(),
                             [](const Drive& a, const Drive& b) { return a.root < b.root; }));
  const auto system = std::find_if(drives.begin(), drives.end(),
                                   [](const Drive& drive) { return drive.root == "C:\\"; });
  ASSERT_NE(system, drives.end());
  EXPECT_EQ(system->type, DriveType::Fixed);
}

TEST_F(VolumesWin32Test, ALetterAddedSinceTheSnapshotIsTheNewDriveWithItsType) {
  const DriveSnapshot atStart = TakeDriveSnapshot();
  EXPECT_FALSE(FindNewDrive(atStart).has_value());

  test::WineDriveLetter camera;
  ASSERT_TRUE(camera.Define(FreeLetter(0), m_folder.Path(), DRIVE_REMOVABLE));
  const std::optional<Drive> found = FindNewDrive(atStart);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->root, camera.Root());
  EXPECT_EQ(found->type, DriveType::Removable);
  const std::vector<std::string> removable = RemovableMountPoints();
  EXPECT_NE(std::find(removable.begin(), removable.end(), camera.Root()), removable.end());

  camera.Remove();
  EXPECT_FALSE(FindNewDrive(atStart).has_value());
}

TEST_F(VolumesWin32Test, TheLowestNewLetterWinsWhateverItsType) {
  const DriveSnapshot atStart = TakeDriveSnapshot();
  test::WineDriveLetter camera;
  ASSERT_TRUE(camera.Define(FreeLetter(1), m_folder.Path(), DRIVE_REMOVABLE));
  test::WineDriveLetter stick;
  ASSERT_TRUE(stick.Define(FreeLetter(0), m_folder.Path(), DRIVE_FIXED));
  const std::optional<Drive> found = FindNewDrive(atStart);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->root, stick.Root());
  EXPECT_EQ(found->type, DriveType::Fixed);
}

TEST_F(VolumesWin32Test, EachSystemDriveTypeHasItsOwnKind) {
  struct Kind {
    UINT system;
    DriveType expected;
  };
  const Kind kinds[] = {{DRIVE_REMOVABLE, DriveType::Removable},
                        {DRIVE_FIXED, DriveType::Fixed},
                        {DRIVE_CDROM, DriveType::Cdrom},
                        {DRIVE_REMOTE, DriveType::Remote},
                        {DRIVE_RAMDISK, DriveType::Ramdisk}};
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.system);
    const DriveSnapshot atStart = TakeDriveSnapshot();
    test::WineDriveLetter letter;
    ASSERT_TRUE(letter.Define(FreeLetter(0), m_folder.Path(), kind.system));
    ASSERT_EQ(::GetDriveTypeA(letter.Root().c_str()), kind.system);
    const std::optional<Drive> found = FindNewDrive(atStart);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->type, kind.expected);
  }
}

}  // namespace
}  // namespace vel
