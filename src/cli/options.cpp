#include "cli/options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <span>
#include <string_view>

#include "core/camera/models.h"
#include "core/direct/direct_pages.h"
#include "core/platform/clock.h"
#include "core/status/status_page.h"
#include "core/timelapse/series_calendar.h"

namespace cli {
namespace {

struct CommandEntry {
  Command command;
  std::string_view name;
  std::string_view operand;  // the word after the command, if any
  std::string_view brief;    // for the program's help
  std::string_view summary;
};

// What differs between the systems: their ports, how a series is ended from
// outside, and (POSIX) mounting the camera's drive, which Windows does itself.
#ifdef _WIN32
constexpr std::string_view kPortsSummary =
    "Lists the serial ports the system knows of, COM1 to COM256, one a line.";
constexpr std::string_view kPortHelp = "serial port: COM1..COM256 (ComPort)";
constexpr std::string_view kSeriesSummary =
    "Runs a time-lapse series: the shots on a fixed grid of the interval,\n"
    "anchored at the end of the first shot. Ctrl+C, Ctrl+Break or closing the\n"
    "console ends it after the shot under way, with the camera back in REC\n"
    "mode; a second Ctrl+C or Ctrl+Break ends it at once after letting go of\n"
    "the keys. The series log's path is printed at the start.";
#else
constexpr std::string_view kPortsSummary =
    "Lists the serial ports present, one a line: COM names with the devices\n"
    "they stand for, USB adapters, by-id links with their targets.";
constexpr std::string_view kPortHelp = "serial port: COM1..COM6 or a device path (ComPort)";
constexpr std::string_view kSeriesSummary =
    "Runs a time-lapse series: the shots on a fixed grid of the interval,\n"
    "anchored at the end of the first shot. Ctrl+C (SIGINT) or SIGTERM ends it\n"
    "after the shot under way, with the camera back in REC mode; a second one\n"
    "ends it at once after letting go of the keys. The series log's path is\n"
    "printed at the start, and the status page's addresses with --serve.";
#endif

constexpr std::array kCommands = {
    CommandEntry{Command::Ports, "ports", "", "the serial ports present", kPortsSummary},
    CommandEntry{Command::Key, "key", "NAME", "press and release one camera key",
                 "Presses and releases one camera key of the model by its caption\n"
                 "(\"Shutter\", \"Focus Lock\", \"Tele\", ...; any case)."},
    CommandEntry{Command::Switch, "switch", "", "switch the camera between REC and USB mode",
                 "Switches the camera between REC and USB mode, as the Options page's\n"
                 "REC/USB switch does."},
    CommandEntry{Command::Series, "series", "", "run a time-lapse series", kSeriesSummary},
    CommandEntry{Command::Movie, "movie", "[LOG]", "make the film of a series",
                 "Makes the film of a series with ffmpeg: the pictures it stored, in shot\n"
                 "order as its log LOG names them (default: the last series' log), one\n"
                 "frame each, into an H.264 MP4. Missing or unreadable pictures are skipped\n"
                 "and named. The film goes beside the pictures, named after the series'\n"
                 "start, and never replaces a file: it is numbered \"-2\" instead. Ctrl+C\n"
                 "ends ffmpeg and removes the partial film. Exit status: 0 made, 1 failed\n"
                 "(no ffmpeg, no frames, ffmpeg failed, cancelled), 2 bad usage."},
};

using Apply = bool (*)(Invocation&, const std::string& value, std::string& error);

constexpr unsigned Bit(Command command) {
  return 1u << static_cast<unsigned>(command);
}
constexpr unsigned kAll = ~0u;

struct OptionEntry {
  std::string_view name;
  std::string_view value;  // empty for a flag
  unsigned commands;
  std::string_view help;
  Apply apply;
};

template <typename Number>
bool ParseNumber(const std::string& text, Number& number) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, number);
  return !text.empty() && ec == std::errc() && ptr == end;
}

