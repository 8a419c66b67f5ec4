#pragma once

#include <string>

#include "core/app/settings.h"
#include "core/camera/com_port.h"

namespace vel {
class EndSignals;
}

namespace cli {

// Runs the core's time-lapse series on an open port, waiting for its shots
// in a plain loop and showing its progress on standard output. Returns the exit status: 1 when a
// shot or a copy failed or the series was ended at once, else 0.
int RunSeries(const vel::Settings& settings, const std::string& cardDevice, vel::CComPort& port,
              vel::EndSignals& signals);

// Why the series of these settings cannot start; empty when it can.
std::string SeriesRefusal(const vel::Settings& settings);

}  // namespace cli
