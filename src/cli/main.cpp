// velorantica-cli: the camera control and the time-lapse series of
// Velorantica without a display, on the settings of the window's profile.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/commands.h"
#include "cli/movie.h"
#include "core/app/ini_profile.h"
#include "core/platform/user_dirs.h"

#ifndef VELORANTICA_VERSION
#define VELORANTICA_VERSION "unknown"
#endif

namespace {

int Usage(const std::string& error) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", cli::kProgramName, error.c_str(),
               cli::kProgramName);
  return cli::kExitUsage;
}

// What was printed must have reached standard output: a full disk or a
// closed pipe is a failure, not a silent success.
int Flushed(int status, const char* what) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout))
    return status;
  std::fprintf(stderr, "%s: cannot write the %s to standard output: %s\n", cli::kProgramName, what,
               std::strerror(errno));
  return cli::kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  std::optional<cli::Invocation> run = cli::ParseCommandLine(argc, argv, error);
  if (!run)
    return Usage(error);
  if (run->version) {
    std::printf("%s %s\n", cli::kProgramName, VELORANTICA_VERSION);
    return Flushed(cli::kExitOk, "version");
  }
  if (run->help) {
    std::printf("%s", cli::HelpText(run->command).c_str());
    return Flushed(cli::kExitOk, "help");
  }
  if (run->command == cli::Command::Ports)
    return Flushed(cli::ListPorts(), "port list");
  if (run->command == cli::Command::Movie)
    return cli::MakeMovie(*run);

  // An explicit profile must be there; the window's may be missing (defaults).
  if (run->profile.empty())
    run->profile = vel::ProfilePath("velorantica");
  else if (std::error_code ignored; !std::filesystem::is_regular_file(run->profile, ignored))
    return Usage("no profile " + run->profile);
  vel::IniProfile profile;
  if (const vel::Result loaded = vel::IniProfile::Load(run->profile, profile); !loaded) {
    std::fprintf(stderr, "%s: cannot read the profile %s: %s\n", cli::kProgramName,
                 run->profile.c_str(), loaded.Text().c_str());
    return cli::kExitFailed;
  }
  vel::Settings settings = vel::LoadSettings(profile);
  run->ApplyTo(settings);
  switch (run->command) {
    case cli::Command::Key:
      return cli::PressKey(*run, settings);
    case cli::Command::Switch:
      return cli::SwitchUsbRec(*run, settings);
    default:
      return cli::Series(*run, settings);
  }
}
