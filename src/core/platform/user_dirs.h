#pragma once

#include <string>

namespace vel {

// The profile of the program named appName ("velorantica"): on Linux
// velorantica.ini in $XDG_CONFIG_HOME (default ~/.config), on Windows
// velorantica.INI in the Windows directory.
std::string ProfilePath(const std::string& appName);

// Where the logs of the time-lapse series go: on Linux
// $XDG_STATE_HOME/velorantica (default ~/.local/state/velorantica), on
// Windows %LOCALAPPDATA%\velorantica.
std::string SeriesLogFolder(const std::string& appName);

// Where copied pictures go by default: "C:\\" on Windows; the user's pictures
// folder (XDG_PICTURES_DIR, else ~/Pictures), else the home folder, on Linux.
std::string DefaultDestinationFolder();

}  // namespace vel
