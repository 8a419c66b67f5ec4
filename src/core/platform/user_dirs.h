#pragma once

#include <string>

namespace vel {

// Where the program keeps its profile.
struct ProfileLocation {
  // The profile written at exit, and read at start once it exists.
  std::string path;
  // What is read at start instead while path does not exist yet, so that
  // settings kept elsewhere before come over once; empty when nothing is.
  std::string firstReadFrom;
  // Why the profile is where it is, for the help and the About page; empty
  // where there is no choice.
  std::string note;
};

// The profile of the program named appName ("velorantica"). On Linux
// velorantica.ini in $XDG_CONFIG_HOME (default ~/.config). On Windows
// velorantica.INI in the Windows directory when this user may write it (a
// new file in the folder, and the file itself when it is there), else
// velorantica.ini in %APPDATA%\Velorantica: today's Windows lets only
// administrators write the Windows directory. The settings of the Windows
// directory's file (or of the per-user copy an older program's writes went
// to) are then read while the user's own file is missing.
ProfileLocation LocateProfile(const std::string& appName);

// The path of LocateProfile(appName).
std::string ProfilePath(const std::string& appName);

// The file to read the profile from now: its path once that exists, else
// the one it is first read from.
std::string ProfileSource(const ProfileLocation& location);

// Where the logs of the time-lapse series go: on Linux
// $XDG_STATE_HOME/velorantica (default ~/.local/state/velorantica), on
// Windows %LOCALAPPDATA%\velorantica.
std::string SeriesLogFolder(const std::string& appName);

// Where copied pictures go by default: "C:\\" on Windows; the user's pictures
// folder (XDG_PICTURES_DIR, else ~/Pictures), else the home folder, on Linux.
std::string DefaultDestinationFolder();

}  // namespace vel
