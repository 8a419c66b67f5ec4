#include "gui/app/camera_app.h"

#include <cstdio>

#include "core/app/ini_profile.h"
#include "core/platform/user_dirs.h"
#include "gui/app/camera_sheet.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"

std::string CCameraApp::ProfileFile() {
  return vel::ProfilePath(fw::AppName().toStdString());
}

int CCameraApp::InitInstance() {
  const std::string path = ProfileFile();
  vel::IniProfile profile;
  if (vel::Result read = vel::IniProfile::Load(path, profile); !read)
    std::fprintf(stderr, "velorantica: cannot read %s: %s\n", path.c_str(), read.Text().c_str());
  theSettings = vel::LoadSettings(profile);
  SendSwitchRelease = vel::DeriveSendSwitchRelease(Model);

  CCameraSheet sheet;
  sheet.DoModal();

  // Read the file again so that whatever was added to it meanwhile stays; a
  // file that exists but cannot be read is not overwritten.
  if (vel::Result read = vel::IniProfile::Load(path, profile); !read) {
    std::fprintf(stderr, "velorantica: settings not saved, cannot read %s: %s\n", path.c_str(),
                 read.Text().c_str());
    return 0;
  }
  vel::SaveSettings(theSettings, profile);
  if (vel::Result saved = profile.Save(path); !saved)
    std::fprintf(stderr, "velorantica: cannot save the settings to %s: %s\n", path.c_str(),
                 saved.Text().c_str());
  return 0;
}
