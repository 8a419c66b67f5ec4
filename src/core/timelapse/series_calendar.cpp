#include "core/timelapse/series_calendar.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "core/app/settings.h"
#include "core/platform/clock.h"

namespace vel {
namespace {

constexpr int kMinutesPerDay = 24 * 60;
constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;
// A window opens at the latest a week after a moment; a day more covers a
// window begun the day before and a daylight-saving change.
constexpr int kDaysAhead = 9;

constexpr std::array<std::string_view, 7> kDayNames = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(separator, at);
    parts.push_back(Trim(text.substr(at, end - at)));
    if (end == std::string_view::npos)
      return parts;
    at = end + 1;
  }
}

// Reads a number of digits from text at pos, within [low, high].
bool ReadNumber(std::string_view text, std::size_t& pos, std::size_t digits, int low, int high,
                int& value) {
  if (pos + digits > text.size())
    return false;
  value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9')
      return false;
    value = value * 10 + (c - '0');
  }
  pos += digits;
  return value >= low && value <= high;
}

bool ReadChar(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c)
    return false;
  ++pos;
  return true;
}

// "HH:MM" into minutes after midnight ("24:00" is midnight at the day's end).
std::optional<int> ReadClock(std::string_view text, std::size_t& pos) {
  int hour = 0, minute = 0;
  if (!ReadNumber(text, pos, 2, 0, 24, hour) || !ReadChar(text, pos, ':') ||
      !ReadNumber(text, pos, 2, 0, 59, minute) || (hour == 24 && minute != 0))
    return std::nullopt;
  return hour * 60 + minute;
}

int DayOf(std::string_view name) {
  for (std::size_t day = 0; day < kDayNames.size(); ++day) {
    const std::string_view full = kDayNames[day];
    if (name.size() >= 3 && name.size() <= full.size() &&
        std::equal(name.begin(), name.end(), full.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        }))
      return static_cast<int>(day);
  }
  return -1;
}

Result Refused(std::string_view what, std::string_view text, std::string_view advice) {
  return Result::Failure("Cannot read " + std::string(what) + " \"" + std::string(text) +
                         "\": " + std::string(advice) + ".");
}

// Local midnight of the day that many days after the moment's day.
std::optional<std::int64_t> Midnight(std::int64_t unixSeconds, int daysAfter) {
  LocalTime day = LocalTimeAt(unixSeconds);
  day.day += daysAfter;
  day.hour = day.minute = day.second = 0;
  return UnixSecondsAt(day);  // the system carries a day past the month's end over
}

// When window opens and closes on the day of midnight, by the local clock.
struct Span {
  std::int64_t open;
  std::int64_t close;
};
std::optional<Span> SpanOn(const DailyWindow& window, std::int64_t midnight) {
  LocalTime open = LocalTimeAt(midnight);
  LocalTime close = open;
  open.hour = window.startMinute / 60;
  open.minute = window.startMinute % 60;
  const int end =
      window.endMinute > window.startMinute ? window.endMinute : window.endMinute + kMinutesPerDay;
  close.day += end / kMinutesPerDay;
  close.hour = (end % kMinutesPerDay) / 60;
  close.minute = end % 60;
  const auto from = UnixSecondsAt(open), to = UnixSecondsAt(close);
  if (!from || !to)
    return std::nullopt;
  return Span{*from, *to};
}

}  // namespace

bool SeriesCalendar::Any() const {
  return startAt || stopAt || runForSeconds || !windows.empty() || days != kEveryDay;
}

std::optional<std::int64_t> SeriesCalendar::EndAt(std::int64_t startSeconds) const {
  std::optional<std::int64_t> end = stopAt;
  if (runForSeconds)
    end = std::min(end.value_or(INT64_MAX), startSeconds + *runForSeconds);
  return end;
}

std::optional<SeriesCalendar::Opening> SeriesCalendar::NextWindow(std::int64_t unixSeconds) const {
  const std::vector<DailyWindow> allDay = {{0, kMinutesPerDay}};
  const std::vector<DailyWindow>& open = windows.empty() ? allDay : windows;
  std::optional<Opening> best;
  for (int day = -1; day <= kDaysAhead; ++day) {
    const std::optional<std::int64_t> midnight = Midnight(unixSeconds, day);
    if (!midnight || !(days & (1u << Weekday(LocalTimeAt(*midnight)))))
      continue;
    for (const DailyWindow& window : open) {
      const std::optional<Span> span = SpanOn(window, *midnight);
      if (!span || span->close <= unixSeconds)
        continue;
      const std::int64_t at = std::max(span->open, unixSeconds);
      if (!best || at < best->at)
        best = Opening{window, at};
    }
    if (best && best->at == unixSeconds)
      break;
  }
  return best;
}

