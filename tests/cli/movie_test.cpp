// velorantica-cli movie with the real ffmpeg, on a pipe and on a terminal of its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "core/timelapse/series_log.h"
#include "support/child_process.h"
#include "support/film_pictures.h"
#include "support/temp_dir.h"

namespace {

using namespace vel::test;
namespace fs = std::filesystem;

// The program on a new pseudo-terminal that is its controlling terminal, as
// on a user's screen, so that a Ctrl+C typed there reaches it as the
// terminal sends it.
class TerminalRun {
 public:
  TerminalRun(std::vector<std::string> args, std::vector<std::string> environment) {
    args.insert(args.begin(), CLI_PROGRAM);
    for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    std::vector<char*> argv = Pointers(args), envp = Pointers(environment);
    m_pid = ::forkpty(&m_master, nullptr, nullptr, nullptr);
    if (m_pid == 0) {
      ::dup2(::open(m_errors.c_str(), O_WRONLY | O_CREAT, 0600), 2);
      ::execve(CLI_PROGRAM, argv.data(), envp.data());
      ::_exit(127);
    }
  }
  ~TerminalRun() {
    if (m_pid > 0)
      ::kill(m_pid, SIGKILL), ::waitpid(m_pid, nullptr, 0);
    ::close(m_master);
  }

