#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/film/film.h"

namespace cli {

inline constexpr const char* kProgramName = "velorantica-cli";

// Exit statuses: done, something failed (the port, a shot), bad usage.
enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

enum class Command { None, Ports, Key, Switch, Series, Movie };

// One run of the program as its command line asks for it. Options that stand
// for a setting are kept as edits, made on the settings read from the profile
// for this run only.
struct Invocation {
  Command command = Command::None;
  bool help = false;
  bool version = false;
  std::string profile;  // empty: the window's profile
  std::string keyName;
  std::uint32_t holdMs = 10;  // as long as a shot holds a key
  std::string cardDevice;
  // --exposure and --drive: their bytes go to the camera before the command.
  bool exposureGiven = false;
  bool driveGiven = false;
  std::string seriesLog;  // movie: empty for the last series'
  vel::FilmSettings film;
  // series --resume [STATE] (empty: the series that was running last) and
  // --dry-run.
  bool resume = false;
  std::string resumeState;
  bool dryRun = false;
  std::vector<std::string> windows;  // --window, each given
  std::vector<std::string> given;    // the options' names, in order
  std::string serve;                 // where the status page listens, "ADDR:PORT"; empty: nowhere
  std::vector<std::function<void(vel::Settings&)>> edits;

  void ApplyTo(vel::Settings& settings) const {
    for (const auto& edit : edits) edit(settings);
  }
};

// The invocation of argv, or nothing with the reason in error.
std::optional<Invocation> ParseCommandLine(int argc, const char* const* argv, std::string& error);

// The help text of a command (Command::None: of the program).
std::string HelpText(Command command);

// "HH:MM:SS", "MM:SS" or plain seconds as seconds; nothing when malformed.
std::optional<std::int64_t> ParseInterval(const std::string& text);

}  // namespace cli
