#include "gui/app/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// The project's version, as the build knows it.
constexpr std::string_view kVersionText = "velorantica " VELORANTICA_VERSION "\n";

constexpr std::string_view kHelpText =
    "Usage: velorantica [Qt options]\n"
    "\n"
    "Remote-controls a Casio QV camera (QV-2000UX to QV-8000SX) through its\n"
    "remote cable on a serial port, and takes time-lapse series with it: the\n"
    "camera's keys on the Direct Control page, the series on the Time Lapse\n"
    "page, the serial port and the camera model on the Config page.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this text and exit\n"
    "  --version      print the version and exit\n"
    "Any other option goes to Qt (for example -platform offscreen).\n"
    "\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/velorantica.ini (default ~/.config/velorantica.ini)\n"
    "      the settings, read at start and written at exit\n"
    "  $XDG_STATE_HOME/velorantica/ (default ~/.local/state/velorantica/)\n"
    "      one log per time-lapse series\n"
    "\n"
    "The serial port needs write access: on Debian and most distributions,\n"
    "membership of the group that owns the device (usually dialout).\n";

struct InfoOption {
  std::string_view name;
  std::string_view text;
};

constexpr InfoOption kInfoOptions[] = {
    {"--help", kHelpText},
    {"-h", kHelpText},
    {"--version", kVersionText},
};

}  // namespace

std::optional<int> AnswerInfoOptions(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    for (const InfoOption& option : kInfoOptions) {
      if (argv[i] == option.name) {
        std::fwrite(option.text.data(), 1, option.text.size(), stdout);
        if (std::fflush(stdout) == 0 && !std::ferror(stdout))
          return 0;
        // A full disk or a closed pipe: what was asked for did not arrive.
        std::fprintf(stderr, "velorantica: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return 1;
      }
    }
  }
  return std::nullopt;
}
