#pragma once

#include "cli/options.h"

namespace cli {

// Each command on the settings of this run; the result is the exit status.
int ListPorts();
int PressKey(const Invocation& run, const vel::Settings& settings);
int SwitchUsbRec(const Invocation& run, const vel::Settings& settings);
int Series(const Invocation& run, const vel::Settings& settings);

}  // namespace cli