  void Type(char key) { (void)!::write(m_master, &key, 1); }
  // Whether the terminal showed the text within the time.
  bool Await(const std::string& text, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 10, ::usleep(10'000))
      if (Drain(), m_screen.find(text) != std::string::npos)
        return true;
    return false;
  }
  // The exit status once it ended; -2 after the time.
  int Wait(int timeoutMs) {
    int status = 0;
    if (m_pid <= 0)
      return -1;
    for (int waited = 0; !::waitpid(m_pid, &status, WNOHANG); waited += 10, ::usleep(10'000))
      if (Drain(), waited >= timeoutMs)
        return -2;
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Screen() const { return m_screen; }
  std::string Errors() const { return TempDir::ReadFile(m_errors); }

 private:
  void Drain() {
    pollfd ready{m_master, POLLIN, 0};
    char buffer[4096];
    for (ssize_t n; ::poll(&ready, 1, 0) > 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
      m_screen.append(buffer, static_cast<std::size_t>(n));
  }
  static std::vector<char*> Pointers(std::vector<std::string>& items) {
    std::vector<char*> pointers;
    for (std::string& item : items) pointers.push_back(item.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  TempDir m_dir;
  const std::string m_errors = m_dir / "errors";
  int m_master = -1;
  pid_t m_pid = -1;
  std::string m_screen;
};

class Movie : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(m_logs), fs::create_directories(m_pictures); }

  // A series log in the logs' folder storing the pictures named (missing ones too).
  std::string WriteLog(const std::string& start, const std::vector<std::string>& stored) {
    std::string log = start.substr(0, 10) + " 10:15:00 Series started: endless\n";
    for (std::size_t i = 0; i < stored.size(); ++i)
      log += start.substr(0, 10) + " 10:15:01 Shot " + std::to_string(i + 1) +
             ": sent 42 62; stored " + vel::EscapeLogField(m_pictures + "/" + stored[i]) + "\n";
    const std::string path = m_logs + "/series-" + start + ".log";
    TempDir::WriteFile(path, log);
    return path;
  }
  std::vector<std::string> Environment(const std::string& path = {}) const {
    std::vector<std::string> env{"XDG_STATE_HOME=" + m_dir.Path()};
    if (!path.empty())
      env.push_back("PATH=" + path);
    return env;
  }
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args,
                                      const std::string& path = {}) {
    return std::make_unique<ChildProcess>(CLI_PROGRAM, args, Environment(path));
  }
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_pictures))
      names.insert(entry.path().filename());
    return names;
  }

  TempDir m_dir;
  const std::string m_logs = m_dir / "velorantica", m_pictures = m_dir / "pictures";
};

// The newest log, its missing picture named, a film given not replaced: on a pipe, one line at the
// end.
TEST_F(Movie, TheLastSeriesBecomesAFilm) {
  std::vector<std::string> stored = PictureNames(12);
  stored[1] = "CIMG0001-2.JPG";
  std::vector<std::string> written = stored;
  written.erase(written.begin() + 6);
  WritePictures(m_pictures, written, 161, 121);
  WriteLog("2026-12-06-090000", {"CIMG0001.JPG"});
  WriteLog("2026-12-07-101500", stored);
  TempDir::WriteFile(m_pictures + "/film.mp4", "mine");

  auto cli = Start({"movie", "--fps", "12", "--size", "96x72", "-o", m_pictures + "/film.mp4",
                    "--deflicker", "--quality", "30"});
  ASSERT_EQ(cli->Wait(60000), 0) << cli->Errors();
  EXPECT_EQ(cli->Output(), "Series log: " + m_logs + "/series-2026-12-07-101500.log\n" +
                               "Skipped shot 7, " + m_pictures + "/CIMG0007.JPG: missing\n" +
                               "Making the film of 11 pictures with ffmpeg (Ctrl+C cancels)\n" +
                               "Film: " + m_pictures + "/film-2.mp4 (11 frames, 96x72, 12 fps)\n");
  EXPECT_EQ(TempDir::ReadFile(m_pictures + "/film.mp4"), "mine");
}

TEST_F(Movie, WhatCannotBeDoneIsSaid) {
  const std::string empty = WriteLog("2026-12-07-101500", {});
  const std::string good = m_dir / "good.log";
  WritePictures(m_pictures, {"CIMG0001.JPG"}, 16, 16);
  TempDir::WriteFile(
      good, "2026-12-07 10:15:01 Shot 1: sent 42 62; stored " + m_pictures + "/CIMG0001.JPG\n");
  const std::tuple<std::vector<std::string>, std::string, int, std::string> cases[] = {
      {{"movie", "--fps", "0"}, "", 2, "--fps takes"},
      {{"movie", "--size", "161x120"}, "", 2, "--size takes"},
      {{"movie", "--quality", "52"}, "", 2, "--quality takes"},
      {{"movie", good, empty}, "", 2, "unexpected"},
      {{"movie"}, "", 1, "names no stored picture"},
      {{"movie", m_dir / "none.log"}, "", 1, "Cannot read the series log"},
      {{"movie", good}, "/nowhere", 1, "sudo apt install ffmpeg"},
  };
  for (const auto& [args, path, status, says] : cases) {
    SCOPED_TRACE(says);
    auto cli = Start(args, path);
    EXPECT_EQ(cli->Wait(20000), status);
    EXPECT_NE(cli->Errors().find(says), std::string::npos) << cli->Errors();
  }
  fs::remove(empty);
  auto none = Start({"movie"});
  EXPECT_EQ(none->Wait(20000), 1);
  EXPECT_NE(none->Errors().find("No series log in " + m_logs), std::string::npos) << none->Errors();
  EXPECT_EQ(Listing(), std::set<std::string>{"CIMG0001.JPG"});
}

// On a terminal the progress is rewritten in place until Ctrl+C, typed there, ends it all.
TEST_F(Movie, CtrlCEndsFfmpegAndLeavesNoPartialFilm) {
  const std::vector<std::string> stored = PictureNames(90);
  WritePictures(m_pictures, stored, 1024, 768, /*flat=*/false);
  WriteLog("2026-12-07-101500", stored);
  TerminalRun run({"movie"}, Environment());
  ASSERT_TRUE(run.Await("\r\033[KFrames ", 30000)) << run.Screen() << run.Errors();
  ASSERT_FALSE(ProcessesNaming(m_pictures).empty());
  run.Type('\x03');
  EXPECT_EQ(run.Wait(10000), 1) << run.Screen();
  EXPECT_NE(run.Errors().find("cancelled"), std::string::npos) << run.Errors();
  EXPECT_EQ(Listing().size(), stored.size()) << "a partial film was left";
  EXPECT_EQ(ProcessesNaming(m_pictures), std::vector<std::string>{});
}

}  // namespace
