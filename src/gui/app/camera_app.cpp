#include "gui/app/camera_app.h"

#include <cstdio>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/platform/user_dirs.h"
#include "gui/app/camera_sheet.h"
#include "gui/framework/message_box.h"

std::string CCameraApp::ProfileFile() {
  return vel::ProfilePath(fw::AppName().toStdString());
}

int CCameraApp::InitInstance() {
  const std::string path = ProfileFile();
  std::string error;
  vel::LoadSettings(vel::IniProfile::Load(path, &error));
  if (!error.empty())
    std::fprintf(stderr, "velorantica: cannot read %s: %s\n", path.c_str(), error.c_str());

  CCameraSheet sheet;
  sheet.DoModal();

  // Read the file again so that whatever was added to it meanwhile stays; a
  // file that exists but cannot be read is not overwritten.
  vel::IniProfile profile = vel::IniProfile::Load(path, &error);
  if (!error.empty()) {
    std::fprintf(stderr, "velorantica: settings not saved, cannot read %s: %s\n", path.c_str(),
                 error.c_str());
    return 0;
  }
  vel::SaveSettings(profile);
  if (!profile.Save(path, &error))
    std::fprintf(stderr, "velorantica: cannot save the settings to %s: %s\n", path.c_str(),
                 error.c_str());
  return 0;
}
