#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vel {

struct Settings;

// What a series of the settings will do, told before its Start: how many
// shots its schedule gives and when the first and the last are due, whether
// the destination has room for their pictures, and whether one shot with its
// copy and program fits into the interval.
struct SeriesPlan {
  std::optional<std::uint32_t> shots;                     // none: endless
  std::optional<std::int64_t> firstSeconds, lastSeconds;  // wall clock, seconds
  std::uint64_t pictureBytes = 0;
  bool pictureBytesKnown = false;          // else a camera's largest picture is assumed
  std::optional<std::uint64_t> freeBytes;  // at the destination, when copying
  std::uint32_t shotMs = 0;
  bool shotMeasured = false;  // else estimated from the delays
  std::uint32_t intervalMs = 0;
  std::string refusal;  // why the series would not start at all

  // The plan as lines for the page or the terminal, warnings first marked.
  std::vector<std::string> Lines() const;
};

// What the last shot of a series took and the size of its stored picture,
// when known.
struct ShotMeasure {
  std::optional<std::uint32_t> shotMs;
  std::optional<std::uint64_t> pictureBytes;
};

// The bytes of a camera's largest picture (a QV-5700's finest JPEG), assumed
// when no picture was stored yet.
inline constexpr std::uint64_t kLargestPictureBytes = 3'000'000;

// The plan of the settings at the moment nowWallMs; lastShot from the series
// run before, if any.
SeriesPlan PlanSeries(const Settings& settings, std::int64_t nowWallMs,
                      const ShotMeasure& lastShot);

}  // namespace vel
