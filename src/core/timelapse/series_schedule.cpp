#include "core/timelapse/series_schedule.h"

#include <algorithm>

#include "core/app/settings.h"
#include "core/timelapse/status_text.h"

namespace vel {

SeriesStartSettings SeriesStartSettings::Of(const Settings& settings) {
  return {settings.Hour,          settings.Minute,
          settings.Second,        static_cast<std::uint32_t>(settings.Count),
          settings.Infinity != 0, settings.Bulb != 0};
}

bool SeriesStartSettings::HasPace() const {
  return vel::IntervalMs(hour, minute, second) != 0 || bulb;
}

std::uint32_t IntervalMs(int hour, int minute, int second) {
  const auto h = static_cast<std::uint32_t>(hour);
  const auto m = static_cast<std::uint32_t>(minute);
  const auto s = static_cast<std::uint32_t>(second);
  return ((h * 60u + m) * 60u + s) * 1000u;
}

bool SeriesSchedule::Start(const SeriesStartSettings& settings) {
  StopTimer();
  m_taken = 0;
  m_cancelled = false;
  m_failedCopies = 0;
  m_failedShots = 0;
  m_lastCopyFailure.clear();
  m_intervalMs = vel::IntervalMs(settings.hour, settings.minute, settings.second);
  m_count = settings.count;
  m_infinityAtStart = settings.infinity;
  const bool hasShots = m_count != 0 || settings.infinity;
  return settings.HasPace() && hasShots;
}

std::uint32_t SeriesSchedule::BeginShot() {
  return ++m_taken;
}

bool SeriesSchedule::FinishFirstShot(std::int64_t nowMs) {
  if (m_count <= 1 && !m_infinityAtStart)
    return false;
  m_timerRunning = true;
  m_anchorMs = nowMs;
  m_nextGridIndex = 1;
  return true;
}

bool SeriesSchedule::Complete(bool infinity) const {
  return m_taken >= m_count && !infinity;
}

SeriesSchedule::Tick SeriesSchedule::OnTick(std::int64_t nowMs, bool infinity) {
  if (!m_timerRunning)
    return Tick::Ignore;
  // This tick stands for the pending grid point (even if the timer fired a
  // little early) and for every point that passed before now.
  m_nextGridIndex = std::max(m_nextGridIndex + 1, FirstGridIndexAfter(nowMs));
  if (Complete(infinity)) {
    StopTimer();
    return Tick::Finish;
  }
  return Tick::Shoot;
}

void SeriesSchedule::Cancel() {
  m_cancelled = true;
  StopTimer();
}

std::int64_t SeriesSchedule::NextDueMs(std::int64_t nowMs) const {
  if (m_intervalMs == 0)
    return nowMs;
  return std::max(nowMs, GridPoint(m_nextGridIndex));
}

SeriesProgress SeriesSchedule::Progress(std::int64_t nowMs, bool infinity) const {
  SeriesProgress progress;
  if (!m_timerRunning || Complete(infinity))
    return progress;
  progress.nextShotMs = NextDueMs(nowMs);
  progress.backToBack = m_intervalMs == 0;
  if (infinity || progress.backToBack)
    return progress;
  // Past the next shot the series keeps to its grid again (see OnTick).
  const std::int64_t next = *progress.nextShotMs;
  const std::int64_t after = static_cast<std::int64_t>(m_count) - m_taken - 1;
  const std::int64_t index = std::max(m_nextGridIndex + 1, FirstGridIndexAfter(next));
  progress.lastShotMs = after == 0 ? next : GridPoint(index + after - 1);
  return progress;
}

void SeriesSchedule::CopyFailed(std::string text) {
  ++m_failedCopies;
  m_lastCopyFailure = std::move(text);
}

std::string SeriesSchedule::IdleText() const {
  return vel::IdleText(m_taken, m_cancelled, m_failedCopies, m_failedShots);
}

std::int64_t SeriesSchedule::GridPoint(std::int64_t index) const {
  return m_anchorMs + index * static_cast<std::int64_t>(m_intervalMs);
}

std::int64_t SeriesSchedule::FirstGridIndexAfter(std::int64_t timeMs) const {
  if (m_intervalMs == 0 || timeMs < m_anchorMs)
    return 1;
  return (timeMs - m_anchorMs) / static_cast<std::int64_t>(m_intervalMs) + 1;
}

}  // namespace vel
