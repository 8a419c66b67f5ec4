// The picture transfer on Windows: a drive letter lent by Wine's mount
// manager to a temporary folder is the camera's drive, appearing after the
// series started; the destination is a folder on C:.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/timelapse/picture_transfer.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace vel {
namespace {

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file with the given text and last-write time, days after 2001-01-01.
void WriteFileAt(const std::string& path, const std::string& text, int day) {
  test::TempDir::WriteFile(path, text);
  const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SYSTEMTIME time{2001, 1, 0, 1, 12, 0, 0, 0};
  FILETIME fileTime{};
  ::SystemTimeToFileTime(&time, &fileTime);
  ULARGE_INTEGER ticks{{fileTime.dwLowDateTime, fileTime.dwHighDateTime}};
  ticks.QuadPart += static_cast<ULONGLONG>(day) * 24 * 3600 * 10'000'000;
  fileTime = {ticks.LowPart, ticks.HighPart};
  ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &fileTime));
  ::CloseHandle(file);
}

class PictureTransferWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::RunningUnderWine())
      GTEST_SKIP() << "lending a drive letter needs Wine's mount manager";
    m_saved = {CopyAndDelete, DeleteAfterCopy, DestFileDir};
    CopyAndDelete = 0;
    DeleteAfterCopy = 1;
    DestFileDir = m_destination.Path();
    m_atStart = TakeDriveSnapshot();
    m_letter = test::FreeDriveLetters().at(0);
  }
  void TearDown() override {
    if (!test::RunningUnderWine())
      return;
    CopyAndDelete = m_saved.copyAndDelete;
    DeleteAfterCopy = m_saved.deleteAfterCopy;
    DestFileDir = m_saved.destFileDir;
  }

  // The camera's drive appears, holding what the camera folder holds.
  void PlugInCamera(UINT driveType = DRIVE_REMOVABLE) {
    ASSERT_TRUE(m_drive.Define(m_letter, m_camera.Path(), driveType));
  }
  std::string OnCamera(const std::string& relative) const { return m_camera / relative; }
  std::string CameraRoot() const { return std::string(1, m_letter) + ":\\"; }

  void MakePicture(const std::string& folder, const std::string& name, int day,
                   bool withThumbnail = true) {
    ::CreateDirectoryA(OnCamera("DCIM").c_str(), nullptr);
    ::CreateDirectoryA(OnCamera("DCIM\\" + folder).c_str(), nullptr);
    WriteFileAt(OnCamera("DCIM\\" + folder + "\\" + name), "picture " + name, day);
    if (withThumbnail) {
      ::CreateDirectoryA(OnCamera("DCIM\\" + folder + "\\PREVIEW").c_str(), nullptr);
      WriteFileAt(OnCamera("DCIM\\" + folder + "\\PREVIEW\\" + name), "thumbnail " + name, day);
    }
  }

  PictureTransfer m_transfer;
  DriveSnapshot m_atStart;
  test::TempDir m_camera;
  test::TempDir m_destination;

 private:
  struct Saved {
    int copyAndDelete;
    int deleteAfterCopy;
    std::string destFileDir;
  } m_saved{};
  char m_letter = 0;
  test::WineDriveLetter m_drive;
};

TEST_F(PictureTransferWin32Test, NewestPictureIsCopiedWithItsThumbnailAndDeletedOnTheCamera) {
  MakePicture("100CASIO", "CIMG0001.JPG", 1);
  MakePicture("101CASIO", "CIMG0002.JPG", 3);
  MakePicture("HTML", "CIMG0003.JPG", 9, false);  // skipped, however new
  PlugInCamera();

  const TransferResult result = m_transfer.CopyNewestPicture(m_atStart);
  ASSERT_EQ(result.ok, 1) << result.message;
  EXPECT_TRUE(result.message.empty());
  EXPECT_EQ(m_transfer.LastPath(), CameraRoot() + "DCIM\\101CASIO\\CIMG0002.JPG");
  EXPECT_EQ(m_transfer.LastName(), "CIMG0002.JPG");
  EXPECT_EQ(test::TempDir::ReadFile(m_destination / "CIMG0002.JPG"), "picture CIMG0002.JPG");
  EXPECT_EQ(test::TempDir::ReadFile(m_destination / "PREVIEW\\CIMG0002.JPG"),
            "thumbnail CIMG0002.JPG");
  EXPECT_FALSE(Exists(OnCamera("DCIM\\101CASIO\\CIMG0002.JPG")));
  EXPECT_FALSE(Exists(OnCamera("DCIM\\101CASIO\\PREVIEW\\CIMG0002.JPG")));
  EXPECT_TRUE(Exists(OnCamera("DCIM\\100CASIO\\CIMG0001.JPG")));
  EXPECT_TRUE(Exists(OnCamera("DCIM\\HTML\\CIMG0003.JPG")));
}

