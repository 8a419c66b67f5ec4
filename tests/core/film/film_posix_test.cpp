// Films made by the real ffmpeg and looked at by ffprobe.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "core/film/film.h"
#include "core/platform/clock.h"
#include "core/timelapse/series_log.h"
#include "support/film_pictures.h"

namespace vel {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

class FilmTest : public ::testing::Test {
 protected:
  // A series log of the shots, each storing the picture named, in the folder.
  std::string WriteLog(const std::vector<std::string>& stored) {
    std::string log = "2026-12-07 10:15:00 Series started: " + std::to_string(stored.size()) +
                      " pictures, interval 00:00:05, copy to " + EscapeLogField(m_folder) + "\n";
    for (std::size_t i = 0; i < stored.size(); ++i)
      log += "2026-12-07 10:15:05 Shot " + std::to_string(i + 1) + " of " +
             std::to_string(stored.size()) + ": sent 42 62 4D 6D; stored " +
             EscapeLogField(m_folder + "/" + stored[i]) + "\n";
    TempDir::WriteFile(m_dir / "series-2026-12-07-101500.log", log);
    return m_dir / "series-2026-12-07-101500.log";
  }
  FilmFrames Frames(const std::string& log) {
    ResultOf<FilmFrames> frames = ReadFilmFrames(log);
    EXPECT_TRUE(frames) << frames.Text();
    return frames ? frames.Value() : FilmFrames{};
  }

  TempDir m_dir;
  // Quotes, ';' and a '%' in every path: the concat list and the log must
  // carry them, and ffmpeg must not read the path as a numbered pattern.
  const std::string m_folder = m_dir / "o'clock; \"films\" 100%03d";
};

TEST_F(FilmTest, ASeriesBecomesOneFrameAPictureInShotOrder) {
  fs::create_directory(m_folder);
  std::vector<std::string> stored = test::PictureNames(12);
  stored[1] = "CIMG0001-2.JPG";  // before CIMG0001.JPG by name, after it by shot
  test::WritePictures(m_folder, stored, 161, 121);
  const FilmFrames frames = Frames(WriteLog(stored));

  FilmSettings settings;
  settings.framesPerSecond = 50;  // above the 25 of the concat demuxer's time stamps
  std::vector<FilmProgress> progress;
  const FilmOutcome film = MakeFilm(
      frames, settings, {[&](const FilmProgress& p) { progress.push_back(p); }, {}}, SteadyClock());
  ASSERT_TRUE(film.result) << film.result.Text();
  EXPECT_EQ(film.path, m_folder + "/series-2026-12-07-101500.mp4");
  const auto facts = test::ProbeFilm(film.path);
  EXPECT_EQ(facts.at("codec_name"), "h264");
  EXPECT_EQ(facts.at("pix_fmt"), "yuv420p");
  EXPECT_EQ(facts.at("width") + "x" + facts.at("height"), "160x120");
  EXPECT_EQ(facts.at("r_frame_rate"), "50/1");
  EXPECT_EQ(facts.at("nb_read_frames"), "12");
  // The pictures were written in shot order with the levels 20, 40, ...: so must the frames be.
  const std::vector<int> levels = test::FrameLevels(film.path);
  ASSERT_EQ(levels.size(), 12u);
  for (std::size_t i = 0; i < levels.size(); ++i) EXPECT_NEAR(levels[i], 20 * int(i + 1), 4) << i;
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back().framesDone, 12u);
  EXPECT_EQ(progress.back().framesTotal, 12u);
  EXPECT_EQ(progress.back().msLeft, 0);

  // Made again at a size asked, into the same folder: the film there stays.
  const std::string first = TempDir::ReadFile(film.path);
  settings.size = {320, 200};
  const FilmOutcome again = MakeFilm(frames, settings, {}, SteadyClock());
  ASSERT_TRUE(again.result) << again.result.Text();
  EXPECT_EQ(again.path, m_folder + "/series-2026-12-07-101500-2.mp4");
  EXPECT_EQ(test::ProbeFilm(again.path).at("width"), "320");
  EXPECT_EQ(TempDir::ReadFile(film.path), first);
  EXPECT_EQ(test::Listing(m_folder).size(), stored.size() + 2) << "temporary files were left";
}

// Cancelled while ffmpeg runs, and failed in ffmpeg: ffmpeg is gone and nothing is left.
TEST_F(FilmTest, ACancelledOrFailedFilmLeavesNothing) {
  fs::create_directory(m_folder);
  const std::vector<std::string> stored = test::PictureNames(40);
  test::WritePictures(m_folder, stored, 1024, 768, /*flat=*/false);
  const FilmFrames frames = Frames(WriteLog(stored));
  bool ffmpegRan = false;
  auto cancel = [&] {
    ffmpegRan = !test::ProcessesNaming(m_folder).empty();
    return ffmpegRan;
  };
  const FilmOutcome cancelled = MakeFilm(frames, {}, {{}, cancel}, SteadyClock());
  EXPECT_TRUE(ffmpegRan);
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_FALSE(cancelled.result);
  EXPECT_EQ(test::Listing(m_folder).size(), stored.size());
  EXPECT_EQ(test::ProcessesNaming(m_folder), std::vector<std::string>{});
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child was left";

  // The pictures gone after the log was read: ffmpeg cannot open the first.
  for (const std::string& name : stored) fs::remove(m_folder + "/" + name);
  const FilmOutcome failed = MakeFilm(frames, {}, {}, SteadyClock());
  EXPECT_FALSE(failed.cancelled);
  EXPECT_NE(failed.result.Text().find("ffmpeg failed"), std::string::npos) << failed.result.Text();
  EXPECT_NE(failed.result.Text().find("CIMG0001.JPG"), std::string::npos) << failed.result.Text();
  EXPECT_TRUE(test::Listing(m_folder).empty());
}

}  // namespace
}  // namespace vel
