#include "core/timelapse/external_command.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/clock.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

// Writes its argument count and then each argument on a line of its own into
// "words.txt" next to itself.
constexpr const char* kRecordWords =
    "dir=$(dirname \"$0\")\n"
    "{ printf '%s\\n' \"$#\"; for word in \"$@\"; do printf '%s\\n' \"$word\"; done; } "
    "> \"$dir/words.txt\"\n";

class ExternalCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_temp.Path().empty());
    m_folder = m_temp / "shot scripts";
    std::filesystem::create_directory(m_folder);
  }

  std::string Script(const std::string& name, const std::string& body, bool executable,
                     const std::string& firstLine = "#!/bin/sh\n") {
    const std::string path = m_folder + "/" + name;
    test::TempDir::WriteFile(path, firstLine + body);
    ::chmod(path.c_str(), executable ? 0755 : 0644);
    return path;
  }
  std::string Words() const { return test::TempDir::ReadFile(m_folder + "/words.txt"); }
  std::string InFolder(const std::string& name) const { return m_folder + "/" + name; }

  test::TempDir m_temp;
  std::string m_folder;
};

// A file name on the camera's drive holding blanks, a semicolon and command
// substitutions: a shell would run the touch commands.
std::vector<std::string> HostileWords(const std::string& folder) {
  return {"3", "10", "07.06.2003", "14:05:09",
          "ABC D;$(touch '" + folder + "/pwned') `touch '" + folder + "/pwned2'`; touch '" +
              folder + "/pwned3'.JPG"};
}

TEST_F(ExternalCommandTest, WordsReachTheProgramAsTheyAreAndNoShellRunsThem) {
  const std::string program = Script("record words.sh", kRecordWords, /*executable=*/true);
  const std::vector<std::string> words = HostileWords(m_folder);
  EXPECT_EQ(RunExternalCommand(program, words, SteadyClock()), "");

  std::string expected = "5\n";
  for (const std::string& word : words) expected += word + "\n";
  EXPECT_EQ(Words(), expected);
  for (const char* name : {"pwned", "pwned2", "pwned3"}) {
    EXPECT_FALSE(std::filesystem::exists(InFolder(name))) << name;
  }
}

TEST_F(ExternalCommandTest, AnEmptyFileNameIsAnEmptyWordOfItsOwn) {
  const std::string program = Script("record", kRecordWords, /*executable=*/true);
  EXPECT_EQ(RunExternalCommand(program, {"1", "2", "07.06.2003", "14:05:09", ""}, SteadyClock()),
            "");
  EXPECT_EQ(Words(), "5\n1\n2\n07.06.2003\n14:05:09\n\n");
}

TEST_F(ExternalCommandTest, AShellScriptThatIsNotExecutableStillRuns) {
  const std::string program = Script("not executable.sh", kRecordWords, /*executable=*/false);
  EXPECT_EQ(RunExternalCommand(program, {"a b", "$HOME"}, SteadyClock()), "");
  EXPECT_EQ(Words(), "2\na b\n$HOME\n");
}

TEST_F(ExternalCommandTest, AShellScriptWithoutInterpreterLineRuns) {
  const std::string program = Script("plain.sh", kRecordWords, /*executable=*/true, "");
  EXPECT_EQ(RunExternalCommand(program, {"x;y"}, SteadyClock()), "");
  EXPECT_EQ(Words(), "1\nx;y\n");
}

TEST_F(ExternalCommandTest, AMissingProgramIsReportedNotThrown) {
  const std::string program = InFolder("no such program");
  ExternalCommand command;
  EXPECT_FALSE(command.Start(program, {"1"}));
  EXPECT_EQ(command.Outcome().kind, CommandOutcome::Kind::NotStarted);
  EXPECT_EQ(command.Outcome().code, ENOENT);
  int status = 0;
  EXPECT_TRUE(command.Finished(&status));
  EXPECT_EQ(status, -1);
  const std::string text = RunExternalCommand(program, {"1"}, SteadyClock());
  EXPECT_NE(text.find("\"" + program + "\""), std::string::npos) << text;
  EXPECT_NE(text.find("could not be started"), std::string::npos) << text;
}

TEST_F(ExternalCommandTest, AFileThatIsNeitherExecutableNorAShellScriptIsNotStarted) {
  const std::string program = Script("tool", "exit 0\n", /*executable=*/false);
  ExternalCommand command;
  EXPECT_FALSE(command.Start(program, {}));
  EXPECT_EQ(command.Outcome().kind, CommandOutcome::Kind::NotStarted);
  EXPECT_EQ(command.Outcome().code, EACCES);
}

TEST_F(ExternalCommandTest, ANonZeroExitIsReported) {
  const std::string program = Script("fails.sh", "exit 3\n", /*executable=*/true);
  ExternalCommand command;
  ASSERT_TRUE(command.Start(program, {}));
  int status = 0;
  while (!command.Finished(&status)) SteadyClock().WaitMs(5);
  EXPECT_EQ(status, 3);
  EXPECT_EQ(command.FailureText(),
            "Velorantica: external command \"" + program + "\" exited with status 3");
}

TEST_F(ExternalCommandTest, AProgramEndedByASignalIsReported) {
  const std::string program = Script("killed.sh", "kill -KILL $$\n", /*executable=*/true);
  ExternalCommand command;
  ASSERT_TRUE(command.Start(program, {}));
  int status = 0;
  while (!command.Finished(&status)) SteadyClock().WaitMs(5);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(command.Outcome().kind, CommandOutcome::Kind::Killed);
  EXPECT_EQ(command.Outcome().code, SIGKILL);
  EXPECT_NE(command.FailureText().find("signal 9"), std::string::npos);
}

TEST_F(ExternalCommandTest, StartReturnsWhileTheProgramRunsAndFinishedTellsTheEnd) {
  const std::string go = InFolder("go");
  const std::string program = Script(
      "waits.sh", "while [ ! -e \"$1\" ]; do sleep 0.01; done\necho done > \"$1.seen\"\n", true);
  ExternalCommand command;
  ASSERT_TRUE(command.Start(program, {go}));
  EXPECT_FALSE(command.Finished());
  SteadyClock().WaitMs(50);
  EXPECT_FALSE(command.Finished());
  test::TempDir::WriteFile(go, "");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = -2;
  while (!command.Finished(&status) && std::chrono::steady_clock::now() < deadline) {
    SteadyClock().WaitMs(5);
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::TempDir::ReadFile(go + ".seen"), "done\n");
  EXPECT_EQ(command.FailureText(), "");
}

// The serial port's descriptor (here a pseudo-terminal opened without
// close-on-exec, the worst case) must not reach the external program.
TEST_F(ExternalCommandTest, TheProgramInheritsNoDescriptorBeyondStandardError) {
  constexpr int kPortDescriptor = 9;
  if (::fcntl(kPortDescriptor, F_GETFD) != -1)
    GTEST_SKIP() << "descriptor 9 is in use";
  int master = -1;
  int slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(::dup2(slave, kPortDescriptor), kPortDescriptor);
  const std::string program = Script(
      "fds.sh",
      "if (: >&9) 2>/dev/null; then echo open; else echo closed; fi > \"$(dirname \"$0\")/fd9\"\n",
      true);
  const std::string text = RunExternalCommand(program, {}, SteadyClock());
  ::close(kPortDescriptor);
  ::close(slave);
  ::close(master);
  EXPECT_EQ(text, "");
  EXPECT_EQ(test::TempDir::ReadFile(InFolder("fd9")), "closed\n");
}

}  // namespace
}  // namespace vel