// A whole number of seconds from 0 to a day, for the waits of a shot.
bool ParseSeconds(const std::string& text, int& seconds, std::string& error) {
  if (ParseNumber(text, seconds) && seconds >= 0 && seconds <= 86400)
    return true;
  error = "takes whole seconds from 0 to 86400, not \"" + text + "\"";
  return false;
}

bool SameWords(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The position of an entry of names given by its text (any case) or its
// number; nothing, with the names in error, for anything else.
std::optional<int> ParseEntry(const std::string& value, std::span<const std::string_view> names,
                              std::string& error) {
  int number = -1;
  if (ParseNumber(value, number) && number >= 0 && number < static_cast<int>(names.size()))
    return number;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameWords(value, names[i]))
      return static_cast<int>(i);
  error = "takes one of these (or its number from 0), not \"" + value + "\":";
  for (std::size_t i = 0; i < names.size(); ++i)
    error += "\n  " + std::to_string(i) + " " + std::string(names[i]);
  return std::nullopt;
}

void Edit(Invocation& run, std::function<void(vel::Settings&)> edit) {
  run.edits.push_back(std::move(edit));
}

// An option that sets a number of seconds and ticks its box, or clears the
// box for 0 (--focus, --bulb).
template <int vel::Settings::*Ticked, int vel::Settings::*Seconds>
bool SecondsOrOff(Invocation& run, const std::string& value, std::string& error) {
  int seconds = 0;
  if (!ParseSeconds(value, seconds, error))
    return false;
  Edit(run, [seconds](vel::Settings& s) {
    s.*Ticked = seconds != 0;
    s.*Seconds = seconds;
  });
  return true;
}

// --size WxH with even numbers, or "original".
bool ParseFilmSize(Invocation& run, const std::string& value, std::string& error) {
  if (value == "original") {
    run.film.originalSize = true;
    return true;
  }
  const std::size_t x = value.find('x');
  vel::PictureSize& size = run.film.size;
  if (x != std::string::npos && ParseNumber(value.substr(0, x), size.width) &&
      ParseNumber(value.substr(x + 1), size.height)) {
    vel::FilmSettings asked;
    asked.size = size;
    if (size != vel::PictureSize{} && vel::FilmSettingsRefusal(asked).empty())
      return true;
  }
  error = "takes WxH with even numbers from 2 to " + std::to_string(vel::kMaxFilmSide) +
          ", or original, not \"" + value + "\"";
  return false;
}

