#include "core/timelapse/series_state.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <vector>

#include "core/app/ini_profile.h"
#include "core/timelapse/status_text.h"

namespace vel {
namespace {

constexpr std::string_view kSection = "Series";
constexpr std::string_view kLogEnding = ".log";
constexpr std::string_view kStateEnding = ".state";

void WriteNumber(IniProfile& profile, std::string_view key, std::int64_t value) {
  profile.WriteString(kSection, key, std::to_string(value));
}

std::optional<std::int64_t> ReadNumber(const IniProfile& profile, std::string_view key) {
  const std::string text = profile.GetString(kSection, key, "");
  if (text.empty())
    return std::nullopt;
  try {
    std::size_t used = 0;
    const long long value = std::stoll(text, &used);
    if (used == text.size())
      return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

std::optional<std::uint64_t> ReadUnsigned(const IniProfile& profile, std::string_view key) {
  const std::string text = profile.GetString(kSection, key, "");
  if (text.empty() || text[0] == '-')
    return std::nullopt;
  try {
    std::size_t used = 0;
    const unsigned long long value = std::stoull(text, &used);
    if (used == text.size())
      return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

// The destination and its volume, and the drive once there is one; keys
// left out are what is not known.
bool WriteTransfer(IniProfile& profile, const SeriesTransfer& transfer) {
  if (!profile.WriteString(kSection, "Destination", transfer.destination))
    return false;
  if (const auto& place = transfer.destinationPlace) {
    if (!profile.WriteString(kSection, "DestinationPath", place->resolved))
      return false;
    profile.WriteString(kSection, "DestinationVolume", std::to_string(place->volume));
  }
  if (const auto& drive = transfer.drive)
    return profile.WriteString(kSection, "Drive", drive->root) &&
           profile.WriteString(kSection, "DriveVolume", drive->volume);
  return true;
}

SeriesTransfer ReadTransfer(const IniProfile& profile) {
  SeriesTransfer transfer;
  transfer.destination = profile.GetString(kSection, "Destination", "");
  const std::string resolved = profile.GetString(kSection, "DestinationPath", "");
  if (const auto volume = ReadUnsigned(profile, "DestinationVolume"); volume && !resolved.empty())
    transfer.destinationPlace = FolderPlace{resolved, *volume};
  const std::string drive = profile.GetString(kSection, "Drive", "");
  if (!drive.empty())
    transfer.drive = KeptDrive{drive, profile.GetString(kSection, "DriveVolume", "")};
  return transfer;
}

std::uint32_t Count(const IniProfile& profile, std::string_view key) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(
      ReadNumber(profile, key).value_or(0), 0, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

std::string SeriesStatePath(const std::string& logPath) {
  std::string path = logPath;
  if (path.size() >= kLogEnding.size() &&
      path.compare(path.size() - kLogEnding.size(), kLogEnding.size(), kLogEnding) == 0)
    path.resize(path.size() - kLogEnding.size());
  return path + std::string(kStateEnding);
}

Result WriteSeriesState(const std::string& path, const SeriesState& state) {
  IniProfile profile;
  SaveSettings(state.settings, profile);
  if (!profile.WriteString(kSection, "Log", state.logPath) ||
      !profile.WriteString(kSection, "LastStored", state.lastStored))
    return Result::Failure("A name with a line break cannot be kept in " + path);
  profile.WriteInt(kSection, "Running", state.running ? 1 : 0);
  WriteNumber(profile, "Anchor", state.anchorWallMs);
  WriteNumber(profile, "NextSlot", state.nextSlot);
  profile.WriteInt(kSection, "Scheduled", state.scheduled ? 1 : 0);
  profile.WriteString(kSection, "End",
                      state.endWallSeconds ? std::to_string(*state.endWallSeconds) : "");
  WriteNumber(profile, "Taken", state.counts.taken);
  WriteNumber(profile, "FailedShots", state.counts.failedShots);
  WriteNumber(profile, "FailedCopies", state.counts.failedCopies);
  WriteNumber(profile, "MissedFrames", state.counts.missedFrames);
  WriteNumber(profile, "LastShot", state.lastShotWallMs);
  if (!WriteTransfer(profile, state.transfer))
    return Result::Failure("A name with a line break cannot be kept in " + path);
  return profile.Save(path);
}

ResultOf<SeriesState> ReadSeriesState(const std::string& path) {
  IniProfile profile;
  if (Result read = IniProfile::Load(path, profile); !read)
    return read;
  const std::optional<std::int64_t> anchor = ReadNumber(profile, "Anchor");
  const std::optional<std::int64_t> next = ReadNumber(profile, "NextSlot");
  SeriesState state;
  state.logPath = profile.GetString(kSection, "Log", "");
  if (!anchor || !next || state.logPath.empty())
    return Result::Failure(path + " holds no series that can go on.");
  state.settings = LoadSettings(profile);
  state.running = profile.GetInt(kSection, "Running", 0) != 0;
  state.anchorWallMs = *anchor;
  state.nextSlot = *next;
  state.scheduled = profile.GetInt(kSection, "Scheduled", 0) != 0;
  state.endWallSeconds = ReadNumber(profile, "End");
  state.counts = {Count(profile, "Taken"), Count(profile, "FailedShots"),
                  Count(profile, "FailedCopies"), Count(profile, "MissedFrames")};
  state.lastShotWallMs = ReadNumber(profile, "LastShot").value_or(0);
  state.lastStored = profile.GetString(kSection, "LastStored", "");
  state.transfer = ReadTransfer(profile);
  return state;
}

std::optional<std::string> LastRunningSeriesState(const std::string& logFolder) {
  std::error_code error;
  std::vector<std::string> states;
  for (const auto& entry : std::filesystem::directory_iterator(logFolder, error))
    if (entry.path().extension() == kStateEnding)
      states.push_back(entry.path().string());
  // The names carry the start time: the newest sorts last.
  std::sort(states.begin(), states.end());
  for (auto it = states.rbegin(); it != states.rend(); ++it) {
    const ResultOf<SeriesState> state = ReadSeriesState(*it);
    if (state)
      return state->running ? std::optional<std::string>(*it) : std::nullopt;
  }
  return std::nullopt;
}

std::string ResumeQuestion(const SeriesState& state) {
  const LocalTime last = LocalTimeAt(state.lastShotWallMs / 1000);
  char until[32];
  std::snprintf(until, sizeof until, "%04d-%02d-%02d %02d:%02d", last.year, last.month, last.day,
                last.hour, last.minute);
  std::string pictures = "picture " + std::to_string(state.counts.taken);
  if (state.settings.Infinity == 0)
    pictures += " of " + std::to_string(state.settings.Count);
  return "A time-lapse series was running until " + std::string(until) + " (" + pictures +
         " taken). Continue it?";
}

}  // namespace vel
