#pragma once

#include <optional>
#include <string>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/platform/result.h"
#include "core/timelapse/series_state.h"

namespace vel {
class EndSignals;
}

namespace cli {

// Runs the core's time-lapse series on an open port (a new one, or the one
// resumed goes on with), waiting for its shots in a plain loop and showing
// its progress on standard output, and on a status page at serve when it is
// not empty. Returns the exit status: 1 when a shot or a copy failed, the
// series was ended at once or the page cannot be served, else 0.
int RunSeries(const vel::Settings& settings, const std::string& cardDevice,
              const std::string& serve, vel::CComPort& port, vel::EndSignals& signals,
              const vel::SeriesState* resumed = nullptr);

// The plan of a new series of the settings, one line each on standard output.
void PrintPlan(const vel::Settings& settings);

// The state of the series to go on with: the one of statePath, or (empty)
// the one that was running last in the series' log folder; none when that
// series ended, or none was running.
vel::ResultOf<std::optional<vel::SeriesState>> SeriesToResume(const std::string& statePath);

// Why the series of these settings cannot start; empty when it can.
std::string SeriesRefusal(const vel::Settings& settings);

}  // namespace cli
