#include "core/timelapse/external_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "core/platform/clock.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

// Writes its argument count and then each argument on a line of its own into
// "words.txt" beside itself.
constexpr const char* kRecordWords =
    "{ printf '%s\\n' \"$#\"; for word in \"$@\"; do printf '%s\\n' \"$word\"; done; } "
    "> \"$(dirname \"$0\")/words.txt\"\n";

class ExternalCommandTest : public ::testing::Test {
 protected:
  // A script in a folder whose name holds a blank.
  std::string Script(const std::string& name, const std::string& body, mode_t mode = 0755) {
    std::filesystem::create_directories(m_folder);
    test::TempDir::WriteFile(m_folder + "/" + name, body);
    ::chmod((m_folder + "/" + name).c_str(), mode);
    return m_folder + "/" + name;
  }
  std::string Words() const { return test::TempDir::ReadFile(m_folder + "/words.txt"); }

  test::TempDir m_temp;
  const std::string m_folder = m_temp / "shot scripts";
};

// No shell sees the words: a file name with blanks, ";" and command
// substitutions reaches the program as one argument and runs nothing. A
// shell script runs without its executable bit.
TEST_F(ExternalCommandTest, EveryWordIsOneArgumentAndNoShellRunsIt) {
  const std::string program = Script("record words", "#!/bin/sh\n" + std::string(kRecordWords));
  const std::string name = "A B;$(touch '" + m_folder + "/ran') `touch '" + m_folder + "/ran'`.JPG";
  EXPECT_TRUE(RunExternalCommand(program, {"3", "", name}, SteadyClock()));
  EXPECT_EQ(Words(), "3\n3\n\n" + name + "\n");
  EXPECT_FALSE(std::filesystem::exists(m_folder + "/ran"));
  const std::string script = Script("not executable.sh", kRecordWords, 0644);
  EXPECT_TRUE(RunExternalCommand(script, {"a b", "$HOME"}, SteadyClock()));
  EXPECT_EQ(Words(), "2\na b\n$HOME\n");
}

TEST_F(ExternalCommandTest, HowTheProgramEndedIsReported) {
  const std::string prefix = "Velorantica: external command \"" + m_folder + "/";
  const std::pair<std::string, std::string> cases[] = {
      {Script("fails.sh", "exit 3\n"), "fails.sh\" exited with status 3"},
      {Script("killed.sh", "kill -KILL $$\n"), "killed.sh\" was ended by signal 9"},
      {Script("tool", "exit 0\n", 0644),
       "tool\" could not be started: " + std::string(std::strerror(EACCES))},
      {m_folder + "/missing",
       "missing\" could not be started: " + std::string(std::strerror(ENOENT))},
  };
  for (const auto& [program, text] : cases)
    EXPECT_EQ(RunExternalCommand(program, {}, SteadyClock()).Text(), prefix + text);
}

}  // namespace
}  // namespace vel
