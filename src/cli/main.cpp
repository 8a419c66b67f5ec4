// velorantica-cli: the camera control and the time-lapse series of
// Velorantica without a display, on the settings of the window's profile.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/commands.h"
#include "cli/movie.h"
#include "cli/terminal.h"
#include "core/app/ini_profile.h"
#include "core/platform/files.h"
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

// Where the settings come from, for the help.
std::string ProfileLines(const vel::ProfileLocation& window) {
  std::string text = "\nThe settings come from the window's profile, " + window.path;
  if (!window.note.empty())
    text += "\n(" + window.note + ")";
  return text + ",\nor from the FILE of --profile.\n";
}

}  // namespace

int main(int argc, char** argv) {
  cli::PrepareOutput();
  const std::vector<std::string> arguments = cli::ProgramArguments(argc, argv);
  std::vector<const char*> words;
  for (const std::string& argument : arguments) words.push_back(argument.c_str());
  std::string error;
  std::optional<cli::Invocation> run =
      cli::ParseCommandLine(static_cast<int>(words.size()), words.data(), error);
  if (!run)
    return Usage(error);
  if (run->version) {
    std::printf("%s %s\n", cli::kProgramName, VELORANTICA_VERSION);
    return Flushed(cli::kExitOk, "version");
  }
  const vel::ProfileLocation window = vel::LocateProfile("velorantica");
  if (run->help) {
    std::printf("%s%s", cli::HelpText(run->command).c_str(), ProfileLines(window).c_str());
    return Flushed(cli::kExitOk, "help");
  }
  if (run->command == cli::Command::Ports)
    return Flushed(cli::ListPorts(), "port list");
  if (run->command == cli::Command::Movie)
    return cli::MakeMovie(*run);

  // An explicit profile must be there; the window's may be missing (defaults).
  std::string source = run->profile;
  if (run->profile.empty())
    run->profile = window.path, source = vel::ProfileSource(window);
  else if (!vel::IsRegularFile(run->profile))
    return Usage("no profile " + run->profile);
  vel::IniProfile profile;
  if (const vel::Result loaded = vel::IniProfile::Load(source, profile); !loaded) {
    std::fprintf(stderr, "%s: cannot read the profile %s: %s\n", cli::kProgramName, source.c_str(),
                 loaded.Text().c_str());
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
