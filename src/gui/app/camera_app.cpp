#include "gui/app/camera_app.h"

#include <cstdio>

#include "core/app/ini_profile.h"
#include "core/platform/user_dirs.h"
#include "core/timelapse/series_log.h"
#include "gui/app/camera_sheet.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"

namespace {

std::string NotRead(const std::string& path, const vel::Result& failure) {
  return "The settings file " + path + " cannot be read: " + failure.Text() +
         "\n\nThe program starts with the default settings and leaves the file as it is.";
}

std::string NotSaved(const std::string& path, const vel::Result& failure) {
  return "The settings cannot be saved to " + path + ": " + failure.Text();
}

// On standard error the first line, in the box the whole text.
void Report(const std::string& text) {
  std::fprintf(stderr, "velorantica: %s\n", text.substr(0, text.find('\n')).c_str());
  fw::MessageBox(nullptr, text, fw::ProgramCaption(), fw::BoxIcon::Error);
}

}  // namespace

vel::ProfileLocation CCameraApp::Profile() {
  return vel::LocateProfile(fw::AppName());
}

bool CCameraApp::LoadSettings(const std::string& path) {
  vel::IniProfile profile;
  const vel::Result read = vel::IniProfile::Load(path, profile);
  if (!read)
    Report(NotRead(path, read));
  theSettings = vel::LoadSettings(profile);
  return read.Ok();
}

// The file is read again so that whatever was added to it meanwhile stays; a
// file that exists but cannot be read is not overwritten.
int CCameraApp::SaveSettings(const std::string& path, const std::string& source) {
  vel::IniProfile profile;
  vel::Result done = vel::IniProfile::Load(source, profile);
  if (done) {
    vel::SaveSettings(theSettings, profile);
    done = profile.Save(path);
  }
  if (done)
    return 0;
  Report(NotSaved(path, done));
  return 1;
}

int CCameraApp::InitInstance() {
  const vel::ProfileLocation profile = Profile();
  const bool loaded = LoadSettings(vel::ProfileSource(profile));
  CCameraSheet sheet;
  sheet.OfferResume(vel::SeriesLogFolder(std::string(vel::kSeriesLogProgram)));
  sheet.DoModal();
  return loaded ? SaveSettings(profile.path, vel::ProfileSource(profile)) : 0;
}
