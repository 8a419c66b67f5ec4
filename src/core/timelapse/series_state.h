#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/app/settings.h"
#include "core/platform/result.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/series_schedule.h"

namespace vel {

// What it takes to go on with a series after the program or the machine
// stopped in its middle (a power cut, a kill): the settings in force, its
// grid on the wall clock, its counts, its log, the picture stored last and
// the destination volume and camera's drive it keeps to.
// It lies beside the series' log and is written anew, in one step, after
// every shot.
struct SeriesState {
  Settings settings;
  std::string logPath;
  bool running = false;
  std::int64_t anchorWallMs = 0;  // the grid's slot 0 (or the end of the first shot)
  std::int64_t nextSlot = 0;
  bool scheduled = false;
  std::optional<std::int64_t> endWallSeconds;  // the schedule's end
  SeriesSchedule::Counts counts;
  std::int64_t lastShotWallMs = 0;  // when the last shot began
  std::string lastStored;           // the name the picture copied last got
  SeriesTransfer transfer;          // the destination's volume and the drive copied from
};

// The state's file for a log: "series-....state" beside "series-....log".
std::string SeriesStatePath(const std::string& logPath);

Result WriteSeriesState(const std::string& path, const SeriesState& state);
ResultOf<SeriesState> ReadSeriesState(const std::string& path);

// The newest state in the folder of series that was still running when the
// program stopped; none when there is no such series.
std::optional<std::string> LastRunningSeriesState(const std::string& logFolder);

// The window's question at its start about such a series: "A time-lapse
// series was running until 2026-12-07 10:15 (picture 12 of 40 taken).
// Continue it?", the time being that of its last shot, in local time.
std::string ResumeQuestion(const SeriesState& state);

}  // namespace vel
