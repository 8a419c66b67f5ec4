#pragma once

#include <cstdint>
#include <deque>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/result.h"
#include "core/timelapse/series_schedule.h"
#include "core/timelapse/shot_plan.h"
#include "core/timelapse/status_text.h"

namespace vel {

// What one shot did, for the log: the bytes it sent, why it failed when the
// serial line was lost, the camera's drive it copied from, where its picture
// went or why not, and how the external program ended.
struct ShotRecord {
  std::uint32_t shot = 0;
  std::uint32_t count = 0;  // 0 for an endless series
  std::vector<std::uint8_t> bytes{};
  std::optional<std::string> storedPicture{};  // the path of the stored copy
  std::optional<std::string> copyFailure{};
  std::optional<std::string> commandOutcome{};
  std::optional<std::string> shotFailure{};
  std::optional<std::string> drive{};  // the root of the camera's drive
  bool noNewPicture = false;           // the copy found none to take
  LocalTime startTime{};               // when the shot began
};

// Notes in record what a shot's copy came to: the drive it used, and the
// stored picture's path, the failure, or that there was no new picture.
void NoteCopy(ShotRecord& record, const CopyOutcome& copied);

// The log of one series: a plain-text file, one line per event, each line
// written out at once, so that a series left alone overnight can be read
// back whatever became of the program.
class SeriesLog {
 public:
  // Creates a new log in folder (made when missing), named by the start
  // time: "series-2026-12-07-101500.log", numbered when that name is taken.
  Result Open(const std::string& folder, const LocalTime& start);
  // Opens an existing log to go on writing at its end.
  Result Reopen(const std::string& path);
  bool IsOpen() const { return m_file.is_open(); }
  const std::string& Path() const { return m_path; }

  // "2026-12-07 10:15:00 " and the text; nothing while the log is not open.
  void Write(const LocalTime& time, const std::string& text);
  void Close();

  // False once a line could not be written out (a full disk), with the
  // system's reason.
  bool Healthy() const { return m_lastError.empty(); }
  const std::string& LastError() const { return m_lastError; }

  // The lines written last (after Reopen, the file's last ones), oldest
  // first, as they stand in the file; kept after Close until the next Open.
  static constexpr std::size_t kRecentLines = 20;
  const std::deque<std::string>& RecentLines() const { return m_recent; }

 private:
  void Remember(std::string line);

  std::ofstream m_file;
  std::deque<std::string> m_recent;
  std::string m_path;
  std::string m_lastError;
};

// The program whose state folder holds the series' logs.
inline constexpr std::string_view kSeriesLogProgram = "velorantica";

// A field of a log line that comes from outside (a file name, an error
// text, a program's output) with every control character, ';' (which ends a
// field) and a backslash before 'x' written as "\xHH", so that no name can
// split or forge a line; UnescapeLogField gives the bytes back.
std::string EscapeLogField(std::string_view text);
std::string UnescapeLogField(std::string_view text);

// A text of several lines as one line, as the log, the command line's plain
// output and the window's failures line show a failure's whole text: a line
// that ends without a stop or colon gets a full stop, so that the next one
// does not read as its continuation.
std::string OneLine(std::string text);

// The texts of the log's lines.
std::string SeriesStartLogText(const SeriesStartSettings& series, const ShotSettings& shot);
std::string ShotLogText(const ShotRecord& record);
// ", K shots failed" is told only when shots failed.
std::string SeriesEndLogText(std::uint32_t taken, std::uint32_t failedCopies, bool cancelled,
                             std::uint32_t failedShots = 0, std::uint32_t missedFrames = 0);

}  // namespace vel
