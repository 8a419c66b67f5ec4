// The external program on Windows, kept in a folder whose name holds a blank:
// a copy of this test program that records its arguments, and a batch file.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/clock.h"
#include "core/timelapse/external_command.h"
#include "support/argument_recorder_win32.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace vel {
namespace {

std::string Lines(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += word + "\n";
  return text;
}

// The words of shot 3 of 10, taken at 14:05:09 on 7 June 2003, that copied
// CIMG0003.JPG.
std::vector<std::string> ShotWords() {
  std::vector<std::string> words = ExternalCommandWords(3, 10, LocalTime{2003, 6, 7, 14, 5, 9});
  words.push_back("CIMG0003.JPG");
  return words;
}

class ExternalCommandWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = m_temp / "some dir";
    ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr));
  }
  std::string InFolder(const std::string& name) const { return m_folder + "\\" + name; }

  // A batch file that writes each of its first six arguments, without their
  // quotes, on a line of its own into words.txt beside it, then exits with
  // exitCode.
  std::string WriteBatchRecorder(int exitCode = 0) const {
    std::string script = "@echo off\r\n";
    for (int i = 1; i <= 6; ++i)
      script += ">>\"%~dp0words.txt\" echo.%~" + std::to_string(i) + "\r\n";
    script += "exit /b " + std::to_string(exitCode) + "\r\n";
    const std::string path = InFolder("after shot.bat");
    test::TempDir::WriteFile(path, script);
    return path;
  }

  test::TempDir m_temp;
  std::string m_folder;
};

TEST_F(ExternalCommandWin32Test, ProgramInAFolderWithABlankGetsEveryWordAsItIs) {
  const std::string program = InFolder("record args.exe");
  ASSERT_TRUE(test::CopyThisProgramTo(program));
  const std::string record = InFolder("record.txt");
  const test::RecordingEnvironment recording(record);

  std::vector<std::string> words = ShotWords();
  const std::vector<std::string> awkward = {
      "",       "two words", "say \"cheese\"", "ends in a backslash\\", "C:\\some dir\\",
      "%PATH%", "a&b|c>d",   "tab\there"};
  words.insert(words.end(), awkward.begin(), awkward.end());
  EXPECT_EQ(RunExternalCommand(program, words, SteadyClock()), "");
  EXPECT_EQ(test::AwaitRecord(record), Lines(words));
}

TEST_F(ExternalCommandWin32Test, BatchFileInAFolderWithABlankGetsTheShotsWords) {
  const std::string program = WriteBatchRecorder();
  std::vector<std::string> words = ShotWords();
  words.push_back("");  // a sixth, empty word stays a word of its own
  EXPECT_EQ(RunExternalCommand(program, words, SteadyClock()), "");
  EXPECT_EQ(test::TempDir::ReadFile(InFolder("words.txt")),
            "3\r\n10\r\n07.06.2003\r\n14:05:09\r\nCIMG0003.JPG\r\n\r\n");
}

TEST_F(ExternalCommandWin32Test, ABatchFileWordWithABlankStaysOneWord) {
  const std::string program = WriteBatchRecorder();
  EXPECT_EQ(RunExternalCommand(program, {"Time lapse", "x"}, SteadyClock()), "");
  EXPECT_EQ(test::TempDir::ReadFile(InFolder("words.txt")), "Time lapse\r\nx\r\n\r\n\r\n\r\n\r\n");
}

// Windows' cmd.exe expands %1 once; Wine's expands the substituted text
// again, which drops a lone "%" inside the batch file however it arrived.
TEST_F(ExternalCommandWin32Test, PercentSignsReachABatchFileUnexpanded) {
  if (test::RunningUnderWine())
    GTEST_SKIP() << "Wine's cmd.exe expands a batch file's parameters twice";
  const std::string program = WriteBatchRecorder();
  EXPECT_EQ(RunExternalCommand(program, {"50%", "%PATH%", "100%s.JPG"}, SteadyClock()), "");
  EXPECT_EQ(test::TempDir::ReadFile(InFolder("words.txt")),
            "50%\r\n%PATH%\r\n100%s.JPG\r\n\r\n\r\n\r\n");
}

TEST_F(ExternalCommandWin32Test, ExitStatusIsReported) {
  const std::string program = WriteBatchRecorder(3);
  ExternalCommand command;
  ASSERT_TRUE(command.Start(program, ShotWords()));
  int status = -2;
  while (!command.Finished(&status)) ::Sleep(5);
  EXPECT_EQ(status, 3);
  EXPECT_EQ(command.FailureText(),
            "Velorantica: external command \"" + program + "\" exited with status 3");
}

TEST_F(ExternalCommandWin32Test, AMissingProgramIsNotStartedAndSaysWhy) {
  const std::string program = InFolder("no such program.exe");
  ExternalCommand command;
  EXPECT_FALSE(command.Start(program, ShotWords()));
  EXPECT_EQ(command.Outcome().kind, CommandOutcome::Kind::NotStarted);
  EXPECT_EQ(command.Outcome().code, ERROR_FILE_NOT_FOUND);
  std::string reason = test::FormatSystemText(ERROR_FILE_NOT_FOUND);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  EXPECT_EQ(command.FailureText(),
            "Velorantica: external command \"" + program + "\" could not be started: " + reason);
}

}  // namespace
}  // namespace vel
