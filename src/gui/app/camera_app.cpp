#include "gui/app/camera_app.h"

#include <cstdio>

#include "core/app/ini_profile.h"
#include "core/platform/user_dirs.h"
#include "gui/app/camera_sheet.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"

namespace {

const QString kNotRead = QStringLiteral(
    "The settings file %1 cannot be read: %2\n\n"
    "The program starts with the default settings and leaves the file as it is.");
const QString kNotSaved = QStringLiteral("The settings cannot be saved to %1: %2");

void Report(const QString& format, const std::string& path, const vel::Result& failure) {
  const QString text =
      format.arg(QString::fromStdString(path), QString::fromStdString(failure.Text()));
  std::fprintf(stderr, "velorantica: %s\n",
               text.section(QLatin1Char('\n'), 0, 0).toLocal8Bit().data());
  fw::MessageBox(nullptr, text, fw::ProgramCaption(), fw::BoxIcon::Error);
}

}  // namespace

vel::ProfileLocation CCameraApp::Profile() {
  return vel::LocateProfile(fw::AppName().toStdString());
}

bool CCameraApp::LoadSettings(const std::string& path) {
  vel::IniProfile profile;
  const vel::Result read = vel::IniProfile::Load(path, profile);
  if (!read)
    Report(kNotRead, path, read);
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
  Report(kNotSaved, path, done);
  return 1;
}

int CCameraApp::InitInstance() {
  const vel::ProfileLocation profile = Profile();
  const bool loaded = LoadSettings(vel::ProfileSource(profile));
  CCameraSheet sheet;
  sheet.DoModal();
  return loaded ? SaveSettings(profile.path, vel::ProfileSource(profile)) : 0;
}
