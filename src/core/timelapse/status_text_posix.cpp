#include <time.h>

#include "core/timelapse/status_text.h"

namespace vel {

LocalTime CurrentLocalTime() {
  return LocalTimeAt(::time(nullptr));
}

LocalTime LocalTimeAt(std::int64_t unixSeconds) {
  const time_t moment = static_cast<time_t>(unixSeconds);
  struct tm parts {};
  ::localtime_r(&moment, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::optional<std::int64_t> UnixSecondsAt(const LocalTime& time) {
  struct tm parts {};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  parts.tm_isdst = -1;
  const time_t moment = ::mktime(&parts);
  if (moment == static_cast<time_t>(-1))
    return std::nullopt;
  return static_cast<std::int64_t>(moment);
}

}  // namespace vel