// The core's sentence to follow an option's name.
std::string Lowered(std::string text) {
  if (!text.empty())
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// A schedule option's text, checked now with the core's own reader (so a
// typo is a usage error, not a series that never starts) and kept as text:
// a bare "HH:MM" means its next coming when the series begins.
template <auto Read, std::string vel::Settings::*Field>
bool ScheduleText(Invocation& run, const std::string& value, std::string& error) {
  if (const vel::Result read = Read(value); !read) {
    error = Lowered(read.Text());
    return false;
  }
  Edit(run, [value](vel::Settings& s) { s.*Field = value; });
  return true;
}

vel::Result ReadMoment(const std::string& text) {
  return vel::ParseMoment(text, vel::SteadyClock().WallMs() / 1000).Status();
}
vel::Result ReadDuration(const std::string& text) {
  return vel::ParseDuration(text).Status();
}
vel::Result ReadDays(const std::string& text) {
  return vel::ParseDays(text).Status();
}

constexpr std::array kOptions = {
    OptionEntry{"--port", "PATH", kAll, kPortHelp,
                [](Invocation& run, const std::string& value, std::string&) {
                  Edit(run, [value](vel::Settings& s) { s.ComPort = value; });
                  return true;
                }},
    OptionEntry{"--model", "MODEL", kAll,
                "camera model by name (any case) or number:\n"
                "0 QV-2000UX ... 7 QV-4000 ... 9 QV-8000SX (Model)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  const std::optional<int> model = ParseEntry(value, vel::ModelNames(), error);
                  if (model)
                    Edit(run, [model](vel::Settings& s) { s.Model = *model; });
                  return model.has_value();
                }},
    OptionEntry{"--profile", "FILE", kAll, "read the settings from FILE (never written)",
                [](Invocation& run, const std::string& value, std::string&) {
                  run.profile = value;
                  return true;
                }},
    OptionEntry{"--hold", "SECONDS", Bit(Command::Key), "hold the key this long (default 0.01)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  double seconds = -1;
                  if (!ParseNumber(value, seconds) || !(seconds >= 0 && seconds <= 3600)) {
                    error = "takes seconds from 0 to 3600, not \"" + value + "\"";
                    return false;
                  }
                  run.holdMs = static_cast<std::uint32_t>(std::lround(seconds * 1000));
                  return true;
                }},
    OptionEntry{"--exposure", "NAME", Bit(Command::Key) | Bit(Command::Series),
                "QV-4000/QV-5700 exposure mode by name (any\n"
                "case), \"Program AE\" say; sent first and after\n"
                "each REC/USB switch (ExposureMode)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  const std::optional<int> mode =
                      ParseEntry(value, vel::ExposureModeNames(), error);
                  if (mode)
                    Edit(run, [mode](vel::Settings& s) { s.ExposureMode = *mode; });
                  run.exposureGiven = mode.has_value();
                  return mode.has_value();
                }},
    OptionEntry{"--drive", "NAME", Bit(Command::Key) | Bit(Command::Series),
                "QV-4000/QV-5700 drive mode by name (any case),\n"
                "\"1-Image recording\" say; sent likewise (DriveMode)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  const std::optional<int> mode = ParseEntry(value, vel::DriveModeNames(), error);
                  if (mode)
                    Edit(run, [mode](vel::Settings& s) { s.DriveMode = *mode; });
                  run.driveGiven = mode.has_value();
                  return mode.has_value();
                }},
    OptionEntry{"--count", "N", Bit(Command::Series), "take N pictures (Count)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  int count = 0;
                  if (!ParseNumber(value, count) || count < 1) {
                    error = "takes a number of pictures from 1 on, not \"" + value + "\"";
                    return false;
                  }
                  Edit(run, [count](vel::Settings& s) { s.Count = count, s.Infinity = 0; });
                  return true;
                }},
    OptionEntry{"--endless", "", Bit(Command::Series), "take pictures until ended (Infinity)",
                [](Invocation& run, const std::string&, std::string&) {
                  Edit(run, [](vel::Settings& s) { s.Infinity = 1; });
                  return true;
                }},
    OptionEntry{"--interval", "TIME", Bit(Command::Series),
                "from one shot to the next: HH:MM:SS or seconds (Hour...)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  const std::optional<std::int64_t> seconds = ParseInterval(value);
                  if (!seconds) {
                    error = "takes HH:MM:SS or seconds, up to 999:59:59, not \"" + value + "\"";
                    return false;
                  }
                  const int total = static_cast<int>(*seconds);
                  Edit(run, [total](vel::Settings& s) {
                    s.Hour = total / 3600, s.Minute = total / 60 % 60, s.Second = total % 60;
                  });
                  return true;
                }},
    OptionEntry{"--start-at", "TIME", Bit(Command::Series),
                "begin at \"YYYY-MM-DD HH:MM[:SS]\", or at the next\n"
                "HH:MM (ScheduleStart)",
                ScheduleText<ReadMoment, &vel::Settings::ScheduleStart>},
    OptionEntry{"--stop-at", "TIME", Bit(Command::Series),
                "end at that time, likewise; without --count the\n"
                "series runs until then (ScheduleStop)",
                ScheduleText<ReadMoment, &vel::Settings::ScheduleStop>},
    OptionEntry{"--for", "DURATION", Bit(Command::Series),
                "end this long after the start: 36h, 90m, 1h30m,\n"
                "45s; without --count the series runs until then\n"
                "(ScheduleFor)",
                ScheduleText<ReadDuration, &vel::Settings::ScheduleFor>},
    OptionEntry{"--window", "HH:MM-HH:MM", Bit(Command::Series),
                "shoot only within this daily window (one may run\n"
                "past midnight); give it again for more windows\n"
                "(ScheduleWindows)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  if (const vel::Result read = vel::ParseWindows(value).Status(); !read) {
                    error = Lowered(read.Text());
                    return false;
                  }
                  run.windows.push_back(value);
                  return true;
                }},
    OptionEntry{"--days", "DAYS", Bit(Command::Series),
                "the days the windows apply to: mon-fri, or a list\n"
                "as mon,wed,sat (ScheduleDays)",
                ScheduleText<ReadDays, &vel::Settings::ScheduleDays>},
    OptionEntry{"--resume", "[STATE]", Bit(Command::Series),
                "go on with the series that was running when the\n"
                "program or the machine stopped (or the one of the\n"
                "state file STATE beside its log), with its own\n"
                "settings; only --port and --card-device may change",
                [](Invocation& run, const std::string& value, std::string&) {
                  run.resume = true;
                  run.resumeState = value;
                  return true;
                }},
    OptionEntry{"--dry-run", "", Bit(Command::Series),
                "print the plan of the series (its shots, when the\n"
                "last is due, the room for its pictures) and stop",
                [](Invocation& run, const std::string&, std::string&) {
                  run.dryRun = true;
                  return true;
                }},
    OptionEntry{"--focus", "SECONDS", Bit(Command::Series),
                "lock the focus this long before each shot; 0: do not (Focus)",
                SecondsOrOff<&vel::Settings::Focus, &vel::Settings::FocusSeconds>},
    OptionEntry{"--bulb", "SECONDS", Bit(Command::Series),
                "hold the shutter open this long; 0: normal shots (Bulb)",
                SecondsOrOff<&vel::Settings::Bulb, &vel::Settings::BulbSeconds>},
    OptionEntry{"--copy", "DIR", Bit(Command::Series),
                "copy each picture to DIR over the USB switch (CopyFile)",
                [](Invocation& run, const std::string& value, std::string&) {
                  Edit(run, [value](vel::Settings& s) { s.CopyFile = 1, s.DestFileDir = value; });
                  return true;
                }},
    OptionEntry{"--delete", "", Bit(Command::Series),
                "delete each copied picture on the camera (DeleteAfterCopy)",
                [](Invocation& run, const std::string&, std::string&) {
                  Edit(run, [](vel::Settings& s) { s.DeleteAfterCopy = 1; });
                  return true;
                }},
