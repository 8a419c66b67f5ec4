#include "cli/progress.h"

#include <cstdio>

#include "cli/terminal.h"
#include "core/platform/clock.h"
#include "core/timelapse/status_text.h"

namespace cli {
namespace {

std::string BaseName(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1);
}

// The wall-clock time ms from now, to the second, as the window shows it.
std::string ClockIn(std::int64_t ms) {
  const vel::LocalTime at = vel::LocalTimeAt((vel::SteadyClock().WallMs() + ms + 500) / 1000);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", at.hour, at.minute, at.second);
  return text;
}

// What a shot did, for its plain line.
std::string Outcome(const vel::ShotRecord& record) {
  if (record.shotFailure)
    return "failed: " + vel::OneLine(*record.shotFailure);
  std::string text = "taken";
  if (record.storedPicture)
    text += ", stored " + *record.storedPicture;
  else if (record.copyFailure)
    text += ", copy failed: " + vel::OneLine(*record.copyFailure);
  else if (record.noNewPicture)
    text += ", no new picture on the camera";
  if (record.commandOutcome)
    text += "; program " + vel::OneLine(*record.commandOutcome);
  return text;
}

}  // namespace

Progress::Progress(std::FILE* out) : m_out(out), m_terminal(IsTerminal(out)) {}

void Progress::SetSeries(std::uint32_t shot, std::uint32_t count, std::uint32_t failures) {
  m_shot = shot;
  m_count = count;
  m_failures = failures;
}

std::string Progress::Head() const {
  std::string text = "Shot " + std::to_string(m_shot);
  if (m_count != 0)
    text += " of " + std::to_string(m_count);
  return text;
}

void Progress::Rewrite(const std::string& text) {
  RewriteLine(m_out, FitToColumns(text, TerminalColumns(m_out)), m_shownLength);
  std::fflush(m_out);
  m_lineOpen = true;
}

void Progress::ShowStatus(const std::string& text) {
  if (m_terminal)
    Rewrite(Head() + " | " + text);
}

void Progress::ShotDone(const vel::LocalTime& start, const vel::ShotRecord& record) {
  if (record.storedPicture)
    m_lastPicture = BaseName(*record.storedPicture);
  if (m_terminal)
    return;
  std::fprintf(m_out, "%s at %s: %s\n", Head().c_str(), vel::StatusTimeText(start).c_str(),
               Outcome(record).c_str());
  std::fflush(m_out);
}

void Progress::ShowWait(const vel::SeriesProgress& progress, std::int64_t nowMs,
                        const std::string& schedule) {
  if (!m_terminal || !progress.nextShotMs)
    return;
  std::string text = Head() + " | ";
  if (progress.backToBack) {
    text += vel::kBackToBackText;
  } else {
    const std::int64_t left = *progress.nextShotMs - nowMs;
    text += vel::NextShotText(ClockIn(left), vel::CountdownText(left),
                              progress.lastShotMs ? ClockIn(*progress.lastShotMs - nowMs) : "");
  }
  if (!schedule.empty())
    text += " | " + schedule;
  if (!m_lastPicture.empty())
    text += " | last " + m_lastPicture;
  if (m_failures != 0)
    text += " | " + std::to_string(m_failures) + " failed";
  Rewrite(text);
}

void Progress::Break() {
  if (!m_lineOpen)
    return;
  std::fputc('\n', m_out);
  std::fflush(m_out);
  m_lineOpen = false;
  m_shownLength = 0;
}

std::string FitToColumns(const std::string& text, int columns) {
  if (columns <= 1)
    return text;
  int characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Each character begins with a byte that is no UTF-8 continuation byte.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++characters == columns)
      return text.substr(0, i);
  }
  return text;
}

}  // namespace cli
