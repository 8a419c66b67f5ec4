#include "core/timelapse/status_text.h"

#include <cstdarg>
#include <cstdio>

namespace vel {
namespace {

// printf-style formatting into a std::string; every text here is short.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// Shot numbers and counts are unsigned 32-bit values; they are printed as
// such, so a count above 2^31 does not show up negative.
unsigned long Number(std::uint32_t value) {
  return value;
}

}  // namespace

std::string IdleText(std::uint32_t taken, bool cancelled, std::uint32_t failedCopies,
                     std::uint32_t failedShots, std::uint32_t missedFrames) {
  std::string failed = failedShots ? ", " + FailedShotsText(failedShots) : "";
  if (failedCopies)
    failed += ", " + FailedCopiesText(failedCopies);
  if (missedFrames)
    failed += ", " + MissedFramesText(missedFrames);
  return Format("Idle (%lu picture%s taken%s%s)", Number(taken), taken == 1 ? "" : "s",
                failed.c_str(), cancelled ? ", cancelled" : "");
}

std::string FailedCopiesText(std::uint32_t failedCopies) {
  return Format("%lu cop%s failed", Number(failedCopies), failedCopies == 1 ? "y" : "ies");
}

std::string MissedFramesText(std::uint32_t missedFrames) {
  return Format("%lu frame%s missed", Number(missedFrames), missedFrames == 1 ? "" : "s");
}

std::string FailedShotsText(std::uint32_t failedShots) {
  return Format("%lu shot%s failed", Number(failedShots), failedShots == 1 ? "" : "s");
}

std::string DozeText(std::uint32_t taken, std::uint32_t count, bool infinity) {
  if (infinity)
    return Format("Doze (picture %lu taken)", Number(taken));
  return Format("Doze (picture %lu of %lu taken)", Number(taken), Number(count));
}

std::string FocusText(int focusSeconds) {
  return Format("Focus (%d seconds)", focusSeconds);
}

std::string ShutterOpenText(std::uint32_t shot) {
  return Format("#%lu Shutter open (Bulb)", Number(shot));
}

std::string ShutterCloseText(std::uint32_t shot) {
  return Format("#%lu Shutter close (Bulb)", Number(shot));
}

std::string ShootText(std::uint32_t shot) {
  return Format("#%lu Shoot", Number(shot));
}

std::string CopyStartText(std::uint32_t shot) {
  return Format("#%lu Copy picture file start", Number(shot));
}

std::string CopiedFileText(std::uint32_t shot, const std::string& fileName) {
  return "#" + std::to_string(shot) + " File: " + fileName;
}

std::string CopyFailedText(std::uint32_t shot) {
  return Format("#%lu Download file failed", Number(shot));
}

std::string NoNewPictureText(std::uint32_t shot) {
  return Format("#%lu No new picture", Number(shot));
}

std::string ShotFailedText(std::uint32_t shot) {
  return Format("#%lu Shot failed (serial line lost)", Number(shot));
}

std::string CopyEndText(std::uint32_t shot) {
  return Format("#%lu Copy picture file end", Number(shot));
}

std::string NextShotText(const std::string& nextShot, const std::string& countdown,
                         const std::string& plannedEnd) {
  std::string text = "Next shot at " + nextShot;
  if (!countdown.empty())
    text += " (in " + countdown + ")";
  if (!plannedEnd.empty())
    text += " - planned end " + plannedEnd;
  return text;
}

std::string CountdownText(std::int64_t ms) {
  const long long seconds = ms <= 0 ? 0 : (ms + 999) / 1000;
  const long long minutes = seconds / 60 % 60;
  if (seconds < 60 * 60)
    return Format("%02lld:%02lld", minutes, seconds % 60);
  return Format("%02lld:%02lld:%02lld", seconds / 3600, minutes, seconds % 60);
}

int Weekday(const LocalTime& time) {
  // Days since 1970-01-01 (a Thursday) by the civil calendar.
  const int y = time.year - (time.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (time.month + (time.month > 2 ? -3 : 9)) + 2) / 5 + time.day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days = static_cast<long long>(era) * 146097 + dayOfEra - 719468;
  return static_cast<int>(((days % 7) + 7 + 3) % 7);
}

std::string DateWord(const LocalTime& time) {
  return Format("%02d.%02d.%04d", time.day, time.month, time.year);
}

std::string TimeWord(const LocalTime& time) {
  return Format("%02d:%02d:%02d", time.hour, time.minute, time.second);
}

std::string StatusTimeText(const LocalTime& time) {
  return DateWord(time) + " " + TimeWord(time);
}

}  // namespace vel
