#include <windows.h>

#include <ctime>

#include "core/timelapse/local_time_parts.h"

namespace vel {

LocalTime CurrentLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

LocalTime LocalTimeAt(std::int64_t unixSeconds) {
  const __time64_t moment = unixSeconds;
  std::tm parts{};
  ::_localtime64_s(&parts, &moment);
  return FromParts(parts);
}

std::optional<std::int64_t> UnixSecondsAt(const LocalTime& time) {
  std::tm parts = ToParts(time);
  const __time64_t moment = ::_mktime64(&parts);
  if (moment == -1)
    return std::nullopt;
  return static_cast<std::int64_t>(moment);
}

}  // namespace vel
