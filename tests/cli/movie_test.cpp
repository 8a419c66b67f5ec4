// velorantica-cli movie with the real ffmpeg, on a pipe and on a terminal of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "core/timelapse/series_log.h"
#include "support/child_process.h"
#include "support/film_pictures.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace {

using namespace vel::test;
namespace fs = std::filesystem;

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

  TempDir m_dir;
  const std::string m_logs = m_dir / "velorantica", m_pictures = m_dir / "pictures";
};

// The newest log into the film named, its missing picture told: on a pipe, one line at the end.
TEST_F(Movie, TheLastSeriesBecomesAFilm) {
  WritePictures(m_pictures, PictureNames(11), 161, 121);  // the twelfth shot's picture is missing
  WriteLog("2026-12-06-090000", {"CIMG0001.JPG"});
  WriteLog("2026-12-07-101500", PictureNames(12));

  auto cli = Start({"movie", "--fps", "12", "--size", "96x72", "-o", m_pictures + "/film.mp4",
                    "--deflicker", "--quality", "30"});
  ASSERT_EQ(cli->Wait(60000), 0) << cli->Errors();
  EXPECT_EQ(cli->Output(), "Series log: " + m_logs + "/series-2026-12-07-101500.log\n" +
                               "Skipped shot 12, " + m_pictures + "/CIMG0012.JPG: missing\n" +
                               "Making the film of 11 pictures with ffmpeg (Ctrl+C cancels)\n" +
                               "Film: " + m_pictures + "/film.mp4 (11 frames, 96x72, 12 fps)\n");
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
  EXPECT_EQ(Listing(m_pictures), std::set<std::string>{"CIMG0001.JPG"});
}

// On a terminal the progress is rewritten in place until Ctrl+C, typed there, cancels the film.
TEST_F(Movie, CtrlCEndsFfmpegAndLeavesNoPartialFilm) {
  const std::vector<std::string> stored = PictureNames(90);
  WritePictures(m_pictures, stored, 1024, 768, /*flat=*/false);
  WriteLog("2026-12-07-101500", stored);
  PseudoTerminal screen(/*raw=*/false);
  ChildProcess run(CLI_PROGRAM, {"movie"}, Environment(), screen.SlavePath());
  ASSERT_TRUE(screen.Await("\r\033[KFrames ", 30000)) << screen.Seen() << run.Errors();
  ASSERT_FALSE(ProcessesNaming(m_pictures).empty());
  screen.Type('\x03');
  EXPECT_EQ(run.Wait(10000), 1) << screen.Seen();
  EXPECT_NE(run.Errors().find("cancelled"), std::string::npos) << run.Errors();
  EXPECT_EQ(Listing(m_pictures).size(), stored.size()) << "a partial film was left";
  EXPECT_EQ(ProcessesNaming(m_pictures), std::vector<std::string>{});
}

}  // namespace
