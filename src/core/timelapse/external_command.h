#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/result.h"
#include "core/timelapse/status_text.h"

namespace vel {

class Clock;

// The words a shot hands to the external program after its path: the shot's
// number, the series' count, the date and the time at which the shot began.
// The runner appends the name of the picture copied last.
std::vector<std::string> ExternalCommandWords(std::uint32_t shot, std::uint32_t count,
                                              const LocalTime& startTime);

// How a run of the external program ended.
struct CommandOutcome {
  enum class Kind {
    Running,     // not ended yet
    Exited,      // ended by itself; code is its exit status
    Killed,      // ended by a signal (POSIX); code is the signal number
    NotStarted,  // could not be started; code is the system's error number
    Lost,        // its end could not be observed; code is the system's error number
  };
  Kind kind = Kind::Running;
  int code = 0;
};

// The external program run after a shot. The program path is the executable
// itself (blanks in it are part of the path) and every word reaches it as one
// argument of its own: no command interpreter sees the words, so nothing in a
// file name can run commands. On POSIX a shell script ending in ".sh" runs
// through /bin/sh even when it is not marked executable; on Windows ".bat" and
// ".cmd" files run through cmd.exe with every word quoted as a literal.
//
// Start returns at once; Finished is polled until the program has ended, so
// the caller can keep its window alive meanwhile. Nothing here throws: a
// failure is reported by Status, for standard error.
class ExternalCommand {
 public:
  ExternalCommand();
  // A program still running is left to run on; it is not waited for.
  ~ExternalCommand();
  ExternalCommand(const ExternalCommand&) = delete;
  ExternalCommand& operator=(const ExternalCommand&) = delete;

  // Starts program with the words as its arguments; fails when it could not
  // be started. A program still running from an earlier Start is no longer
  // watched.
  Result Start(const std::string& program, const std::vector<std::string>& words);

  // True once the program has ended, or when none was started; Outcome()
  // then tells how.
  bool Finished();

  // Ends the program and what it started: asks them to end (SIGTERM to its
  // process group on POSIX), waits up to kEndGraceMs on the clock, then
  // forces what is left (SIGKILL; on Windows the job object holding them
  // ends them at once), and waits for the program's end.
  void End(Clock& clock);

  // After the program has ended by itself: ends what it started and left
  // running (its background children) the same way.
  void EndLeftovers(Clock& clock);

  const CommandOutcome& Outcome() const { return m_outcome; }

  // Success when the program ran and exited with status 0, else a failure
  // whose text says what went wrong, such as "Velorantica: external command
  // \"/x/y.sh\" exited with status 2".
  Result Status() const;

 private:
  struct Process;  // the operating system's handle on the running program
  std::unique_ptr<Process> m_process;
  std::string m_program;
  CommandOutcome m_outcome{CommandOutcome::Kind::NotStarted, 0};

  // Backend: starts the process or fills m_outcome with the failure.
  bool Launch(const std::string& program, const std::vector<std::string>& words);
  // Backend: looks whether the process has ended and fills m_outcome.
  void Poll();
  // Backend: releases the process handle without waiting for it.
  void Release();
  // Backend: asks the program (and what it started) to end, or forces it.
  void Signal(bool force);
  // Backend: whether a process of the program's group (job) is still there,
  // once the program itself has ended.
  bool GroupRemains();
  // Asks the program and its group to end, and forces what is left of them
  // after kEndGraceMs.
  void EndGroup(Clock& clock);
  bool SomethingRuns() { return !Finished() || GroupRemains(); }
  // Backend: the system's text for an error number of Launch or Poll.
  static std::string SystemErrorText(int code);
};

// How long a program asked to end may take before it is forced to.
inline constexpr std::uint32_t kEndGraceMs = 2000;

// How long the program after a shot may run: until the next shot is due, and
// never less than kShortestCommandLimitMs.
inline constexpr std::uint32_t kShortestCommandLimitMs = 10000;
std::uint32_t CommandLimitMs(std::int64_t untilNextShotMs);

// What ends a program before it ends by itself: running longer than limitMs
// (0: no limit), or a stop that the caller asks for (the series cancelled,
// the program ending).
struct CommandLimits {
  std::uint32_t limitMs = 0;
  std::function<bool()> stopRequested;
};

// Runs the program and waits for its end, looking every pollMs through the
// clock's waits (the front end's clock keeps the window alive while waiting).
// A program that outlives its limits is ended (ExternalCommand::End). The
// result is the program's Status, or says why it was ended.
Result RunExternalCommand(const std::string& program, const std::vector<std::string>& words,
                          Clock& clock, const CommandLimits& limits = {},
                          std::uint32_t pollMs = 10);

}  // namespace vel
