#include "cli/commands.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "cli/serial_line.h"
#include "cli/series.h"
#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/direct/direct_pages.h"
#include "core/platform/clock.h"
#include "core/platform/end_signals.h"
#include "core/timelapse/shot_plan.h"

namespace cli {
namespace {

bool SameWords(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

void Complain(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kProgramName, text.c_str());
}

std::string CameraName(const vel::Settings& settings) {
  return std::string(vel::ModelName(settings.Model)) + " (model " +
         std::to_string(vel::EffectiveModel(settings.Model)) + ")";
}

// Opens the port of the settings; false after telling why.
bool Open(vel::CComPort& port, const Invocation& run, const vel::Settings& settings) {
  const vel::Result opened = OpenCameraPort(port, settings.ComPort, run.profile);
  if (!opened)
    std::fprintf(stderr, "%s", opened.Text().c_str());
  return opened.Ok();
}

// Why --exposure or --drive cannot be used with the model; empty when it can.
std::string ModeRefusal(const Invocation& run, const vel::Settings& settings) {
  if ((run.exposureGiven || run.driveGiven) && !vel::TakesModeBytes(settings.Model))
    return "the " + CameraName(settings) +
           " takes no exposure or drive mode; only the QV-4000 and QV-5700 do.";
  return {};
}

// The modes asked for reach the camera before anything else, as the window's
// lists send theirs when its page opens.
void SendChosenModes(vel::CComPort& port, const Invocation& run, const vel::Settings& settings) {
  if (run.exposureGiven)
    vel::SendExposureMode(port, settings.ExposureMode);
  if (run.driveGiven)
    vel::SendDriveMode(port, settings.DriveMode);
}

}  // namespace

int ListPorts() {
  for (const std::string& line : PortLines()) std::printf("%s\n", line.c_str());
  return kExitOk;
}

int PressKey(const Invocation& run, const vel::Settings& settings) {
  const vel::DirectPage& page = vel::DirectPageForModel(settings.Model);
  const vel::KeyRow* key = nullptr;
  for (const vel::KeyRow& row : page.keys)
    if (SameWords(row.caption, run.keyName))
      key = &row;
  if (!key) {
    std::string names;
    for (const vel::KeyRow& row : page.keys) names += "\n  " + std::string(row.caption);
    Complain("the " + CameraName(settings) + " has no key \"" + run.keyName +
             "\". Its keys:" + names);
    return kExitUsage;
  }
  if (const std::string refusal = ModeRefusal(run, settings); !refusal.empty()) {
    Complain(refusal);
    return kExitUsage;
  }
  vel::CComPort port;
  if (!Open(port, run, settings))
    return kExitFailed;
  vel::EndSignals signals;
  SendChosenModes(port, run, settings);
  vel::SendKeyBytes(port, key->press);
  // A signal lets the key go early; it is never left held.
  signals.Wait(run.holdMs, 1);
  vel::SendKeyBytes(port, key->release);
  return port.IsLost() ? kExitFailed : kExitOk;
}

int SwitchUsbRec(const Invocation& run, const vel::Settings& settings) {
  if (!vel::HasUsbSwitch(settings.Model)) {
    Complain("the " + CameraName(settings) + " has no REC/USB switch this program uses.");
    return kExitUsage;
  }
  vel::CComPort port;
  if (!Open(port, run, settings))
    return kExitFailed;
  vel::EndSignals signals;
  const vel::Result switched =
      vel::SwitchUsbRec(port, vel::SteadyClock(), vel::SwitchSettings::Of(settings));
  return switched ? kExitOk : kExitFailed;
}

namespace {

int ResumeSeries(const Invocation& run) {
  const vel::ResultOf<std::optional<vel::SeriesState>> found = SeriesToResume(run.resumeState);
  if (!found) {
    Complain(found.Text());
    return kExitFailed;
  }
  if (!found.Value()) {
    std::printf("No series to go on with: none was running when the program stopped%s.\n",
                run.resumeState.empty() ? "" : (" (" + run.resumeState + ")").c_str());
    return kExitOk;
  }
  const vel::SeriesState& state = *found.Value();
  vel::Settings settings = state.settings;
  run.ApplyTo(settings);  // the port and the card device only
  vel::CComPort port;
  if (!Open(port, run, settings))
    return kExitFailed;
  vel::EndSignals signals;
  return RunSeries(settings, run.cardDevice, run.serve, port, signals, &state);
}

}  // namespace

int Series(const Invocation& run, const vel::Settings& settings) {
  if (run.resume)
    return ResumeSeries(run);
  std::string refusal = ModeRefusal(run, settings);
  // A copy without a folder would land in the root folder.
  if (refusal.empty() && settings.CopyFile != 0 && vel::HasUsbSwitch(settings.Model) &&
      settings.DestFileDir.empty())
    refusal = "the copy has no destination folder: give --copy DIR";
  if (refusal.empty())
    refusal = SeriesRefusal(settings);
  if (!refusal.empty()) {
    Complain(refusal);
    return kExitUsage;
  }
  PrintPlan(settings);
  if (run.dryRun)
    return kExitOk;
  vel::CComPort port;
  if (!Open(port, run, settings))
    return kExitFailed;
  vel::EndSignals signals;
  SendChosenModes(port, run, settings);
  return RunSeries(settings, run.cardDevice, run.serve, port, signals);
}

}  // namespace cli