std::optional<std::int64_t> SeriesCalendar::NextOpening(std::int64_t unixSeconds) const {
  const std::optional<Opening> next = NextWindow(unixSeconds);
  return next ? std::optional<std::int64_t>(next->at) : std::nullopt;
}

bool SeriesCalendar::Allows(std::int64_t unixSeconds) const {
  return NextOpening(unixSeconds) == unixSeconds;
}

bool CalendarSlots::Allows(std::int64_t ms) const {
  const std::int64_t wall = WallSeconds(ms);
  return (!m_end || wall < *m_end) && m_calendar.Allows(wall);
}

std::optional<std::int64_t> CalendarSlots::NextAllowed(std::int64_t ms) const {
  const std::optional<std::int64_t> open = m_calendar.NextOpening(WallSeconds(ms));
  if (!open || (m_end && *open >= *m_end))
    return std::nullopt;
  return std::max(ms, m_clock.NowMs() + (*open * 1000 - m_clock.WallMs()));
}

std::int64_t CalendarSlots::WallSeconds(std::int64_t ms) const {
  const std::int64_t wallMs = m_clock.WallMs() + (ms - m_clock.NowMs());
  return wallMs / 1000 - (wallMs % 1000 < 0 ? 1 : 0);
}

ResultOf<std::int64_t> ParseMoment(std::string_view text, std::int64_t nowSeconds) {
  text = Trim(text);
  std::size_t pos = 0;
  LocalTime time;
  const bool clockOnly = text.size() == 5;
  if (clockOnly) {
    const std::optional<int> minutes = ReadClock(text, pos);
    if (!minutes || *minutes == kMinutesPerDay)
      return Refused("the time", text, "write it as HH:MM");
    time = LocalTimeAt(nowSeconds);
    time.hour = *minutes / 60;
    time.minute = *minutes % 60;
    time.second = 0;
  } else {
    const bool date = ReadNumber(text, pos, 4, 1970, 9999, time.year) && ReadChar(text, pos, '-') &&
                      ReadNumber(text, pos, 2, 1, 12, time.month) && ReadChar(text, pos, '-') &&
                      ReadNumber(text, pos, 2, 1, 31, time.day) && ReadChar(text, pos, ' ') &&
                      ReadNumber(text, pos, 2, 0, 23, time.hour) && ReadChar(text, pos, ':') &&
                      ReadNumber(text, pos, 2, 0, 59, time.minute);
    const bool seconds = pos == text.size() ||
                         (ReadChar(text, pos, ':') && ReadNumber(text, pos, 2, 0, 59, time.second));
    if (!date || !seconds || pos != text.size())
      return Refused("the date and time", text, "write it as YYYY-MM-DD HH:MM[:SS] or HH:MM");
  }
  std::optional<std::int64_t> moment = UnixSecondsAt(time);
  if (!moment)
    return Refused("the date and time", text, "this system cannot place it");
  if (clockOnly && *moment <= nowSeconds) {
    time.day += 1;  // the next such time is tomorrow's
    moment = UnixSecondsAt(time);
  }
  if (!moment)
    return Refused("the time", text, "this system cannot place it");
  return *moment;
}

ResultOf<std::int64_t> ParseDuration(std::string_view text) {
  text = Trim(text);
  std::int64_t total = 0;
  std::int64_t number = -1;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      number = (number < 0 ? 0 : number) * 10 + (c - '0');
      if (number > 100LL * 365 * kSecondsPerDay)
        return Refused("the duration", text, "it is too long");
      continue;
    }
    const char unit = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::int64_t scale = unit == 'd'   ? kSecondsPerDay
                               : unit == 'h' ? 3600
                               : unit == 'm' ? 60
                               : unit == 's' ? 1
                                             : 0;
    if (scale == 0 || number < 0)
      return Refused("the duration", text, "write it like 36h, 90m, 1h30m or 45s");
    total += number * scale;
    number = -1;
  }
  if (number >= 0)
    total += number;  // plain seconds
  if (text.empty() || total <= 0)
    return Refused("the duration", text, "write it like 36h, 90m, 1h30m or 45s");
  return total;
}

