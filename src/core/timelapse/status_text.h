#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vel {

// A broken-down local time, as the status line and the external command show
// it. Month runs 1 to 12, hour 0 to 23, year has four digits.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The local time of this moment (each operating system has its own backend).
LocalTime CurrentLocalTime();

// The local time of a moment in seconds since 1970-01-01 UTC, and back; a
// local time that a daylight-saving change skips or repeats is taken as the
// system takes it. Nothing for a time the system cannot place.
LocalTime LocalTimeAt(std::int64_t unixSeconds);
std::optional<std::int64_t> UnixSecondsAt(const LocalTime& time);

// The day of the week of a date: 0 Monday to 6 Sunday.
int Weekday(const LocalTime& time);

// "Idle (%ld picture%s taken%s)": plural for every count but 1, then
// ", N shots failed" when shots failed, ", N copies failed" when copies
// failed, ", N frames missed" when shots left no new picture at the
// destination, and ", cancelled" when the series was cancelled.
std::string IdleText(std::uint32_t taken, bool cancelled, std::uint32_t failedCopies = 0,
                     std::uint32_t failedShots = 0, std::uint32_t missedFrames = 0);

// "1 copy failed", "2 copies failed".
std::string FailedCopiesText(std::uint32_t failedCopies);
// "1 frame missed", "2 frames missed".
std::string MissedFramesText(std::uint32_t missedFrames);
// "1 shot failed", "2 shots failed".
std::string FailedShotsText(std::uint32_t failedShots);

// "Doze (picture %ld of %ld taken)", or "Doze (picture %ld taken)" for an
// endless series.
std::string DozeText(std::uint32_t taken, std::uint32_t count, bool infinity);

// The texts shown while a shot runs; shot is the shot's number.
std::string FocusText(int focusSeconds);
std::string ShutterOpenText(std::uint32_t shot);
std::string ShutterCloseText(std::uint32_t shot);
std::string ShootText(std::uint32_t shot);
std::string CopyStartText(std::uint32_t shot);
std::string CopiedFileText(std::uint32_t shot, const std::string& fileName);
std::string CopyFailedText(std::uint32_t shot);
std::string NoNewPictureText(std::uint32_t shot);
// A byte of the shot did not reach the port: the why goes to the log.
std::string ShotFailedText(std::uint32_t shot);
std::string CopyEndText(std::uint32_t shot);

// The progress line of a running series: "Next shot at 14:32:10 (in 00:07)
// - planned end 15:10:00". The clock times come formatted; an empty
// countdown or planned end leaves its part out.
std::string NextShotText(const std::string& nextShot, const std::string& countdown,
                         const std::string& plannedEnd);
// The whole seconds left of ms, rounded up, so that 00:00 means due:
// "00:07", "59:59", "01:00:00".
std::string CountdownText(std::int64_t ms);
// The progress line when there is nothing to count down.
inline constexpr std::string_view kBackToBackText = "Shots back to back";
inline constexpr std::string_view kNoPaceText =
    "Interval 00:00:00: set an interval, or tick Bulb to take shots back to back.";

// The second status line: "07.06.2003 14:05:09".
std::string StatusTimeText(const LocalTime& time);

// The date and time words handed to the external command: "07.06.2003" and
// "14:05:09".
std::string DateWord(const LocalTime& time);
std::string TimeWord(const LocalTime& time);

}  // namespace vel
