#pragma once

#include <cstdint>

namespace vel {

// The requests from outside to end the program: SIGTERM (logout, a service
// stopped), SIGINT (Ctrl+C) and SIGHUP (the terminal or ssh session gone)
// on POSIX systems; Ctrl+C, Ctrl+Break and the console's close on Windows.
// While an EndSignals lives, each one is counted instead of ending the
// program where it stands, and wakes whoever waits on it, so that a series
// can end after its shot with the camera let go. SIGPIPE is ignored, so
// that output into a closed pipe is a failed write, not the end of the
// program. One lives at a time; afterwards the default handling is back.
class EndSignals {
 public:
  EndSignals();
  ~EndSignals();
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  // The requests that arrived so far.
  int Count();

  // Waits ms milliseconds, or until Count() reaches endAtCount; true when it
  // was cut short.
  bool Wait(std::int64_t ms, int endAtCount);

  // A descriptor that becomes readable when a request arrives, for an event
  // loop to watch (-1 where there is none, on Windows); Count() reads it.
  int WakeDescriptor() const;

 private:
  // Backend: takes in the requests that arrived; sleeps until one arrives
  // or ms have passed.
  void Drain();
  static void SleepUntilWoken(std::int64_t ms);
  int m_count = 0;
};

}  // namespace vel
