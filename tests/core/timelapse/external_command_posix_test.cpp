#include "core/timelapse/external_command.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "core/platform/clock.h"
#include "support/child_process.h"

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

// Time passes ten times as fast as the waits last, so a limit of seconds is
// reached quickly while the program really runs.
class FastClock final : public Clock {
 public:
  std::int64_t NowMs() override { return m_now; }
  void WaitMs(std::uint32_t ms) override {
    ::usleep(ms * 100);
    m_now += ms;
  }

 private:
  std::int64_t m_now = 0;
};

// How the program ended is reported, and what it started is ended with it, whether the program
// ends by itself, at its time limit or at once when asked to stop: children that ignore the
// request to end as well.
TEST_F(ExternalCommandTest, HowTheProgramEndedIsReportedAndWhatItStartedEndsWithIt) {
  const std::string keepGroup = "echo $$ > \"$(dirname \"$0\")/group\"\n";
  const std::string deafChild = "(trap '' TERM; sleep 300) &\n";
  const std::string forever =
      Script("forever.sh", "trap '' TERM\n" + keepGroup + "sleep 300 &\nwait\n");
  const std::string limit = "was still running after 10 seconds and was ended";
  const std::tuple<std::string, CommandLimits, std::string> cases[] = {
      {Script("ends.sh", keepGroup + "sleep 300 &\n" + deafChild + "exit 0\n"), {}, ""},
      {Script("fails.sh", keepGroup + deafChild + "exit 3\n"), {}, "exited with status 3"},
      {Script("killed.sh", "kill -KILL $$\n"), {}, "was ended by signal 9"},
      {Script("tool", "exit 0\n", 0644),
       {},
       "could not be started: " + std::string(std::strerror(EACCES))},
      {m_folder + "/missing", {}, "could not be started: " + std::string(std::strerror(ENOENT))},
      {forever, {10000, {}}, limit},
      {forever, {0, [] { return true; }}, "was ended on request"},
      {Script("leader.sh", keepGroup + deafChild + "sleep 300\n"), {10000, {}}, limit},
  };
  for (const auto& [program, limits, text] : cases) {
    SCOPED_TRACE(program + " " + text);
    std::filesystem::remove(m_folder + "/group");
    const std::optional<std::string> result = test::RunInChild(
        [&] {
          // The program's orphans become this child's own: ended ones are reaped here at once.
          ::prctl(PR_SET_CHILD_SUBREAPER, 1);
          FastClock clock;
          const std::string said = RunExternalCommand(program, {}, clock, limits).Text();
          if (clock.NowMs() < limits.limitMs)
            return "ended early: " + said;
          const std::string group = test::TempDir::ReadFile(m_folder + "/group");
          const auto left = [&] { return !group.empty() && ::kill(-std::stoi(group), 0) == 0; };
          for (int tries = 0; tries < 100 && left(); ++tries, ::usleep(10000))
            while (::waitpid(-std::stoi(group), nullptr, WNOHANG) > 0) {
            }
          return left() ? "a process of the program is left: " + said : said;
        },
        8);
    EXPECT_EQ(result.value_or("still running after 8 s"),
              text.empty() ? "" : "Velorantica: external command \"" + program + "\" " + text);
    if (const std::string group = test::TempDir::ReadFile(m_folder + "/group"); !group.empty())
      ::kill(-std::stoi(group), SIGKILL);
  }
  EXPECT_EQ(CommandLimitMs(3000), 10000u);
  EXPECT_EQ(CommandLimitMs(25000), 25000u);
}

}  // namespace
}  // namespace vel
