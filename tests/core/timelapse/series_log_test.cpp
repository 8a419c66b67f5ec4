// The series log, its texts, and the names of the copies at the destination, on every system.
#include "core/timelapse/series_log.h"

#include <gtest/gtest.h>

#include "core/timelapse/picture_transfer_files.h"
#include "support/temp_dir.h"

namespace vel {
namespace {

// Each series gets a log of its own, named by its start, each line written
// out at once, a failure's text on one line.
TEST(SeriesLog, OneFilePerSeriesAndOneLinePerEvent) {
  test::TempDir dir;
  const LocalTime start{2026, 12, 7, 10, 15, 0};
  SeriesLog first, second;
  ASSERT_TRUE(first.Open(dir / "logs", start));
  ASSERT_TRUE(second.Open(dir / "logs", start));
  const std::string folder = dir / "logs";
  EXPECT_EQ(first.Path(), folder + first.Path()[folder.size()] + "series-2026-12-07-101500.log");
  EXPECT_EQ(second.Path(),
            folder + second.Path()[folder.size()] + "series-2026-12-07-101500-2.log");

  const ShotRecord shots[] = {
      {.shot = 2,
       .count = 3,
       .bytes = {0x42, 0x62, 0x4D},
       .copyFailure = "Copy error.\nSystem error message:\n\nNo space",
       .drive = "/media/QV"},
      {.shot = 3,
       .storedPicture = "/p/CIMG0003.JPG",
       .commandOutcome = "exited with status 0",
       .drive = "/media/QV"},
      {.shot = 4, .bytes = {0x42, 0x62}, .drive = "E:\\", .noNewPicture = true},
      {.shot = 5, .count = 5, .shotFailure = "Input/output error\n"}};
  for (const ShotRecord& shot : shots) first.Write(start, ShotLogText(shot));
  EXPECT_EQ(test::TempDir::ReadFile(first.Path()),
            "2026-12-07 10:15:00 Shot 2 of 3: sent 42 62 4D; drive /media/QV; copy failed: Copy "
            "error. System error message: No space\n"
            "2026-12-07 10:15:00 Shot 3: sent nothing; drive /media/QV; stored /p/CIMG0003.JPG; "
            "external program: exited with status 0\n"
            "2026-12-07 10:15:00 Shot 4: sent 42 62; drive E:\\; no new picture\n"
            "2026-12-07 10:15:00 Shot 5 of 5: sent nothing; shot failed: Input/output error\n");

  // The last lines stay at hand, after Close too, until the next Open; Reopen finds them again.
  for (int i = 1; i <= 25; ++i) second.Write(start, "line " + std::to_string(i));
  second.Close();
  for (int reopened = 0; reopened < 2; ++reopened) {
    ASSERT_EQ(second.RecentLines().size(), SeriesLog::kRecentLines);
    EXPECT_EQ(second.RecentLines().front(), "2026-12-07 10:15:00 line 6");
    EXPECT_EQ(second.RecentLines().back(), "2026-12-07 10:15:00 line 25");
    ASSERT_TRUE(second.Reopen(second.Path()));
  }
  ASSERT_TRUE(second.Open(dir / "logs", start));
  EXPECT_TRUE(second.RecentLines().empty());
}

// A name from the card or the destination cannot split a line or forge a
// field, and the film of a series reads every name back as it was.
TEST(SeriesLog, NamesFromOutsideAreEscapedAndReadBack) {
  const std::pair<std::string, std::string> fields[] = {
      {"/p/CIMG0001.JPG", "/p/CIMG0001.JPG"},
      {"/p/a\n2026-12-07 10:15:00 Shot 9: sent 42\n.JPG",
       "/p/a\\x0A2026-12-07 10:15:00 Shot 9: sent 42\\x0A.JPG"},
      {"/p/x; stored /etc/passwd", "/p/x\\x3B stored /etc/passwd"},
      {"E:\\xDCIM\\\\x41\t\x7F", "E:\\x5CxDCIM\\\\x5Cx41\\x09\\x7F"},
  };
  for (const auto& [name, escaped] : fields) {
    EXPECT_EQ(EscapeLogField(name), escaped);
    EXPECT_EQ(UnescapeLogField(EscapeLogField(name)), name);
  }
  const std::string line = ShotLogText(
      {.shot = 1, .storedPicture = fields[1].first, .commandOutcome = "said \"no\"\r\nand\x1B[2J"});
  EXPECT_EQ(line.find_first_of("\r\n\x1B"), std::string::npos) << line;
}

TEST(SeriesLog, TheEndOfASeriesCountsItsFailedShotsAndCopies) {
  EXPECT_EQ(IdleText(3, false, 2), "Idle (3 pictures taken, 2 copies failed)");
  EXPECT_EQ(IdleText(1, true, 1), "Idle (1 picture taken, 1 copy failed, cancelled)");
  EXPECT_EQ(IdleText(3, false, 0), "Idle (3 pictures taken)");
  EXPECT_EQ(IdleText(3, false, 0, 2), "Idle (3 pictures taken, 2 shots failed)");
  EXPECT_EQ(IdleText(3, true, 2, 1),
            "Idle (3 pictures taken, 1 shot failed, 2 copies failed, cancelled)");
  EXPECT_EQ(SeriesEndLogText(3, 1, true), "Series cancelled: 3 pictures taken, 1 copy failed");
  EXPECT_EQ(SeriesEndLogText(3, 0, false, 2),
            "Series ended: 3 pictures taken, 2 shots failed, 0 copies failed");
  SeriesSchedule schedule;
  for (int series = 0; series < 2; ++series) {
    ASSERT_TRUE(schedule.Start({0, 0, 1, 3, false, false}));
    EXPECT_EQ(schedule.FailedCopies() + schedule.FailedShots(), 0u) << "kept into the next series";
    schedule.CopyFailed("first");
    schedule.CopyFailed("second");
    schedule.ShotFailed();
    EXPECT_EQ(schedule.FailedCopies(), 2u);
    EXPECT_EQ(schedule.LastCopyFailure(), "second");
    EXPECT_EQ(schedule.IdleText(), "Idle (0 pictures taken, 1 shot failed, 2 copies failed)");
  }
}

// The number goes before the extension; a name that would pass 255 bytes
// loses the end of its stem, never half a UTF-8 character.
TEST(NumberedName, NumberBeforeTheExtensionWithinTheLongestName) {
  const std::string a(251, 'A'), e = "\xC3\xA9";
  std::string e125;
  for (int i = 0; i < 125; ++i) e125 += e;
  const struct {
    std::string name;
    int n;
    std::string numbered;
  } cases[] = {
      {"CIMG0001.JPG", 2, "CIMG0001-2.JPG"},
      {".hidden", 3, ".hidden-3"},
      {a + ".JPG", 2, a.substr(0, 249) + "-2.JPG"},
      {a.substr(0, 246) + ".JPG", 9999, a.substr(0, 246) + "-9999.JPG"},
      {e125 + ".JPG", 2, e125.substr(0, 248) + "-2.JPG"},
      {"a." + a + "AA", 2, "a." + a + "-2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NumberedName(c.name, c.n), c.numbered);
  }
}

}  // namespace
}  // namespace vel
