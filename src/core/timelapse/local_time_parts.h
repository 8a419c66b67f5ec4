#pragma once

#include <ctime>

#include "core/timelapse/status_text.h"

namespace vel {

// A local time to and from the C runtime's broken-down time, which both
// systems' conversions take; the daylight-saving flag is left for mktime to
// work out.
inline LocalTime FromParts(const std::tm& parts) {
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

inline std::tm ToParts(const LocalTime& time) {
  std::tm parts{};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  parts.tm_isdst = -1;
  return parts;
}

}  // namespace vel
