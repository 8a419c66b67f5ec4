#pragma once

#include <string>

#include "core/platform/user_dirs.h"

// The application: loads the settings, runs the main window modally and
// saves the settings again.
class CCameraApp {
 public:
  // Runs the whole program; the process's exit status: 0, or 1 when the
  // settings could not be saved.
  int InitInstance();

  // The profile this run reads and writes, and why there.
  static vel::ProfileLocation Profile();

  // Loads the settings from the profile at path. A profile that cannot be
  // read, or is no regular file (a FIFO would hang the start), gives the
  // defaults, a box naming it, and false: it is then left alone at exit.
  static bool LoadSettings(const std::string& path);

  // Writes the settings into the profile at path, keeping the rest of the
  // file at source as it is now (path itself, or the profile read instead
  // while path does not exist yet); the exit status: 0, or 1 after a box
  // saying what failed.
  static int SaveSettings(const std::string& path, const std::string& source);
};
