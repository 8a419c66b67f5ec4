#include <gtest/gtest.h>

#include <ctime>

#include "core/timelapse/status_text.h"

namespace vel {
namespace {

// The system's local time agrees with the C runtime's view of the same
// moment, which works it out from the clock and the time zone on its own.
TEST(CurrentLocalTimeWin32, AgreesWithTheRuntimesLocalTime) {
  LocalTime local;
  std::time_t before;
  std::time_t after;
  do {
    before = std::time(nullptr);
    local = CurrentLocalTime();
    after = std::time(nullptr);
  } while (before != after);
  std::tm expected{};
  ASSERT_EQ(::localtime_s(&expected, &before), 0);
  EXPECT_EQ(local.year, expected.tm_year + 1900);
  EXPECT_EQ(local.month, expected.tm_mon + 1);
  EXPECT_EQ(local.day, expected.tm_mday);
  EXPECT_EQ(local.hour, expected.tm_hour);
  EXPECT_EQ(local.minute, expected.tm_min);
  EXPECT_EQ(local.second, expected.tm_sec);
}

}  // namespace
}  // namespace vel
