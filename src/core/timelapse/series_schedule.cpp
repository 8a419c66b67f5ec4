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

namespace {

// However far a schedule looks for its next slot, it gives up past this
// many (a window shorter than the interval that never meets the grid).
constexpr int kMostSlotsLookedAt = 1'000'000;

}  // namespace

void SeriesSchedule::Reset(const SeriesStartSettings& settings) {
  StopTimer();
  m_taken = 0;
  m_cancelled = false;
  m_failedCopies = 0;
  m_failedShots = 0;
  m_missedFrames = 0;
  m_lastCopyFailure.clear();
  m_filter = nullptr;
  m_intervalMs = vel::IntervalMs(settings.hour, settings.minute, settings.second);
  m_count = settings.count;
  m_infinityAtStart = settings.infinity;
}

bool SeriesSchedule::Start(const SeriesStartSettings& settings) {
  Reset(settings);
  const bool hasShots = m_count != 0 || settings.infinity;
  return settings.HasPace() && hasShots;
}

bool SeriesSchedule::StartScheduled(const SeriesStartSettings& settings, std::int64_t anchorMs,
                                    const SlotFilter* filter) {
  if (!Start(settings))
    return false;
  m_filter = filter;
  m_anchorMs = anchorMs;
  m_nextGridIndex = 0;
  m_timerRunning = true;
  return true;
}

std::int64_t SeriesSchedule::Resume(const SeriesStartSettings& settings, const Counts& counts,
                                    std::int64_t anchorMs, std::int64_t nextSlot,
                                    std::int64_t nowMs, const SlotFilter* filter) {
  Reset(settings);
  m_taken = counts.taken;
  m_failedShots = counts.failedShots;
  m_failedCopies = counts.failedCopies;
  m_missedFrames = counts.missedFrames;
  m_filter = filter;
  m_anchorMs = anchorMs;
  m_timerRunning = true;
  m_nextGridIndex = nextSlot;
  if (m_intervalMs == 0)
    return 0;
  // Slots that passed while the series was down are skipped, never shot in
  // a burst: only those a shot would have been taken at count.
  const std::int64_t resumeAt = std::max(nextSlot, FirstGridIndexFrom(nowMs));
  std::int64_t skipped = 0;
  for (std::optional<std::int64_t> index = AllowedIndexFrom(nextSlot);
       index && *index < resumeAt && skipped < kMostSlotsLookedAt;
       index = AllowedIndexFrom(*index + 1))
    ++skipped;
  m_nextGridIndex = resumeAt;
  return skipped;
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
  const std::optional<std::int64_t> due = AllowedIndexFrom(m_nextGridIndex);
  if (m_filter && (!due || (m_intervalMs == 0 && !m_filter->Allows(nowMs)))) {
    // The schedule has ended.
    StopTimer();
    return Tick::Finish;
  }
  m_nextGridIndex = std::max(due.value_or(m_nextGridIndex) + 1, FirstGridIndexAfter(nowMs));
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
  if (m_intervalMs == 0) {
    if (!m_filter || m_filter->Allows(nowMs))
      return nowMs;
    return std::max(nowMs, m_filter->NextAllowed(nowMs).value_or(nowMs));
  }
  // With no slot to come, the next tick ends the series at once.
  const std::optional<std::int64_t> index = AllowedIndexFrom(m_nextGridIndex);
  return index ? std::max(nowMs, GridPoint(*index)) : nowMs;
}

std::optional<std::int64_t> SeriesSchedule::AllowedIndexFrom(std::int64_t index) const {
  if (!m_filter || m_intervalMs == 0)
    return index;
  for (int looked = 0; looked < kMostSlotsLookedAt; ++looked) {
    const std::int64_t point = GridPoint(index);
    if (m_filter->Allows(point))
      return index;
    const std::optional<std::int64_t> next = m_filter->NextAllowed(point);
    if (!next)
      return std::nullopt;
    index = std::max(index + 1, FirstGridIndexFrom(*next));
  }
  return std::nullopt;
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
  std::optional<std::int64_t> index = std::max(
      AllowedIndexFrom(m_nextGridIndex).value_or(m_nextGridIndex) + 1, FirstGridIndexAfter(next));
  if (after == 0) {
    progress.lastShotMs = next;
    return progress;
  }
  if (!m_filter) {
    progress.lastShotMs = GridPoint(*index + after - 1);
    return progress;
  }
  for (std::int64_t shot = 1; index && shot <= after; ++shot) {
    index = AllowedIndexFrom(*index);
    if (index && shot < after)
      ++*index;
  }
  // A schedule that ends first ends the series there.
  if (index)
    progress.lastShotMs = GridPoint(*index);
  return progress;
}

void SeriesSchedule::CopyFailed(std::string text) {
  ++m_failedCopies;
  m_lastCopyFailure = std::move(text);
}

std::string SeriesSchedule::IdleText() const {
  return vel::IdleText(m_taken, m_cancelled, m_failedCopies, m_failedShots, m_missedFrames);
}

std::int64_t SeriesSchedule::GridPoint(std::int64_t index) const {
  return m_anchorMs + index * static_cast<std::int64_t>(m_intervalMs);
}

std::int64_t SeriesSchedule::FirstGridIndexFrom(std::int64_t timeMs) const {
  if (m_intervalMs == 0 || timeMs <= m_anchorMs)
    return 0;
  const std::int64_t interval = m_intervalMs;
  return (timeMs - m_anchorMs + interval - 1) / interval;
}

std::int64_t SeriesSchedule::FirstGridIndexAfter(std::int64_t timeMs) const {
  if (m_intervalMs == 0 || timeMs < m_anchorMs)
    return 1;
  return (timeMs - m_anchorMs) / static_cast<std::int64_t>(m_intervalMs) + 1;
}

}  // namespace vel
