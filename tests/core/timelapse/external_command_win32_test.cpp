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

class ExternalCommandWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr)); }

  // A batch file that writes its first three arguments, without their
  // quotes, on lines of their own into words.txt beside it.
  std::string BatchRecorder(int exitCode) const {
    std::string script = "@echo off\r\n";
    for (const char* n : {"1", "2", "3"})
      script += ">>\"%~dp0words.txt\" echo.%~" + std::string(n) + "\r\n";
    test::TempDir::WriteFile(m_folder + "\\after shot.bat",
                             script + "exit /b " + std::to_string(exitCode) + "\r\n");
    return m_folder + "\\after shot.bat";
  }

  test::TempDir m_temp;
  const std::string m_folder = m_temp / "some dir";
};

TEST_F(ExternalCommandWin32Test, AProgramGetsEveryWordAsItIs) {
  const std::string program = m_folder + "\\record args.exe";
  ASSERT_TRUE(test::CopyThisProgramTo(program));
  const std::string record = m_folder + "\\record.txt";
  const test::RecordingEnvironment recording(record);
  const std::vector<std::string> words = {
      "3", "", "two words", "say \"cheese\"", "ends in a backslash\\", "%PATH%", "a&b|c>d"};
  EXPECT_TRUE(RunExternalCommand(program, words, SteadyClock()));
  std::string expected;
  for (const std::string& word : words) expected += word + "\n";
  EXPECT_EQ(test::AwaitRecord(record), expected);
}

TEST_F(ExternalCommandWin32Test, ABatchFileGetsItsWordsAndItsExitStatusIsReported) {
  const std::string program = BatchRecorder(3);
  EXPECT_EQ(RunExternalCommand(program, {"Time lapse", "A;B C.JPG", ""}, SteadyClock()).Text(),
            "Velorantica: external command \"" + program + "\" exited with status 3");
  EXPECT_EQ(test::TempDir::ReadFile(m_folder + "\\words.txt"), "Time lapse\r\nA;B C.JPG\r\n\r\n");
  const std::string missing = m_folder + "\\missing.exe";
  EXPECT_EQ(RunExternalCommand(missing, {}, SteadyClock()).Text(),
            "Velorantica: external command \"" + missing +
                "\" could not be started: " + SystemErrorText(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace vel
