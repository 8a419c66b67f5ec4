#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/platform/result.h"

namespace vel {

// ffmpeg running for a film. It gets its arguments one by one (no shell sees
// them) and the null device as its input, and writes its standard output and
// error into one pipe that is read as it comes. It runs in a group of its own
// (a process group on POSIX, a job on Windows): a Ctrl+C on the terminal
// reaches the program, not ffmpeg, and ending it ends what it started. When
// the program itself dies, ffmpeg is ended with it.
class FfmpegProcess {
 public:
  FfmpegProcess();
  // A process still running is ended and waited for.
  ~FfmpegProcess();
  FfmpegProcess(const FfmpegProcess&) = delete;
  FfmpegProcess& operator=(const FfmpegProcess&) = delete;

  // Fails when the program could not be started, with the system's reason.
  Result Start(const std::string& program, const std::vector<std::string>& arguments);

  // Waits up to ms milliseconds for output and appends what came to text;
  // false once the output has ended (the program closed it or ended).
  bool Read(std::string& text, int ms);

  // Waits for the end; the exit status, or -1 when it did not exit by itself.
  int Wait();

  // Ends the program and its group at once, without a grace: a film cut
  // short is thrown away, there is nothing for ffmpeg to finish. Then waits.
  void Kill();

 private:
  struct Handles;  // the operating system's handles on the process and pipe
  std::unique_ptr<Handles> m_handles;
};

// Where ffmpeg is: "ffmpeg" on PATH (POSIX); "ffmpeg.exe" beside the program,
// else on PATH (Windows). Empty when it is nowhere.
std::string FindFfmpeg();

// What to tell a user who has no ffmpeg: where it was looked for and how to
// get it.
std::string FfmpegMissingText();

}  // namespace vel