#ifndef _WIN32
    OptionEntry{"--card-device", "DEV", Bit(Command::Series),
                "the camera's block device, mounted here for the copy when no\n"
                "automounter does (udisksctl, or mount as root)",
                [](Invocation& run, const std::string& value, std::string&) {
                  run.cardDevice = value;
                  return true;
                }},
#endif
    OptionEntry{"--run", "PROGRAM", Bit(Command::Series),
                "run PROGRAM after each shot, in the folder this\n"
                "program was started in, with five arguments: the\n"
                "shot's number, the series' count, the date and\n"
                "time the shot began (07.06.2003 14:05:09), the\n"
                "name of the picture stored last (CIMG0003.JPG in\n"
                "DIR of --copy; empty before the first)\n"
                "(Command, UseExternalCommand)",
                [](Invocation& run, const std::string& value, std::string&) {
                  Edit(run,
                       [value](vel::Settings& s) { s.Command = value, s.UseExternalCommand = 1; });
                  return true;
                }},
    OptionEntry{"--fps", "N", Bit(Command::Movie), "frames per second (default 25)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  int& fps = run.film.framesPerSecond;
                  if (ParseNumber(value, fps) && fps >= 1 && fps <= vel::kMaxFramesPerSecond)
                    return true;
                  error = "takes frames per second from 1 to " +
                          std::to_string(vel::kMaxFramesPerSecond) + ", not \"" + value + "\"";
                  return false;
                }},
    OptionEntry{"--size", "WxH", Bit(Command::Movie),
                "the film's size, even numbers, or \"original\" for the pictures'\n"
                "own (default: theirs, scaled down to fit 1920x1080)",
                ParseFilmSize},
    OptionEntry{"--deflicker", "", Bit(Command::Movie),
                "even out the brightness from frame to frame",
                [](Invocation& run, const std::string&, std::string&) {
                  run.film.deflicker = true;
                  return true;
                }},
    OptionEntry{"--quality", "N", Bit(Command::Movie),
                "x264's CRF: 0 lossless to 51 worst (default 20)",
                [](Invocation& run, const std::string& value, std::string& error) {
                  int& quality = run.film.quality;
                  if (ParseNumber(value, quality) && quality >= 0 && quality <= vel::kMaxQuality)
                    return true;
                  error = "takes a CRF from 0 to 51, not \"" + value + "\"";
                  return false;
                }},
    OptionEntry{"-o", "FILE", Bit(Command::Movie), "the film's file or folder",
                [](Invocation& run, const std::string& value, std::string&) {
                  run.film.output = value;
                  return true;
                }},
    OptionEntry{"--serve", "ADDR:PORT", Bit(Command::Series),
                "serve a read-only status page of the series at ADDR:PORT\n"
                "(0.0.0.0:8080 the local network, 127.0.0.1:8080 this machine\n"
                "only); after the last shot it stays up until ended",
                [](Invocation& run, const std::string& value, std::string& error) {
                  if (const auto address = vel::ParseListenAddress(value); !address) {
                    error = address.Text();
                    return false;
                  }
                  run.serve = value;
                  return true;
                }},
};

