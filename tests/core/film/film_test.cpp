#include "core/film/film.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "core/timelapse/series_log.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

using test::TempDir;

// The head of a JPEG file as far as its frame header: an EXIF segment and a
// Huffman table (whose marker lies among the frame headers') before it.
std::string JpegHead(int width, int height, char frameMarker = '\xC2') {
  std::string head = "\xFF\xD8";
  head += std::string(
      "\xFF\xE1\x00\x08"
      "Exif\0\0",
      10);
  head += std::string("\xFF\xC4\x00\x05\x00\x01\x02", 7);
  head += std::string("\xFF") + frameMarker + std::string("\x00\x11\x08", 3);
  for (int value : {height, width}) head += {char(value >> 8), char(value & 0xFF)};
  return head + std::string(9, '\x01') + "\xFF\xDA";
}

TEST(FilmFrames, TheStoredPicturesAreTakenFromTheShotLinesInTheirOrder) {
  const std::string forged = "/p/a; stored /etc/passwd.JPG";  // a ';' of its own is escaped
  const std::string log =
      "2026-12-07 10:15:00 Series started: 12 pictures, interval 00:00:05, copy to /p\n"
      "2026-12-07 10:15:01 Shot 1 of 3: sent 42 62 4D 6D; drive /media/x; stored /p/CIMG0001.JPG; "
      "external program: exited with status 0\r\n"
      "2026-12-07 10:15:06 Shot 2 of 3: sent 42 62; copy failed: stored nothing\n"
      "2026-12-07 10:15:11 Shot 3 of 3: sent 42 62; no new picture\n"
      "2026-12-07 10:15:16 Shot 4: sent 42 62; stored " +
      EscapeLogField(forged) +
      "\n"
      "2026-12-07 10:15:21 Shot 5: sent nothing; shot failed: lost\\x3B stored /x.JPG\n"
      "Shot 6: sent 42; stored /no/stamp.JPG\n"
      "2026-12-07 10:15:31 Shot 7 of: sent 42; stored /bad/count.JPG\n"
      "2026-12-07 10:15:36 Series ended: 5 pictures taken, 1 copy failed\n"
      "2026-12-07 10:15:41 Shot 2 of 3: sent 42 62; stored /p/CIMG0001-2.JPG";
  std::vector<std::pair<std::uint32_t, std::string>> pictures;
  for (const LoggedPicture& picture : StoredPicturesOfLog(log))
    pictures.emplace_back(picture.shot, picture.path);
  EXPECT_EQ(pictures,
            (decltype(pictures){{1, "/p/CIMG0001.JPG"}, {4, forged}, {2, "/p/CIMG0001-2.JPG"}}));
}

TEST(FilmFrames, PicturesThatCannotBeFramesAreSkippedWithTheirReason) {
  TempDir dir;
  TempDir::WriteFile(dir / "CIMG0001.JPG", JpegHead(161, 121));
  TempDir::WriteFile(dir / "CIMG0002.JPG", "a text, not a picture");
  std::filesystem::create_directory(dir / "CIMG0003.JPG");
  TempDir::WriteFile(dir / "CIMG0004.JPG", JpegHead(2048, 1536, '\xC0'));
  TempDir::WriteFile(dir / "CIMG0005.JPG", JpegHead(640, 480).substr(0, 20));  // cut short
  std::string log = "2026-12-07 10:15:00 Series started: endless, interval 00:00:05\n";
  for (int shot = 1; shot <= 6; ++shot)
    log += "2026-12-07 10:15:0" + std::to_string(shot) + " Shot " + std::to_string(shot) +
           ": sent 42 62; stored " +
           EscapeLogField(dir / ("CIMG000" + std::to_string(shot) + ".JPG")) + "\n";
  TempDir::WriteFile(dir / "series.log", log);

  const ResultOf<FilmFrames> frames = ReadFilmFrames(dir / "series.log");
  ASSERT_TRUE(frames) << frames.Text();
  EXPECT_EQ(frames->pictures,
            (std::vector<std::string>{dir / "CIMG0001.JPG", dir / "CIMG0004.JPG"}));
  EXPECT_EQ(frames->size, (PictureSize{161, 121}));
  ASSERT_TRUE(frames->seriesStart);
  EXPECT_EQ(frames->seriesStart->minute, 15);
  std::vector<std::pair<std::uint32_t, std::string>> skipped;
  for (const auto& frame : frames->skipped) skipped.emplace_back(frame.shot, frame.reason);
  EXPECT_EQ(skipped, (decltype(skipped){{2, "not a JPEG picture"},
                                        {3, "not a regular file"},
                                        {5, "not a JPEG picture"},
                                        {6, "missing"}}));
  EXPECT_FALSE(ReadFilmFrames(dir / "none.log"));
}

TEST(FilmFrames, TheLastSeriesLogIsTheOneStartedLast) {
  TempDir dir;
  EXPECT_FALSE(LastSeriesLog(dir.Path()));
  for (const char* name :
       {"series-2026-12-07-101500.log", "series-2026-12-07-101500-10.log",
        "series-2026-12-07-101500-9.log", "series-2026-01-31-235959.log",
        "series-2026-12-07-101500-x.log", "series-notes.log", "series-2099-x.log"})
    TempDir::WriteFile(dir / name, "");
  std::filesystem::create_directory(dir / "series-2027-01-01-000000.log");
  const ResultOf<std::string> last = LastSeriesLog(dir.Path());
  ASSERT_TRUE(last) << last.Text();
  EXPECT_EQ(std::filesystem::path(last.Value()), dir / "series-2026-12-07-101500-10.log");
}

TEST(Film, TheDefaultSizeIsThePicturesOwnMadeEvenAndFittedToFullHd) {
  const std::tuple<PictureSize, PictureSize, bool, PictureSize> cases[] = {
      {{161, 121}, {}, false, {160, 120}},           {{2048, 1536}, {}, false, {1440, 1080}},
      {{1921, 1081}, {}, false, {1918, 1080}},       {{2048, 1536}, {}, true, {2048, 1536}},
      {{2048, 1536}, {640, 360}, false, {640, 360}},
  };
  for (const auto& [pictures, asked, original, film] : cases) {
    FilmSettings settings;
    settings.size = asked;
    settings.originalSize = original;
    EXPECT_EQ(FilmSize(pictures, settings), film) << pictures.width << "x" << pictures.height;
  }
}

}  // namespace
}  // namespace vel
