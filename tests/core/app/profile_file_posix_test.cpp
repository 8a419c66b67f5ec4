// The profile file on POSIX: a link to it, a FIFO in its place, and the
// temporary files of saves that were killed.
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

TEST(ProfileFile, SavingThroughALinkReplacesTheFileItLeadsTo) {
  test::TempDir dir;
  fs::create_directory(dir / "real");
  test::TempDir::WriteFile(dir / "real/velorantica.ini", "[Options]\nModel=8\n");
  fs::create_symlink("real/velorantica.ini", dir / "velorantica.ini");
  const IniProfile profile = IniProfile::FromText("[Options]\nModel=2\n");
  ASSERT_TRUE(profile.Save(dir / "velorantica.ini"));
  EXPECT_TRUE(fs::is_symlink(dir / "velorantica.ini"));
  EXPECT_EQ(test::TempDir::ReadFile(dir / "real/velorantica.ini"), "[Options]\nModel=2\n");
}

// Reading a FIFO would wait for a writer for ever.
TEST(ProfileFile, OnlyARegularFileIsRead) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "velorantica.ini").c_str(), 0600), 0);
  IniProfile profile = IniProfile::FromText("A=1\n");
  EXPECT_EQ(IniProfile::Load(dir / "velorantica.ini", profile).Text(), kNotRegularFile);
  EXPECT_EQ(profile.Text(), "");
}

// Those of a process that is gone or older than a minute go; a live
// process's recent one and every other name stay.
TEST(ProfileFile, SavingRemovesTheTemporaryFilesOfKilledSaves) {
  const pid_t dead = ::fork();
  if (dead == 0)
    ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  const std::string deadTemp = ".velorantica.ini." + std::to_string(dead) + ".tmp";
  const std::string liveTemp = ".velorantica.ini." + std::to_string(::getppid()) + ".tmp";
  const std::pair<std::string, bool> files[] = {
      {deadTemp, false},
      {".velorantica.ini.1.tmp", true},
      {liveTemp, false},  // made old below
      {"velorantica.ini.backup", true},
      {".velorantica.ini.1x.tmp", true},
      {".other.ini." + std::to_string(dead) + ".tmp", true},
  };
  test::TempDir dir;
  std::set<std::string> kept{"velorantica.ini"};
  for (const auto& [name, stays] : files) {
    test::TempDir::WriteFile(dir / name, "old");
    if (stays)
      kept.insert(name);
  }
  fs::last_write_time(dir / liveTemp,
                      fs::last_write_time(dir / liveTemp) - std::chrono::minutes(2));
  ASSERT_TRUE(IniProfile::FromText("A=1\n").Save(dir / "velorantica.ini"));
  std::set<std::string> found;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    found.insert(entry.path().filename().string());
  EXPECT_EQ(found, kept);
}

}  // namespace
}  // namespace vel
