// Drives and the picture transfer on Windows: a drive letter lent by Wine's
// mount manager to a temporary folder is the camera's drive, appearing after
// the series started; the destination is a folder on C:.

#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/status_text.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace vel {
namespace {

class DrivesWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::RunningUnderWine())
      GTEST_SKIP() << "lending a drive letter needs Wine's mount manager";
    m_atStart = TakeDriveSnapshot();
  }

  // A picture and its thumbnail with their last write on the given day.
  void Put(const std::string& folder, const std::string& name, int day) {
    for (const std::string& sub : {std::string(), std::string("\\PREVIEW")}) {
      std::filesystem::create_directories(m_camera / ("DCIM\\" + folder + sub));
      const std::string path = m_camera / ("DCIM\\" + folder + sub + "\\" + name);
      test::TempDir::WriteFile(path, name + sub);
      const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      const ULONGLONG ticks = 125'911'584'000'000'000ULL + day * 864'000'000'000ULL;  // 2000-01-01
      const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
      EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &time));
      ::CloseHandle(file);
    }
  }

  DriveSnapshot m_atStart;
  test::TempDir m_camera;
  test::TempDir m_destination;
  test::WineDriveLetter m_drive;
};

TEST_F(DrivesWin32Test, TheNewestPictureOfTheNewRemovableDriveIsCopiedAndDeleted) {
  Put("100CASIO", "CIMG0001.JPG", 1);
  Put("101CASIO", "CIMG0002.JPG", 3);
  Put("HTML", "CIMG0003.JPG", 9);
  ASSERT_TRUE(m_drive.Define(m_camera.Path(), DRIVE_REMOVABLE));
  PictureTransfer transfer;
  ASSERT_EQ(transfer.CopyNewestPicture(m_atStart, {m_destination.Path(), true, 0}).Text(), "");
  EXPECT_EQ(transfer.LastPath(), m_drive.Root() + "DCIM\\101CASIO\\CIMG0002.JPG");
  EXPECT_EQ(test::TempDir::ReadFile(m_destination / "CIMG0002.JPG"), "CIMG0002.JPG");
  EXPECT_EQ(test::TempDir::ReadFile(m_destination / "PREVIEW\\CIMG0002.JPG"),
            "CIMG0002.JPG\\PREVIEW");
  EXPECT_FALSE(std::filesystem::exists(m_camera / "DCIM\\101CASIO\\CIMG0002.JPG"));
  EXPECT_FALSE(std::filesystem::exists(m_camera / "DCIM\\101CASIO\\PREVIEW\\CIMG0002.JPG"));
  EXPECT_TRUE(std::filesystem::exists(m_camera / "DCIM\\100CASIO\\CIMG0001.JPG"));
}

TEST_F(DrivesWin32Test, AFixedDriveIsNoCamera) {
  Put("100CASIO", "CIMG0001.JPG", 1);
  ASSERT_TRUE(m_drive.Define(m_camera.Path(), DRIVE_FIXED));
  const Result result =
      PictureTransfer().CopyNewestPicture(m_atStart, {m_destination.Path(), true, 0});
  EXPECT_TRUE(result.Text().starts_with("Detecting USB drive type failed.\n"));
  EXPECT_TRUE(result.Detail().ends_with("it is of type DRIVE_FIXED.\n"));
  EXPECT_TRUE(std::filesystem::exists(m_camera / "DCIM\\100CASIO\\CIMG0001.JPG"));
}

// The system's local time agrees with the C runtime's view of the same
// moment, which works it out from the clock and the time zone on its own.
TEST(LocalTimeWin32, AgreesWithTheRuntime) {
  LocalTime local;
  std::time_t before, after;
  do {
    before = std::time(nullptr);
    local = CurrentLocalTime();
    after = std::time(nullptr);
  } while (before != after);
  std::tm expected{};
  ASSERT_EQ(::localtime_s(&expected, &before), 0);
  EXPECT_EQ(StatusTimeText(local),
            StatusTimeText({expected.tm_year + 1900, expected.tm_mon + 1, expected.tm_mday,
                            expected.tm_hour, expected.tm_min, expected.tm_sec}));
}

}  // namespace
}  // namespace vel
