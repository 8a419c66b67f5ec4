#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vel {

enum class SeriesPhase {
  Idle,     // no series has run yet
  Running,  // shots are to come, or one is under way
  Ended,    // the series run last is over
};

// Where a series stands, taken at one moment, for a page that shows it
// elsewhere (another thread, another device). Clock times are local wall
// time, to the second; countdowns are counted from the moment it was taken.
struct SeriesStatus {
  std::string model;  // "QV-4000"
  SeriesPhase phase = SeriesPhase::Idle;
  std::string statusText;   // the status line: a shot's step, Doze, Idle
  std::uint32_t shot = 0;   // the shot under way or taken last
  std::uint32_t count = 0;  // 0 for an endless series
  std::uint32_t failedShots = 0;
  std::uint32_t failedCopies = 0;
  std::uint32_t missedFrames = 0;  // grid points passed without a shot
  // The next shot: when ("07.06.2003 14:32:10") and in how many
  // milliseconds; none when no shot is to come or the grid is not laid yet.
  std::optional<std::int64_t> nextShotInMs;
  std::string nextShotTime;
  bool backToBack = false;  // each shot follows the one before: nothing to count down
  std::string plannedEnd;   // the last shot's time; empty when unknown
  std::string nextWindow;   // the schedule's next window of shots; empty when none
  // The picture stored last and its thumbnail; empty when there is none.
  std::string picturePath;
  std::string thumbnailPath;
  std::uint32_t pictureShot = 0;      // the shot that took it
  std::vector<std::string> logLines;  // the series log's last lines, oldest first
};

}  // namespace vel