ResultOf<std::vector<DailyWindow>> ParseWindows(std::string_view text) {
  std::vector<DailyWindow> windows;
  if (Trim(text).empty())
    return windows;
  for (std::string_view part : Split(text, ',')) {
    std::size_t pos = 0;
    const std::optional<int> start = ReadClock(part, pos);
    const bool dash = start && ReadChar(part, pos, '-');
    const std::optional<int> end = dash ? ReadClock(part, pos) : std::nullopt;
    if (!end || pos != part.size() || *start == *end)
      return Refused("the window", part, "write it as HH:MM-HH:MM");
    windows.push_back({*start % kMinutesPerDay, *end});
  }
  return windows;
}

ResultOf<std::uint8_t> ParseDays(std::string_view text) {
  if (Trim(text).empty())
    return SeriesCalendar::kEveryDay;
  std::uint8_t days = 0;
  for (std::string_view part : Split(text, ',')) {
    const std::vector<std::string_view> range = Split(part, '-');
    const int first = DayOf(range.front());
    const int last = range.size() == 2 ? DayOf(range.back()) : first;
    if (first < 0 || last < 0 || range.size() > 2)
      return Refused("the days", part, "write them like mon-fri or mon,wed,sat");
    for (int day = first;; day = (day + 1) % 7) {
      days |= static_cast<std::uint8_t>(1u << day);
      if (day == last)
        break;
    }
  }
  return days;
}

ResultOf<SeriesCalendar> ReadCalendar(const Settings& settings, std::int64_t now) {
  SeriesCalendar calendar;
  const auto moment = [now](const std::string& text, std::optional<std::int64_t>& into) {
    if (Trim(text).empty())
      return Result::Success();
    ResultOf<std::int64_t> read = ParseMoment(text, now);
    if (read)
      into = read.Value();
    return read.Status();
  };
  if (Result read = moment(settings.ScheduleStart, calendar.startAt); !read)
    return read;
  if (Result read = moment(settings.ScheduleStop, calendar.stopAt); !read)
    return read;
  if (!Trim(settings.ScheduleFor).empty()) {
    ResultOf<std::int64_t> duration = ParseDuration(settings.ScheduleFor);
    if (!duration)
      return duration.Status();
    calendar.runForSeconds = duration.Value();
  }
  ResultOf<std::vector<DailyWindow>> windows = ParseWindows(settings.ScheduleWindows);
  if (!windows)
    return windows.Status();
  calendar.windows = std::move(windows).Value();
  ResultOf<std::uint8_t> days = ParseDays(settings.ScheduleDays);
  if (!days)
    return days.Status();
  calendar.days = days.Value();
  return calendar;
}

std::string WindowText(const DailyWindow& window) {
  char text[32];
  const int end = window.endMinute % kMinutesPerDay;
  std::snprintf(text, sizeof text, "%02d:%02d-%02d:%02d", window.startMinute / 60,
                window.startMinute % 60, end / 60, end % 60);
  return text;
}

std::string WeekdayName(int weekday) {
  return std::string(kDayNames[static_cast<std::size_t>(((weekday % 7) + 7) % 7)]);
}

std::string ScheduleLogText(const SeriesCalendar& calendar, std::optional<std::int64_t> end) {
  std::string text = "schedule";
  if (calendar.startAt)
    text += " from " + MomentText(*calendar.startAt);
  if (end)
    text += " until " + MomentText(*end);
  std::string windows;
  for (const DailyWindow& window : calendar.windows)
    windows += (windows.empty() ? "" : ", ") + WindowText(window);
  text += ", " + (windows.empty() ? std::string("all day") : windows);
  if (calendar.days == SeriesCalendar::kEveryDay)
    return text + " every day";
  text += " on";
  for (int day = 0; day < 7; ++day)
    if (calendar.days & (1u << day))
      text += " " + WeekdayName(day).substr(0, 3);
  return text;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

std::string DaysSetting(std::uint8_t days) {
  if (days == SeriesCalendar::kEveryDay)
    return {};
  std::string text;
  for (int day = 0; day < 7; ++day) {
    if (!(days & (1u << day)))
      continue;
    std::string name(kDayNames[day].substr(0, 3));
    name[0] = static_cast<char>(name[0] - 'A' + 'a');
    text += (text.empty() ? "" : ",") + name;
  }
  return text;
}

std::string MomentText(std::int64_t unixSeconds) {
  const LocalTime time = LocalTimeAt(unixSeconds);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute);
  return text;
}

}  // namespace vel
