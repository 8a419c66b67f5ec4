#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/timelapse/series_log.h"

namespace cli {

// What a series shows while it runs. On a terminal: one line rewritten in
// place (the shot, the time to the next one, the last stored picture, the
// failures). Otherwise, for logs and pipes: one plain line per shot.
class Progress {
 public:
  explicit Progress(std::FILE* out);

  // The state of the series for every line.
  void SetSeries(std::uint32_t shot, std::uint32_t count, std::uint32_t failures);
  // A status text of the shot under way (terminal only).
  void ShowStatus(const std::string& text);
  // What the shot did.
  void ShotDone(const vel::LocalTime& start, const vel::ShotRecord& record);
  // msLeft until the next shot (terminal only).
  void ShowWait(std::int64_t msLeft);
  // Ends the line in place, before other output.
  void Break();

  bool OnTerminal() const { return m_terminal; }

 private:
  std::string Head() const;
  void Rewrite(const std::string& text);

  std::FILE* m_out;
  bool m_terminal;
  bool m_lineOpen = false;
  std::uint32_t m_shot = 0;
  std::uint32_t m_count = 0;
  std::uint32_t m_failures = 0;
  std::string m_lastPicture;
};

}  // namespace cli
