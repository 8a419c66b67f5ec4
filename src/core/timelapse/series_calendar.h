#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/result.h"
#include "core/timelapse/series_schedule.h"
#include "core/timelapse/status_text.h"

namespace vel {

class Clock;
struct Settings;

// A daily window of shots, in minutes after local midnight. One that ends
// before it starts runs past midnight and belongs to the day it starts on.
struct DailyWindow {
  int startMinute = 0;
  int endMinute = 0;
  bool operator==(const DailyWindow&) const = default;
};

// When a series may take its shots: from a start (none: at once) to a stop
// (a time, or a duration from the start; none: no end), and within daily
// windows on some days of the week (none: all day, every day). Times are
// seconds since 1970-01-01 UTC; the windows are local time, so that a
// window of 07:00-18:00 stays so across daylight-saving changes.
struct SeriesCalendar {
  std::optional<std::int64_t> startAt;
  std::optional<std::int64_t> stopAt;
  std::optional<std::int64_t> runForSeconds;
  std::vector<DailyWindow> windows;
  std::uint8_t days = kEveryDay;  // bit 0 Monday ... bit 6 Sunday

  static constexpr std::uint8_t kEveryDay = 0x7F;

  // Whether anything of it is set; without, a series goes as it always did.
  bool Any() const;
  // The series' end for a series begun at startSeconds.
  std::optional<std::int64_t> EndAt(std::int64_t startSeconds) const;
  // Whether a shot may be taken at the moment (leaving the stop aside).
  bool Allows(std::int64_t unixSeconds) const;
  // The first moment from unixSeconds on at which a window is open (the
  // moment itself when one is), looking a little over a week ahead.
  std::optional<std::int64_t> NextOpening(std::int64_t unixSeconds) const;
  // The window open at the moment or opening next, and when it opens.
  struct Opening {
    DailyWindow window;
    std::int64_t at = 0;
  };
  std::optional<Opening> NextWindow(std::int64_t unixSeconds) const;
};

// A calendar's days, windows and end on a monotonic clock: a moment's local
// time is read from the clock's wall time each time, so that the windows
// follow local time across daylight-saving changes and a clock set anew.
// The calendar must outlive it.
class CalendarSlots final : public SlotFilter {
 public:
  CalendarSlots(const SeriesCalendar& calendar, std::optional<std::int64_t> endSeconds,
                Clock& clock)
      : m_calendar(calendar), m_end(endSeconds), m_clock(clock) {}
  bool Allows(std::int64_t ms) const override;
  std::optional<std::int64_t> NextAllowed(std::int64_t ms) const override;

 private:
  std::int64_t WallSeconds(std::int64_t ms) const;

  const SeriesCalendar& m_calendar;
  std::optional<std::int64_t> m_end;
  Clock& m_clock;
};

// The schedule's settings of the profile, read; a failure names the
// setting and what it should look like. The series' start and stop are
// read as ParseMoment reads them, from
// settings. nowSeconds places a bare "HH:MM".
ResultOf<SeriesCalendar> ReadCalendar(const Settings& settings, std::int64_t nowSeconds);

// The texts of the schedule's settings: "2026-12-24 18:00[:SS]" (or "HH:MM"
// for the next such time after nowSeconds), "36h", "90m", "1h30m", "45s" or
// plain seconds, "07:00-18:00" (several with commas), "mon-fri" or
// "mon,wed,sat".
ResultOf<std::int64_t> ParseMoment(std::string_view text, std::int64_t nowSeconds);
ResultOf<std::int64_t> ParseDuration(std::string_view text);
ResultOf<std::vector<DailyWindow>> ParseWindows(std::string_view text);
ResultOf<std::uint8_t> ParseDays(std::string_view text);
// The days as the setting writes them, "mon,wed,sat" (ParseDays reads it
// back); "" for all seven.
std::string DaysSetting(std::uint8_t days);
// The text without the blanks around it.
std::string_view Trim(std::string_view text);

// "07:00-18:00", "Monday", "2026-12-24 18:00".
std::string WindowText(const DailyWindow& window);
std::string WeekdayName(int weekday);
std::string MomentText(std::int64_t unixSeconds);
// The schedule for the series' log: "schedule from 2026-12-08 05:30 until
// 2026-12-24 18:00, 07:00-18:00 on Mon Tue Wed Thu Fri".
std::string ScheduleLogText(const SeriesCalendar& calendar, std::optional<std::int64_t> end);

}  // namespace vel
