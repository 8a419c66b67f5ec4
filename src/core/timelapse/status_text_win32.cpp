#include <windows.h>

#include <ctime>

#include "core/timelapse/status_text.h"

namespace vel {

LocalTime CurrentLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

LocalTime LocalTimeAt(std::int64_t unixSeconds) {
  const __time64_t moment = unixSeconds;
  struct tm parts {};
  ::_localtime64_s(&parts, &moment);
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
  const __time64_t moment = ::_mktime64(&parts);
  if (moment == -1)
    return std::nullopt;
  return static_cast<std::int64_t>(moment);
}

}  // namespace vel
