// The film on Windows with a copy of this test program as ffmpeg.exe found on
// PATH: it writes ffmpeg's progress for each picture of the frame list and
// the film, fails as ffmpeg does, or hangs until it is ended. The films
// themselves are made by the real ffmpeg in the POSIX tests.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/film/ffmpeg_process.h"
#include "core/film/film.h"
#include "core/platform/clock.h"
#include "support/argument_recorder_win32.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

using test::TempDir;

// "made", "failed" or "hung", then ':' and the file where the stand-in
// writes its process id and arguments.
constexpr const char* kPlayVariable = "VELORANTICA_PLAY_FFMPEG";

void Say(const std::string& text) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written,
              nullptr);
}

// Runs while the program starts up, before main.
const bool kPlaying = [] {
  char play[MAX_PATH] = {};
  if (!::GetEnvironmentVariableA(kPlayVariable, play, MAX_PATH))
    return false;
  const std::string mode = std::string(play).substr(0, std::string(play).find(':'));
  const std::vector<std::string> args = test::OwnArguments();
  std::string record = std::to_string(::GetCurrentProcessId()) + "\n";
  for (const std::string& arg : args) record += arg + "\n";
  TempDir::WriteFile(std::string(play).substr(mode.size() + 1), record);
  if (mode == "hung") {
    Say("frame=1\nprogress=continue\n");
    ::Sleep(INFINITE);
  }
  std::string list;
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "-i")
      list = TempDir::ReadFile(args[i + 1]);
  if (mode == "failed") {
    Say("[concat] Impossible to open the first picture\n");
    ::ExitProcess(1);
  }
  int frames = 0;
  for (std::size_t at = 0; (at = list.find("\nfile ", at)) != std::string::npos; ++at)
    Say("frame=" + std::to_string(++frames) + "\nfps=25.0\nprogress=continue\n");
  TempDir::WriteFile(args.back(), "film of " + std::to_string(frames));
  Say("frame=" + std::to_string(frames) + "\nprogress=end\n");
  ::ExitProcess(0);
}();

class FilmWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::create_directory(m_bin));
    ASSERT_TRUE(std::filesystem::create_directory(m_folder));
    ASSERT_TRUE(test::CopyThisProgramTo(m_bin + "\\ffmpeg.exe"));
    char path[32768] = {};
    ::GetEnvironmentVariableA("PATH", path, sizeof path);
    m_path = path;
    ::SetEnvironmentVariableA("PATH", (m_bin + ";" + m_path).c_str());
    for (int n = 1; n <= 3; ++n)
      m_frames.pictures.push_back(m_folder + "\\CIMG000" + std::to_string(n) + ".JPG");
    m_frames.size = {161, 121};
    m_frames.seriesStart = LocalTime{2026, 12, 7, 10, 15, 0};
  }
  void TearDown() override {
    ::SetEnvironmentVariableA("PATH", m_path.c_str());
    ::SetEnvironmentVariableA(kPlayVariable, nullptr);
  }
  FilmOutcome Make(const std::string& mode, const FilmCallbacks& callbacks = {}) {
    ::SetEnvironmentVariableA(kPlayVariable, (mode + ":" + m_record).c_str());
    return MakeFilm(m_frames, {}, callbacks, SteadyClock());
  }
  // The stand-in's lines: its process id, then its arguments.
  std::vector<std::string> Record() const {
    std::vector<std::string> lines;
    std::string text = TempDir::ReadFile(m_record);
    for (std::size_t end; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1))
      lines.push_back(text.substr(0, end));
    return lines;
  }

  TempDir m_dir;
  const std::string m_bin = m_dir / "ffmpeg bin", m_folder = m_dir / "o'clock; 100%";
  const std::string m_record = m_dir / "record.txt";
  std::string m_path;
  FilmFrames m_frames;
};

TEST_F(FilmWin32, FfmpegOnPathMakesTheFilmBesideThePicturesAndNeverReplacesOne) {
  EXPECT_EQ(std::filesystem::path(FindFfmpeg()), std::filesystem::path(m_bin) / "ffmpeg.exe");
  TempDir::WriteFile(m_folder + "\\series-2026-12-07-101500.mp4", "mine");
  std::vector<FilmProgress> progress;
  const FilmOutcome film =
      Make("made", {[&](const FilmProgress& p) { progress.push_back(p); }, {}});
  ASSERT_TRUE(film.result) << film.result.Text();
  EXPECT_EQ(film.path, m_folder + "\\series-2026-12-07-101500-2.mp4");
  EXPECT_EQ(TempDir::ReadFile(film.path), "film of 3");
  EXPECT_EQ(film.frames, 3u);
  EXPECT_EQ(film.size, (PictureSize{160, 120}));
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back().framesDone, 3u);
  EXPECT_EQ(progress.back().framesTotal, 3u);
  const std::vector<std::string> record = Record();
  ASSERT_GE(record.size(), 3u);
  EXPECT_EQ(record.back().find(m_folder + "\\"), 0u) << "the film's path arrived cut";
  EXPECT_EQ(test::Listing(m_folder).size(), 2u) << "the frame list was left";

  ::SetEnvironmentVariableA("PATH", m_dir.Path().c_str());
  EXPECT_EQ(FindFfmpeg(), "");
  const FilmOutcome missing = MakeFilm(m_frames, {}, {}, SteadyClock());
  EXPECT_EQ(missing.result.Text(), FfmpegMissingText());
}

// Failed, and cancelled while it runs: the stand-in is gone and nothing is left.
TEST_F(FilmWin32, AFailedOrCancelledFilmLeavesNothing) {
  const FilmOutcome failed = Make("failed");
  EXPECT_FALSE(failed.cancelled);
  EXPECT_NE(failed.result.Text().find("ffmpeg failed (exit status 1)\n[concat] Impossible"),
            std::string::npos)
      << failed.result.Text();

  bool running = false;  // once its first progress came
  const FilmOutcome cancelled =
      Make("hung", {[&](const FilmProgress&) { running = true; }, [&] { return running; }});
  EXPECT_TRUE(cancelled.cancelled);
  const std::vector<std::string> record = Record();
  ASSERT_FALSE(record.empty());
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, std::stoul(record.front()));
  if (process) {
    EXPECT_EQ(::WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "the stand-in still runs";
    ::CloseHandle(process);
  }
  EXPECT_TRUE(test::Listing(m_folder).empty());
}

}  // namespace
}  // namespace vel
