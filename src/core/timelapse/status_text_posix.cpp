#include <time.h>

#include "core/timelapse/local_time_parts.h"

namespace vel {

LocalTime CurrentLocalTime() {
  return LocalTimeAt(::time(nullptr));
}

LocalTime LocalTimeAt(std::int64_t unixSeconds) {
  const time_t moment = static_cast<time_t>(unixSeconds);
  std::tm parts{};
  ::localtime_r(&moment, &parts);
  return FromParts(parts);
}

std::optional<std::int64_t> UnixSecondsAt(const LocalTime& time) {
  std::tm parts = ToParts(time);
  const time_t moment = ::mktime(&parts);
  if (moment == static_cast<time_t>(-1))
    return std::nullopt;
  return static_cast<std::int64_t>(moment);
}

}  // namespace vel