const CommandEntry* FindCommand(std::string_view name) {
  for (const CommandEntry& entry : kCommands)
    if (entry.name == name)
      return &entry;
  return nullptr;
}

const OptionEntry* FindOption(std::string_view name, Command command) {
  for (const OptionEntry& entry : kOptions)
    if (entry.name == name && (entry.commands & Bit(command)))
      return &entry;
  return nullptr;
}

std::string OptionLines(Command command) {
  std::string text;
  for (const OptionEntry& entry : kOptions) {
    if (!(entry.commands & Bit(command)))
      continue;
    std::string head = "  " + std::string(entry.name);
    if (!entry.value.empty())
      head += " " + std::string(entry.value);
    head.resize(std::max<std::size_t>(head.size() + 2, 30), ' ');
    std::string help(entry.help);
    for (std::size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += 31)
      help.insert(at + 1, std::string(30, ' '));
    text += head + help + "\n";
  }
  return text;
}

// Takes the option at argv[i] (and its value, the next word or after "=")
// for the command.
bool TakeOption(Invocation& run, int argc, const char* const* argv, int& i, std::string& error) {
  std::string_view arg = argv[i];
  std::optional<std::string> value;
  if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
    value = std::string(arg.substr(equals + 1));
    arg = arg.substr(0, equals);
  }
  if ((arg == "--help" || arg == "-h") && !value) {
    run.help = true;
    return true;
  }
  const OptionEntry* entry = FindOption(arg, run.command);
  if (!entry) {
    error = "unknown option " + std::string(arg);
    return false;
  }
  const std::string name(arg);
  if (entry->value.empty()) {
    if (value) {
      error = name + " takes no value";
      return false;
    }
    value.emplace();
  } else if (!value && entry->value.starts_with("[")) {
    // An optional value: the next word when it is no option.
    value = i + 1 < argc && argv[i + 1][0] != '-' ? std::string(argv[++i]) : std::string();
    return entry->apply(run, *value, error);
  } else if (!value) {
    if (i + 1 >= argc) {
      error = name + " needs a value (" + std::string(entry->value) + ")";
      return false;
    }
    value = argv[++i];
  }
  // An empty path would stand for the root folder or the current one, which
  // nobody means.
  if (!entry->value.empty() && value->empty()) {
    error = name + " needs a value (" + std::string(entry->value) + "), not an empty one";
    return false;
  }
  run.given.push_back(name);
  if (entry->apply(run, *value, error))
    return true;
  error = name + " " + error;
  return false;
}