TEST_F(PictureTransferWin32Test, NoNewLetterGivesTheDriveLetterMessage) {
  const TransferResult result = m_transfer.CopyNewestPicture(m_atStart);
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message,
            "Detecting USB drive letter failed.\nSwitching REC -> USB failed.\n"
            "Increase \"Delay REC -> USB\" value (see \"Config\").");
}

TEST_F(PictureTransferWin32Test, AFixedDriveIsNotTheCamera) {
  MakePicture("100CASIO", "CIMG0001.JPG", 1);
  PlugInCamera(DRIVE_FIXED);
  const TransferResult result = m_transfer.CopyNewestPicture(m_atStart);
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message,
            "Detecting USB drive type failed.\nSwitching REC -> USB failed.\n"
            "Increase \"Delay REC -> USB\" value (see \"Config\").");
  EXPECT_NE(result.detail.find("it is of type DRIVE_FIXED.\n"), std::string::npos);
  EXPECT_TRUE(Exists(OnCamera("DCIM\\100CASIO\\CIMG0001.JPG")));
}

TEST_F(PictureTransferWin32Test, DriveWithoutDcimNamesThePatternItLookedFor) {
  PlugInCamera();
  const TransferResult result = m_transfer.CopyNewestPicture(m_atStart);
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message, "No files found in " + CameraRoot() + "DCIM\\*.* !?");
}

TEST_F(PictureTransferWin32Test, MissingDestinationGivesTheSystemTextAndKeepsThePicture) {
  MakePicture("100CASIO", "CIMG0001.JPG", 1);
  PlugInCamera();
  DestFileDir = m_destination / "missing";
  const TransferResult result = m_transfer.CopyNewestPicture(m_atStart);
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message, "Copy error.\nSystem error message:\n\n" +
                                test::FormatSystemText(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(Exists(OnCamera("DCIM\\100CASIO\\CIMG0001.JPG")));
  // Taken up all the same: the next shot does not try it again.
  EXPECT_EQ(m_transfer.LastName(), "CIMG0001.JPG");
  DestFileDir = m_destination.Path();
  EXPECT_EQ(m_transfer.CopyNewestPicture(m_atStart).ok, 1);
  EXPECT_FALSE(Exists(m_destination / "CIMG0001.JPG"));
}

TEST_F(PictureTransferWin32Test, ThePictureTakenLastIsNotTakenAgain) {
  MakePicture("100CASIO", "CIMG0001.JPG", 1);
  PlugInCamera();
  DeleteAfterCopy = 0;
  ASSERT_EQ(m_transfer.CopyNewestPicture(m_atStart).ok, 1);
  ASSERT_TRUE(::DeleteFileA((m_destination / "CIMG0001.JPG").c_str()));
  EXPECT_EQ(m_transfer.CopyNewestPicture(m_atStart).ok, 1);
  EXPECT_FALSE(Exists(m_destination / "CIMG0001.JPG"));

  MakePicture("100CASIO", "CIMG0002.JPG", 2);
  EXPECT_EQ(m_transfer.CopyNewestPicture(m_atStart).ok, 1);
  EXPECT_EQ(test::TempDir::ReadFile(m_destination / "CIMG0002.JPG"), "picture CIMG0002.JPG");
}

}  // namespace
}  // namespace vel
