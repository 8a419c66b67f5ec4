#pragma once

#include <string>

// The application: loads the settings, runs the main window modally and
// saves the settings again.
class CCameraApp {
 public:
  // Runs the whole program; 0 (FALSE) in every case, so the process ends
  // once the window has closed and the settings are saved.
  int InitInstance();

  // The profile this run reads and writes.
  static std::string ProfileFile();
};
