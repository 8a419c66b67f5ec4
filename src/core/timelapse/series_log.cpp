#include "core/timelapse/series_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "core/platform/files.h"
#include "core/timelapse/picture_transfer_files.h"

namespace vel {
namespace {

std::string Number(std::uint32_t value) {
  return std::to_string(value);
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (std::uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    text += text.empty() ? hex : std::string(" ") + hex;
  }
  return text.empty() ? "nothing" : text;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexValue(char c) {
  return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// A text from outside, escaped and with its line breaks as blanks.
std::string Field(const std::string& text) {
  return EscapeLogField(OneLine(text));
}

std::string Seconds(int seconds) {
  return std::to_string(seconds) + " s";
}

std::string LogName(const LocalTime& start) {
  char name[64];
  std::snprintf(name, sizeof name, "series-%04d-%02d-%02d-%02d%02d%02d.log", start.year,
                start.month, start.day, start.hour, start.minute, start.second);
  return name;
}

}  // namespace

std::string OneLine(std::string text) {
  std::string line;
  bool lineEnded = false;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      lineEnded = !line.empty();
      continue;
    }
    if (lineEnded) {
      while (!line.empty() && line.back() == ' ') line.pop_back();
      if (!line.empty() && std::string_view(".:;,!?").find(line.back()) == std::string_view::npos)
        line += '.';
      line += ' ';
      lineEnded = false;
    }
    line += c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

void NoteCopy(ShotRecord& record, const CopyOutcome& copied) {
  if (!copied.drive.empty())
    record.drive = copied.drive;
  if (!copied.result)
    record.copyFailure = copied.result.Text();
  else if (copied.storedNew)
    record.storedPicture = copied.StoredPath();
  else
    record.noNewPicture = true;
}

Result SeriesLog::Open(const std::string& folder, const LocalTime& start) {
  Close();
  m_lastError.clear();
  m_recent.clear();
  if (Result made = CreateFolders(folder); !made)
    return Result::Failure("The series log cannot be written in " + folder + ": " + made.Text() +
                           ". The series goes on without it.");
  const std::string name = LogName(start);
  for (int n = 1; n <= kMaxNumberedNames; ++n) {
    const std::string path = folder + kPathSeparator + NumberedName(name, n);
    std::error_code error;
    if (std::filesystem::exists(path, error))
      continue;
    errno = 0;
    m_file.open(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!m_file.is_open())
      return Result::Failure("The series log " + path + " cannot be written: " +
                             (errno != 0 ? std::strerror(errno) : "open failed") +
                             ". The series goes on without it.");
    m_path = path;
    return Result::Success();
  }
  return Result::Failure("No free name for a series log in " + folder);
}

Result SeriesLog::Reopen(const std::string& path) {
  Close();
  m_lastError.clear();
  errno = 0;
  m_file.open(path, std::ios::out | std::ios::app | std::ios::binary);
  if (!m_file.is_open())
    return Result::Failure("The series log " + path + " cannot be written: " +
                           (errno != 0 ? std::strerror(errno) : "open failed") +
                           ". The series goes on without it.");
  m_path = path;
  // The lines of the series so far, for the ones written last.
  m_recent.clear();
  std::ifstream before(path, std::ios::binary);
  for (std::string line; std::getline(before, line);) Remember(std::move(line));
  return Result::Success();
}

void SeriesLog::Remember(std::string line) {
  m_recent.push_back(std::move(line));
  if (m_recent.size() > kRecentLines)
    m_recent.pop_front();
}

void SeriesLog::Write(const LocalTime& time, const std::string& text) {
  if (!m_file.is_open())
    return;
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", time.year, time.month, time.day);
  std::string line = std::string(date) + ' ' + TimeWord(time) + ' ' + text;
  errno = 0;
  m_file << line << '\n';
  m_file.flush();
  if (!m_file.good() && m_lastError.empty())
    m_lastError = errno != 0 ? std::strerror(errno) : "write error";
  Remember(std::move(line));
}

void SeriesLog::Close() {
  if (m_file.is_open())
    m_file.close();
  m_file.clear();
}

std::string EscapeLogField(std::string_view text) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool startsEscape = c == '\\' && i + 1 < text.size() && text[i + 1] == 'x';
    if (c < 0x20 || c == 0x7F || c == ';' || startsEscape) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      escaped += hex;
    } else {
      escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

std::string UnescapeLogField(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && IsHexDigit(text[i + 2]) &&
        IsHexDigit(text[i + 3])) {
      plain += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
      i += 3;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

std::string SeriesStartLogText(const SeriesStartSettings& series, const ShotSettings& shot) {
  char interval[16];
  std::snprintf(interval, sizeof interval, "%02d:%02d:%02d", series.hour, series.minute,
                series.second);
  std::string text = "Series started: ";
  text += series.infinity ? "endless" : Number(series.count) + " pictures";
  text += ", interval " + std::string(interval);
  text += shot.focus ? ", focus " + Seconds(shot.focusSeconds) : ", no focus";
  text += shot.bulb ? ", bulb " + Seconds(shot.bulbSeconds) : ", no bulb";
  if (shot.copyFile) {
    text += ", copy to " + EscapeLogField(shot.transfer.destFileDir);
    if (shot.transfer.deleteAfterCopy)
      text += " and delete on the camera";
  } else {
    text += ", no copy";
  }
  if (shot.useExternalCommand)
    text += ", then run " + EscapeLogField(shot.command);
  return text;
}

std::string ShotLogText(const ShotRecord& record) {
  std::string text = "Shot " + Number(record.shot);
  if (record.count != 0)
    text += " of " + Number(record.count);
  text += ": sent " + Hex(record.bytes);
  if (record.shotFailure)
    text += "; shot failed: " + Field(*record.shotFailure);
  if (record.drive)
    text += "; drive " + EscapeLogField(*record.drive);
  if (record.noNewPicture)
    text += "; no new picture";
  if (record.storedPicture)
    text += "; stored " + EscapeLogField(*record.storedPicture);
  if (record.copyFailure)
    text += "; copy failed: " + Field(*record.copyFailure);
  if (record.commandOutcome)
    text += "; external program: " + Field(*record.commandOutcome);
  return text;
}

std::string SeriesEndLogText(std::uint32_t taken, std::uint32_t failedCopies, bool cancelled,
                             std::uint32_t failedShots, std::uint32_t missedFrames) {
  return std::string(cancelled ? "Series cancelled" : "Series ended") + ": " + Number(taken) +
         (taken == 1 ? " picture" : " pictures") + " taken, " +
         (failedShots ? FailedShotsText(failedShots) + ", " : "") + FailedCopiesText(failedCopies) +
         (missedFrames ? ", " + MissedFramesText(missedFrames) : "");
}

}  // namespace vel
