#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/timelapse/series_log.h"
#include "core/timelapse/series_schedule.h"

namespace cli {

// What a series shows while it runs. On a terminal: one line rewritten in
// place (the shot, when the next one is due and the series ends, the last
// stored picture, the failures), cut to the terminal's width. Otherwise, for
// logs and pipes: one plain line per shot.
class Progress {
 public:
  explicit Progress(std::FILE* out);

  // The state of the series for every line.
  void SetSeries(std::uint32_t shot, std::uint32_t count, std::uint32_t failures);
  // A status text of the shot under way (terminal only).
  void ShowStatus(const std::string& text);
  // What the shot did.
  void ShotDone(const vel::LocalTime& start, const vel::ShotRecord& record);
  // Where the series stands at nowMs of its clock while it waits for the
  // next shot (terminal only), with what its schedule does next.
  void ShowWait(const vel::SeriesProgress& progress, std::int64_t nowMs,
                const std::string& schedule);
  // Ends the line in place, before other output.
  void Break();

  bool OnTerminal() const { return m_terminal; }

 private:
  std::string Head() const;
  void Rewrite(const std::string& text);

  std::FILE* m_out;
  bool m_terminal;
  bool m_lineOpen = false;
  std::size_t m_shownLength = 0;  // of the line in place
  std::uint32_t m_shot = 0;
  std::uint32_t m_count = 0;
  std::uint32_t m_failures = 0;
  std::string m_lastPicture;
};

// The text cut to fit a terminal line of the given columns (0: not cut),
// counting characters, not bytes. The last column stays free: a line that
// fills it makes some terminals wrap, and the next rewrite of the line
// would start on a new one.
std::string FitToColumns(const std::string& text, int columns);

}  // namespace cli
