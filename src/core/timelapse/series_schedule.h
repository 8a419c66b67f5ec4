#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vel {

struct Settings;

// The settings a series takes at Start: the interval and the count are fixed
// for the whole series, Infinity and Bulb decide whether it starts at all.
struct SeriesStartSettings {
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::uint32_t count = 0;
  bool infinity = false;
  bool bulb = false;

  static SeriesStartSettings Of(const Settings& settings);
  // An interval, or bulb shots to follow each other: without either a
  // series takes no shot.
  bool HasPace() const;
};

// Where a running series stands, for its progress line; times are
// milliseconds of the monotonic clock.
struct SeriesProgress {
  // When the next shot is due; none when no shot is to come (or the grid is
  // not laid yet, during the first shot).
  std::optional<std::int64_t> nextShotMs;
  // When the last shot is due; none for an endless series and for shots
  // back to back, whose end depends on how long each shot takes.
  std::optional<std::int64_t> lastShotMs;
  // The interval is 0: each shot follows the one before, nothing to count
  // down.
  bool backToBack = false;
};

// Which moments of the monotonic clock a scheduled series may shoot at: its
// daily windows and its end.
class SlotFilter {
 public:
  virtual ~SlotFilter() = default;
  virtual bool Allows(std::int64_t ms) const = 0;
  // The first moment from ms on that is allowed; none when none is to come.
  virtual std::optional<std::int64_t> NextAllowed(std::int64_t ms) const = 0;
};

// ((hour * 60 + minute) * 60 + second) * 1000 in unsigned 32-bit arithmetic.
std::uint32_t IntervalMs(int hour, int minute, int second);

// A time-lapse series without a window: counting, the start condition, the end
// and the cancel, and when the next tick falls due.
//
// The first shot runs at Start; when the series goes on, the ticks after it lie
// on a fixed grid of the interval anchored at the end of the first shot, so the
// time a shot takes never shifts the later ones. A tick whose grid point passed
// while a shot was running is due at once, and only once, however many grid
// points passed; the next one after it is the next grid point still ahead. With
// an interval of 0 every tick is due at once, so the shots run back to back.
//
// Times are milliseconds of a monotonic clock (Clock::NowMs).
class SeriesSchedule {
 public:
  enum class Tick {
    Shoot,   // take a shot
    Finish,  // the series is complete: the timer stops, Idle is shown again
    Ignore,  // no timer is running (a stale tick)
  };

  // Begins a new series, replacing one that may still be running. True when
  // the start condition holds and the first shot is to be taken at once;
  // false when no shot is taken (the status then reads Idle).
  bool Start(const SeriesStartSettings& settings);

  // Begins a scheduled series: its grid lies from anchorMs on (the first
  // slot is anchorMs itself), and a slot is shot only where filter allows
  // it (it must outlive the series). No shot is taken at once: the first
  // tick comes when NextDueMs says. False when the start condition fails.
  bool StartScheduled(const SeriesStartSettings& settings, std::int64_t anchorMs,
                      const SlotFilter* filter);

  // Takes up a series that was stopped from outside: its counts, its grid
  // (anchorMs, the next slot) and its filter, now at nowMs. The slots that
  // passed meanwhile are skipped; their number is returned.
  struct Counts {
    std::uint32_t taken = 0;
    std::uint32_t failedShots = 0;
    std::uint32_t failedCopies = 0;
    std::uint32_t missedFrames = 0;
  };
  std::int64_t Resume(const SeriesStartSettings& settings, const Counts& counts,
                      std::int64_t anchorMs, std::int64_t nextSlot, std::int64_t nowMs,
                      const SlotFilter* filter);

  // Counts the shot about to be taken and returns its number N.
  std::uint32_t BeginShot();

  // Called when the first shot, taken at Start, has ended. True when the
  // series goes on with a timer, whose grid is then anchored at nowMs; false
  // when the series is over after this one shot.
  bool FinishFirstShot(std::int64_t nowMs);

  // True when the shot just taken was the last one: taken >= count and
  // Infinity (read afresh) clear.
  bool Complete(bool infinity) const;

  // A tick of the timer at nowMs, with Infinity as it is now. It consumes the
  // tick that was due; Finish also stops the timer.
  Tick OnTick(std::int64_t nowMs, bool infinity);

  // The user cancelled: the timer stops and the Idle text says so.
  void Cancel();

  bool TimerRunning() const { return m_timerRunning; }
  // The grid: where it is anchored and the slot due next, for a series to
  // be taken up again.
  std::int64_t AnchorMs() const { return m_anchorMs; }
  std::int64_t NextSlot() const { return m_nextGridIndex; }

  // When the next tick is due: the pending grid point, or nowMs itself when
  // that point has passed (or the interval is 0). Only meaningful while the
  // timer runs.
  std::int64_t NextDueMs(std::int64_t nowMs) const;

  // Milliseconds from nowMs until the next tick, 0 when it is due already.
  std::int64_t DelayMs(std::int64_t nowMs) const { return NextDueMs(nowMs) - nowMs; }

  // Where the series stands at nowMs, with Infinity as it is now.
  SeriesProgress Progress(std::int64_t nowMs, bool infinity) const;

  std::uint32_t Taken() const { return m_taken; }
  std::uint32_t Count() const { return m_count; }
  std::uint32_t IntervalMs() const { return m_intervalMs; }
  bool Cancelled() const { return m_cancelled; }

  // A shot's picture could not be copied; kept until the next Start.
  void CopyFailed(std::string text);
  std::uint32_t FailedCopies() const { return m_failedCopies; }
  const std::string& LastCopyFailure() const { return m_lastCopyFailure; }

  // A shot did not reach the camera (its serial line was lost); counted
  // until the next Start.
  void ShotFailed() { ++m_failedShots; }
  std::uint32_t FailedShots() const { return m_failedShots; }

  // A shot after which no new picture reached the destination.
  void FrameMissed() { ++m_missedFrames; }
  std::uint32_t MissedFrames() const { return m_missedFrames; }
  Counts AllCounts() const { return {m_taken, m_failedShots, m_failedCopies, m_missedFrames}; }

  // "Idle (N pictures taken[, K shots failed][, M copies failed]
  // [, cancelled])" for the state of the series.
  std::string IdleText() const;

 private:
  void StopTimer() { m_timerRunning = false; }
  std::int64_t GridPoint(std::int64_t index) const;
  // Index of the first grid point strictly after timeMs, and of the first
  // at or after it.
  std::int64_t FirstGridIndexAfter(std::int64_t timeMs) const;
  std::int64_t FirstGridIndexFrom(std::int64_t timeMs) const;
  // The first slot from index on that the filter allows; none when the
  // schedule has ended.
  std::optional<std::int64_t> AllowedIndexFrom(std::int64_t index) const;
  void Reset(const SeriesStartSettings& settings);

  std::uint32_t m_count = 0;
  std::uint32_t m_taken = 0;
  std::uint32_t m_intervalMs = 0;
  bool m_infinityAtStart = false;
  bool m_cancelled = false;
  bool m_timerRunning = false;
  std::uint32_t m_failedCopies = 0;
  std::uint32_t m_failedShots = 0;
  std::uint32_t m_missedFrames = 0;
  const SlotFilter* m_filter = nullptr;
  std::string m_lastCopyFailure;
  std::int64_t m_anchorMs = 0;       // end of the first shot
  std::int64_t m_nextGridIndex = 1;  // the pending tick is at anchor + index * interval
};

}  // namespace vel
