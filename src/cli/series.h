#pragma once

#include <string>

#include "core/app/settings.h"
#include "core/camera/com_port.h"

namespace cli {

class EndSignals;

// Runs a time-lapse series on an open port as the window's Time Lapse page
// does, with the same shot plans, grid, copy, log and time limits for the
// external program, in a plain loop. Returns the exit status: 1 when a shot
// or a copy failed or the series was ended at once, else 0.
int RunSeries(const vel::Settings& settings, const std::string& cardDevice, vel::CComPort& port,
              EndSignals& signals);

// Why the series of these settings cannot start; empty when it can.
std::string SeriesRefusal(const vel::Settings& settings);

}  // namespace cli
