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

}  // namespace
}  // namespace vel
