#pragma once

#include <string>
#include <vector>

namespace qvsim {

struct ProgramResult {
  bool started = false;
  int exitCode = -1;   // -1 when it did not start or was killed by a signal
  std::string output;  // its standard output, when captured
};

// Runs a program without a shell and waits for it. Its standard error goes
// to ours; its standard output is captured when asked, else it goes to ours.
// It runs in a process group of its own with default signal handling, so a
// Ctrl+C meant for the simulator does not break off a mount half way.
ProgramResult RunProgram(const std::vector<std::string>& argv, bool captureOutput = false);

// The full path of a system program: searched in PATH and then in the sbin
// and bin folders, since mkfs and mount live in sbin, which a user's PATH
// may lack. Empty when not found.
std::string FindProgram(const std::string& name);

}  // namespace qvsim
