#include "core/timelapse/status_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vel {
namespace {

TEST(IdleText, PluralForEveryCountButOneAndTheCancelNote) {
  EXPECT_EQ(IdleText(0, false), "Idle (0 pictures taken)");
  EXPECT_EQ(IdleText(1, false), "Idle (1 picture taken)");
  EXPECT_EQ(IdleText(2, false), "Idle (2 pictures taken)");
  EXPECT_EQ(IdleText(12, true), "Idle (12 pictures taken, cancelled)");
  EXPECT_EQ(IdleText(1, true), "Idle (1 picture taken, cancelled)");
}

TEST(DozeText, NamesTheCountUnlessTheSeriesIsEndless) {
  EXPECT_EQ(DozeText(2, 3, false), "Doze (picture 2 of 3 taken)");
  EXPECT_EQ(DozeText(2, 3, true), "Doze (picture 2 taken)");
  EXPECT_EQ(DozeText(1, 4'294'967'295u, false), "Doze (picture 1 of 4294967295 taken)");
}

TEST(ShotTexts, AFileNameIsShownAsItIs) {
  EXPECT_EQ(CopiedFileText(3, "100%s.JPG"), "#3 File: 100%s.JPG");
}

TEST(TimeTexts, DayMonthYearAndTwentyFourHourTime) {
  const LocalTime june7{2003, 6, 7, 14, 5, 9};
  EXPECT_EQ(StatusTimeText(june7), "07.06.2003 14:05:09");
  EXPECT_EQ(DateWord(june7), "07.06.2003");
  EXPECT_EQ(TimeWord(june7), "14:05:09");
  EXPECT_EQ(StatusTimeText({999, 12, 31, 0, 0, 0}), "31.12.0999 00:00:00");
}

}  // namespace
}  // namespace vel
