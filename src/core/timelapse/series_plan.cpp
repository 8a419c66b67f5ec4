#include "core/timelapse/series_plan.h"

#include <cstdio>

#include "core/app/settings.h"
#include "core/platform/clock.h"
#include "core/platform/files.h"
#include "core/timelapse/series_calendar.h"
#include "core/timelapse/series_schedule.h"
#include "core/timelapse/shot_plan.h"

namespace vel {
namespace {

// A plan counts this many shots at the most; more is as good as endless.
constexpr std::uint32_t kMostShotsPlanned = 100'000;

// A clock standing still at the moment planned for.
class StillClock final : public Clock {
 public:
  explicit StillClock(std::int64_t wallMs) : m_wallMs(wallMs) {}
  std::int64_t NowMs() override { return 0; }
  void WaitMs(std::uint32_t) override {}
  std::int64_t WallMs() override { return m_wallMs; }

 private:
  std::int64_t m_wallMs;
};

// How long one shot takes by its plan: its waits, and the longest wait for
// the camera's drive.
std::uint32_t EstimatedShotMs(const Settings& settings) {
  std::uint64_t ms = 0;
  for (const ShotStep& step : BuildShotPlan(ShotSettings::Of(settings), {1, 1, {}})) {
    if (const auto* wait = std::get_if<WaitStep>(&step))
      ms += wait->ms;
    else if (const auto* copy = std::get_if<CopyPictureStep>(&step))
      ms += copy->waitMs;
  }
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, UINT32_MAX));
}

std::string Megabytes(std::uint64_t bytes) {
  char text[32];
  if (bytes >= 10'000'000'000ULL)
    std::snprintf(text, sizeof text, "%.1f GB", bytes / 1e9);
  else
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
}

std::string Hms(std::uint32_t ms) {
  char text[16];
  const std::uint32_t s = (ms + 999) / 1000;
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
  return text;
}

// Walks the schedule's slots from the moment planned for, as a series would.
void CountShots(const Settings& settings, std::int64_t nowWallMs, std::uint32_t shotMs,
                SeriesPlan& plan) {
  const SeriesStartSettings series = SeriesStartSettings::Of(settings);
  ResultOf<SeriesCalendar> calendar = ReadCalendar(settings, nowWallMs / 1000);
  if (!calendar) {
    plan.refusal = calendar.Text();
    return;
  }
  StillClock clock(nowWallMs);
  const std::int64_t nowSeconds = nowWallMs / 1000;
  const std::int64_t startSeconds = std::max(nowSeconds, calendar->startAt.value_or(nowSeconds));
  const std::optional<std::int64_t> end = calendar->EndAt(startSeconds);
  CalendarSlots slots(calendar.Value(), end, clock);
  SeriesSchedule schedule;
  const bool scheduled = calendar->Any();
  std::int64_t now = (startSeconds - nowSeconds) * 1000;
  if (scheduled ? !schedule.StartScheduled(series, now, &slots) : !schedule.Start(series)) {
    plan.refusal = "No shot would be taken: set an interval (or Bulb) and a count (or Infinity).";
    return;
  }
  const auto shoot = [&](std::int64_t at) {
    if (!plan.firstSeconds)
      plan.firstSeconds = nowSeconds + at / 1000;
    plan.lastSeconds = nowSeconds + at / 1000;
    schedule.BeginShot();
    now = at + shotMs;
  };
  if (!scheduled) {
    shoot(0);
    if (!schedule.FinishFirstShot(now)) {
      plan.shots = 1;
      return;
    }
  }
  const bool infinity = settings.Infinity != 0;
  while (!schedule.Complete(infinity) && schedule.Taken() < kMostShotsPlanned) {
    if (infinity && !end)
      return;  // endless: nothing to count
    const std::int64_t due = schedule.NextDueMs(now);
    if (schedule.OnTick(due, infinity) != SeriesSchedule::Tick::Shoot)
      break;
    shoot(due);
  }
  plan.shots = schedule.Taken();
}

}  // namespace

SeriesPlan PlanSeries(const Settings& settings, std::int64_t nowWallMs,
                      const ShotMeasure& lastShot) {
  SeriesPlan plan;
  plan.intervalMs = IntervalMs(settings.Hour, settings.Minute, settings.Second);
  plan.shotMeasured = lastShot.shotMs.has_value();
  plan.shotMs = lastShot.shotMs.value_or(EstimatedShotMs(settings));
  plan.pictureBytesKnown = lastShot.pictureBytes.has_value();
  plan.pictureBytes = lastShot.pictureBytes.value_or(kLargestPictureBytes);
  if (ShotSettings::Of(settings).copyFile)
    plan.freeBytes = FreeBytes(settings.DestFileDir);
  CountShots(settings, nowWallMs, plan.shotMs, plan);
  return plan;
}

std::vector<std::string> SeriesPlan::Lines() const {
  if (!refusal.empty())
    return {refusal};
  std::vector<std::string> lines;
  std::string shotsLine =
      shots ? "Plan: " + std::to_string(*shots) + (*shots == 1 ? " shot" : " shots")
            : std::string("Plan: shots until the series is ended");
  if (firstSeconds)
    shotsLine += ", the first at " + MomentText(*firstSeconds);
  if (shots && lastSeconds && *shots > 1)
    shotsLine += ", the last at " + MomentText(*lastSeconds);
  lines.push_back(shotsLine + ".");
  if (freeBytes) {
    const std::string each = Megabytes(pictureBytes) + (pictureBytesKnown ? "" : " (assumed)");
    if (!shots) {
      lines.push_back("Room: " + Megabytes(*freeBytes) + " free at the destination, for about " +
                      std::to_string(*freeBytes / std::max<std::uint64_t>(pictureBytes, 1)) +
                      " pictures of " + each + ".");
    } else {
      const std::uint64_t needed = pictureBytes * *shots;
      lines.push_back(std::string(needed > *freeBytes ? "Warning: too little room: " : "Room: ") +
                      std::to_string(*shots) + " pictures of " + each + " need " +
                      Megabytes(needed) + "; the destination has " + Megabytes(*freeBytes) +
                      " free.");
    }
  }
  if (intervalMs != 0 && shotMs > intervalMs)
    lines.push_back("Warning: one shot with its copy takes about " + Hms(shotMs) + " (" +
                    (shotMeasured ? "measured on the last shot" : "estimated from the delays") +
                    "), longer than the interval of " + Hms(intervalMs) +
                    ": the shots will follow each other without pause.");
  return lines;
}

}  // namespace vel