// What the options say together: the windows as one setting, the end of a
// schedule in place of the count unless one is given, and a resumed
// series' own settings kept.
bool Conclude(Invocation& run, std::string& error) {
  const auto given = [&run](std::string_view name) {
    return std::find(run.given.begin(), run.given.end(), name) != run.given.end();
  };
  if (!run.windows.empty()) {
    std::string windows;
    for (const std::string& window : run.windows) windows += (windows.empty() ? "" : ",") + window;
    Edit(run, [windows](vel::Settings& s) { s.ScheduleWindows = windows; });
  }
  if ((given("--for") || given("--stop-at")) && !given("--count"))
    Edit(run, [](vel::Settings& s) { s.Infinity = 1; });
  if (!run.resume)
    return true;
  for (const std::string& name : run.given) {
    if (name != "--port" && name != "--card-device" && name != "--profile" && name != "--resume") {
      error = name + " cannot be given with --resume: a series goes on with its own settings";
      return false;
    }
  }
  if (run.dryRun) {
    error = "--dry-run plans a new series, not one to go on with";
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::int64_t> ParseInterval(const std::string& text) {
  std::int64_t seconds = 0;
  int fields = 0;
  for (std::size_t start = 0; start <= text.size(); ++fields) {
    std::size_t end = text.find(':', start);
    if (end == std::string::npos)
      end = text.size();
    int field = 0;
    if (fields >= 3 || !ParseNumber(text.substr(start, end - start), field) || field < 0 ||
        (fields > 0 && field > 59))
      return std::nullopt;
    seconds = seconds * 60 + field;
    start = end + 1;
  }
  if (seconds > 999LL * 3600 + 59 * 60 + 59)
    return std::nullopt;
  return seconds;
}

std::optional<Invocation> ParseCommandLine(int argc, const char* const* argv, std::string& error) {
  Invocation run;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--version") {
      run.version = true;
    } else if (!arg.starts_with("-") && run.command == Command::None) {
      const CommandEntry* entry = FindCommand(arg);
      if (!entry) {
        error = "unknown command \"" + std::string(arg) + "\"";
        return std::nullopt;
      }
      run.command = entry->command;
    } else if (!arg.starts_with("-") && run.command == Command::Key && run.keyName.empty()) {
      run.keyName = arg;
    } else if (!arg.starts_with("-") && run.command == Command::Movie && run.seriesLog.empty()) {
      run.seriesLog = arg;
    } else if (!arg.starts_with("-")) {
      error = "unexpected \"" + std::string(arg) + "\"";
      return std::nullopt;
    } else if (!TakeOption(run, argc, argv, i, error)) {
      return std::nullopt;
    }
  }
  if (run.help || run.version)
    return run;
  if (run.command == Command::None)
    error = "no command given";
  else if (run.command == Command::Key && run.keyName.empty())
    error = "key needs the key's name";
  else
    Conclude(run, error);
  return error.empty() ? std::optional(run) : std::nullopt;
}

std::string HelpText(Command command) {
  std::string text;
  if (command == Command::None) {
    text = "Usage: " + std::string(kProgramName) + " COMMAND [options]\n\n" +
           "Controls a Casio QV camera over its serial line without a display, with the\n"
           "settings of Velorantica's profile; options change them for this run only.\n\n"
           "Commands:\n";
    for (const CommandEntry& entry : kCommands) {
      text += "  " + std::string(entry.name) + std::string(8 - entry.name.size(), ' ') +
              std::string(entry.brief) + "\n";
    }
    return text + "\nOptions of every command:\n" + OptionLines(Command::None) + "  --version\n\n" +
           "An option's value follows it as the next word or after \"=\"\n" +
           "(--count=100). Each command has its --help. Exit status: 0 done,\n" +
           "1 failed (the port, a shot, a copy), 2 bad usage.\n";
  }
  const CommandEntry& entry =
      *std::find_if(kCommands.begin(), kCommands.end(),
                    [command](const auto& s) { return s.command == command; });
  text = "Usage: " + std::string(kProgramName) + " " + std::string(entry.name);
  if (!entry.operand.empty())
    text += " " + std::string(entry.operand);
  return text + " [options]\n\n" + std::string(entry.summary) + "\n\nOptions:\n" +
         OptionLines(command);
}

}  // namespace cli
