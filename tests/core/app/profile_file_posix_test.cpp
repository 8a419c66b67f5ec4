// The profile file on POSIX: a link to it, a FIFO in its place, and the
// temporary files of killed saves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "core/app/ini_profile.h"
#include "core/platform/files.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

// The link stays and the file it leads to is replaced. A FIFO would make
// the read wait for a writer for ever.
TEST(ProfileFile, LinkedProfileIsReplacedAndAFifoNotRead) {
  test::TempDir dir;
  fs::create_directory(dir / "real");
  fs::create_symlink("real/velorantica.ini", dir / "velorantica.ini");
  ASSERT_TRUE(IniProfile::FromText("A=2\n").Save(dir / "velorantica.ini"));
  EXPECT_TRUE(fs::is_symlink(dir / "velorantica.ini"));
  EXPECT_EQ(test::TempDir::ReadFile(dir / "real/velorantica.ini"), "A=2\n");
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  IniProfile profile;
  EXPECT_EQ(IniProfile::Load(dir / "fifo.ini", profile).Text(), kNotRegularFile);
}

// Those of a process that is gone or older than a minute go; a live
// process's recent one and every other name stay.
TEST(ProfileFile, SavingRemovesTheTemporaryFilesOfKilledSaves) {
  const pid_t dead = ::fork();
  if (dead == 0)
    ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  const std::string old = ".velorantica.ini." + std::to_string(::getppid()) + ".tmp";
  const std::pair<std::string, bool> files[] = {
      {".velorantica.ini." + std::to_string(dead) + ".tmp", false},
      {old, false},
      {".velorantica.ini.1.tmp", true},
      {".velorantica.ini.1x.tmp", true},
      {"velorantica.ini.backup", true},
      {".other.ini." + std::to_string(dead) + ".tmp", true}};
  test::TempDir dir;
  std::set<std::string> kept{"velorantica.ini"};
  for (const auto& [name, stays] : files) {
    test::TempDir::WriteFile(dir / name, "");
    if (stays)
      kept.insert(name);
  }
  fs::last_write_time(dir / old, fs::last_write_time(dir / old) - std::chrono::minutes(2));
  ASSERT_TRUE(IniProfile::FromText("A=1\n").Save(dir / "velorantica.ini"));
  EXPECT_EQ(test::Listing(dir.Path()), kept);
}

}  // namespace
}  // namespace vel
