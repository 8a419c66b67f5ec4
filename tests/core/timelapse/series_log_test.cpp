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

  ShotRecord shot{2, 3, {0x42, 0x62, 0x4D}, {}, "Copy error.\nSystem error message:\n\nNo space",
                  {}};
  first.Write(start, ShotLogText(shot));
  shot = {3, 0, {}, "/p/CIMG0003.JPG", {}, "exited with status 0"};
  first.Write({2026, 12, 7, 10, 15, 5}, ShotLogText(shot));
  EXPECT_EQ(test::TempDir::ReadFile(first.Path()),
            "2026-12-07 10:15:00 Shot 2 of 3: sent 42 62 4D; copy failed: Copy error. System "
            "error message: No space\n"
            "2026-12-07 10:15:05 Shot 3: sent nothing; stored /p/CIMG0003.JPG; external "
            "program: exited with status 0\n");
}

TEST(SeriesLog, TheEndOfASeriesCountsItsFailedCopies) {
  EXPECT_EQ(IdleText(3, false, 2), "Idle (3 pictures taken, 2 copies failed)");
  EXPECT_EQ(IdleText(1, true, 1), "Idle (1 picture taken, 1 copy failed, cancelled)");
  EXPECT_EQ(IdleText(3, false, 0), "Idle (3 pictures taken)");
  EXPECT_EQ(SeriesEndLogText(3, 1, true), "Series cancelled: 3 pictures taken, 1 copy failed");
  SeriesSchedule schedule;
  ASSERT_TRUE(schedule.Start({0, 0, 1, 3, false, false}));
  schedule.CopyFailed("first");
  schedule.CopyFailed("second");
  EXPECT_EQ(schedule.FailedCopies(), 2u);
  EXPECT_EQ(schedule.LastCopyFailure(), "second");
  ASSERT_TRUE(schedule.Start({0, 0, 1, 3, false, false}));
  EXPECT_EQ(schedule.FailedCopies(), 0u) << "kept into the next series";
}

}  // namespace
}  // namespace vel
