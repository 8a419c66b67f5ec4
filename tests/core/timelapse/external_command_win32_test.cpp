// The external program on Windows, kept in a folder whose name holds a blank:
// a copy of this test program that records its arguments, and a batch file.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/clock.h"
#include "core/platform/system_error.h"
#include "core/timelapse/external_command.h"
#include "support/argument_recorder_win32.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

// A copy of this program started with VELORANTICA_LINGER=file writes its process id there and
// stays for five minutes, as a program's background child would.
const bool kLingers = [] {
  char path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableA("VELORANTICA_LINGER", path, MAX_PATH))
    return false;
  test::TempDir::WriteFile(path, std::to_string(::GetCurrentProcessId()) + "\n");
  ::Sleep(300000);
  ::ExitProcess(0);
}();

TEST(ExternalCommandWin32, ProgramsAndBatchFilesGetEveryWordAsItIs) {
  test::TempDir temp;
  const std::string folder = temp / "some dir", program = folder + "\\record args.exe",
                    record = folder + "\\record.txt", batch = folder + "\\after shot.bat";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(test::CopyThisProgramTo(program));
  const test::Recording recording(record);
  const std::vector<std::string> words = {
      "3", "", "two words", "say \"cheese\"", "ends in a backslash\\", "%PATH%", "a&b|c>d"};
  EXPECT_TRUE(RunExternalCommand(program, words, SteadyClock()));
  std::string expected;
  for (const std::string& word : words) expected += word + "\n";
  EXPECT_EQ(test::AwaitRecord(record), expected);

  // The batch file writes its first three words, without their quotes, on
  // lines of their own.
  std::string script = "@echo off\r\n";
  for (const char* n : {"1", "2", "3"})
    script += ">>\"%~dp0words.txt\" echo.%~" + std::string(n) + "\r\n";
  test::TempDir::WriteFile(batch, script + "exit /b 3\r\n");
  EXPECT_EQ(RunExternalCommand(batch, {"Time lapse", "A;B C.JPG", ""}, SteadyClock()).Text(),
            "Velorantica: external command \"" + batch + "\" exited with status 3");
  EXPECT_EQ(test::TempDir::ReadFile(folder + "\\words.txt"), "Time lapse\r\nA;B C.JPG\r\n\r\n");
  const std::string missing = folder + "\\missing.exe";
  EXPECT_EQ(RunExternalCommand(missing, {}, SteadyClock()).Text(),
            "Velorantica: external command \"" + missing +
                "\" could not be started: " + SystemErrorText(ERROR_FILE_NOT_FOUND));
}

// What a batch file starts in the background ends with it.
TEST(ExternalCommandWin32, WhatTheProgramStartedEndsWithIt) {
  test::TempDir temp;
  const std::string program = temp / "linger.exe", pidFile = temp / "pid.txt",
                    batch = temp / "starts.bat";
  ASSERT_TRUE(test::CopyThisProgramTo(program));
  test::TempDir::WriteFile(batch, "@echo off\r\nstart \"\" /b \"" + program + "\"\r\n" +
                                      "for /l %%i in (1,1,500) do if not exist \"" + pidFile +
                                      "\" ping -n 1 -w 10 127.0.0.1 >nul\r\nexit /b 0\r\n");
  ::SetEnvironmentVariableA("VELORANTICA_LINGER", pidFile.c_str());
  EXPECT_EQ(RunExternalCommand(batch, {}, SteadyClock()).Text(), "");  // what went wrong, if so
  ::SetEnvironmentVariableA("VELORANTICA_LINGER", nullptr);
  const std::string pid = test::TempDir::ReadFile(pidFile);
  ASSERT_FALSE(pid.empty()) << "the background program did not start";
  HANDLE child = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, std::stoul(pid));
  if (!child)
    return;  // gone already
  EXPECT_EQ(::WaitForSingleObject(child, 3000), WAIT_OBJECT_0) << "the background program is left";
  ::TerminateProcess(child, 1);
  ::CloseHandle(child);
}

}  // namespace
}  // namespace vel
