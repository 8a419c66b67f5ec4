#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

#include "core/timelapse/status_text.h"

namespace cli {
namespace {

std::string BaseName(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

// The first line of a failure text, which may span several.
std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

// What a shot did, for its plain line.
std::string Outcome(const vel::ShotRecord& record) {
  if (record.shotFailure)
    return "failed: " + FirstLine(*record.shotFailure);
  std::string text = "taken";
  if (record.storedPicture)
    text += ", stored " + *record.storedPicture;
  else if (record.copyFailure)
    text += ", copy failed: " + FirstLine(*record.copyFailure);
  else if (record.noNewPicture)
    text += ", no new picture on the camera";
  if (record.commandOutcome)
    text += "; program " + FirstLine(*record.commandOutcome);
  return text;
}

}  // namespace

Progress::Progress(std::FILE* out) : m_out(out), m_terminal(::isatty(::fileno(out)) != 0) {}

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
  std::fprintf(m_out, "\r\033[K%s", text.c_str());
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

void Progress::ShowWait(std::int64_t msLeft) {
  if (!m_terminal)
    return;
  std::string text = Head() + " | next in " + vel::CountdownText(msLeft);
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
}

}  // namespace cli
