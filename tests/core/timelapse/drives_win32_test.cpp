// Drives and the picture transfer on Windows: a drive letter lent by Wine's
// mount manager to a temporary folder is the camera's drive, appearing after
// the series started; the destination is a folder on C:.

#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "core/platform/clock.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/status_text.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace vel {
namespace {

// A fixed drive is no camera; on the removable one the newest picture is
// copied with its thumbnail and deleted.
TEST(DrivesWin32, TheNewestPictureOfTheNewRemovableDriveIsCopiedAndDeleted) {
  if (!test::RunningUnderWine())
    GTEST_SKIP() << "lending a drive letter needs Wine's mount manager";
  const DriveSnapshot atStart = TakeDriveSnapshot();
  test::TempDir camera, destination;
  // A file with its last write on the given day of 2000.
  const auto write = [](const std::string& path, const std::string& text, int day) {
    test::TempDir::WriteFile(path, text);
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const ULONGLONG ticks = 125'911'584'000'000'000ULL + day * 864'000'000'000ULL;  // 2000-01-01
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &time));
    ::CloseHandle(file);
  };
  // A picture and its thumbnail.
  const auto put = [&](const std::string& folder, const std::string& name, int day) {
    for (const std::string& sub : {std::string(), std::string("\\PREVIEW")}) {
      std::filesystem::create_directories(camera / ("DCIM\\" + folder + sub));
      write(camera / ("DCIM\\" + folder + sub + "\\" + name), name + sub, day);
    }
  };
  put("100CASIO", "CIMG0001.JPG", 1);
  put("101CASIO", "CIMG0002.JPG", 3);
  put("HTML", "CIMG0003.JPG", 9);
  test::WineDriveLetter drive;
  ASSERT_TRUE(drive.Define(camera.Path(), DRIVE_FIXED));
  const Result fixed =
      PictureTransfer()
          .CopyNewestPicture(atStart, {destination.Path(), true, 0}, SteadyClock(), 0)
          .result;
  EXPECT_TRUE(fixed.Text().starts_with("Detecting USB drive type failed.\n"));
  EXPECT_TRUE(fixed.Detail().ends_with("it is of type DRIVE_FIXED.\n"));
  drive.Remove();

  ASSERT_TRUE(drive.Define(camera.Path(), DRIVE_REMOVABLE));
  test::TempDir::WriteFile(destination / "CIMG0002.JPG", "an earlier series");
  // Temporary files of copies: a gone process's one is removed, this one's kept.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION gone{};
  wchar_t command[] = L"cmd.exe /c exit";
  ASSERT_TRUE(::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &gone));
  ::WaitForSingleObject(gone.hProcess, INFINITE);
  ::CloseHandle(gone.hProcess);
  ::CloseHandle(gone.hThread);
  write(destination / PartFileName(gone.dwProcessId, 1), "left", 1);
  write(destination / PartFileName(::GetCurrentProcessId(), 1), "left", 1);
  PictureTransfer transfer;
  ASSERT_EQ(transfer.CopyNewestPicture(atStart, {destination.Path(), true, 0}, SteadyClock(), 0)
                .result.Text(),
            "");
  EXPECT_EQ(transfer.LastPath(), drive.Root() + "DCIM\\101CASIO\\CIMG0002.JPG");
  EXPECT_EQ(test::TempDir::ReadFile(destination / "CIMG0002.JPG"), "an earlier series");
  EXPECT_EQ(test::TempDir::ReadFile(destination / "CIMG0002-2.JPG"), "CIMG0002.JPG");
  EXPECT_EQ(test::TempDir::ReadFile(destination / "PREVIEW\\CIMG0002-2.JPG"),
            "CIMG0002.JPG\\PREVIEW");
  EXPECT_FALSE(std::filesystem::exists(camera / "DCIM\\101CASIO\\CIMG0002.JPG"));
  EXPECT_FALSE(std::filesystem::exists(camera / "DCIM\\101CASIO\\PREVIEW\\CIMG0002.JPG"));
  EXPECT_TRUE(std::filesystem::exists(camera / "DCIM\\100CASIO\\CIMG0001.JPG"));
  EXPECT_FALSE(std::filesystem::exists(destination / PartFileName(gone.dwProcessId, 1)));
  EXPECT_TRUE(std::filesystem::exists(destination / PartFileName(::GetCurrentProcessId(), 1)));
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
