// The frames of a film: the pictures a series log names, looked at one by
// one, and the log of the last series.

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

#include "core/film/film.h"
#include "core/film/film_paths.h"
#include "core/platform/files.h"
#include "core/timelapse/picture_transfer_files.h"
#include "core/timelapse/series_log.h"

namespace vel {
namespace {

constexpr std::string_view kShotWord = "Shot ";
constexpr std::string_view kOfWord = " of ";
constexpr std::string_view kSentWord = ": sent ";
constexpr std::string_view kFieldSeparator = "; ";
constexpr std::string_view kStoredWord = "stored ";
constexpr std::string_view kSeriesStartedWord = "Series started: ";
// "2026-12-07 10:15:00 ", before every line's text.
constexpr std::size_t kStampLength = 20;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The number of digits at the front of text, taken off it.
template <typename Number>
std::optional<Number> TakeNumber(std::string_view& text) {
  Number number{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end == text.data())
    return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return number;
}

bool TakeWord(std::string_view& text, std::string_view word) {
  if (!text.starts_with(word))
    return false;
  text.remove_prefix(word.size());
  return true;
}

// The time stamp "YYYY-MM-DD HH:MM:SS " at the start of a log line.
std::optional<LocalTime> StampOf(std::string_view line) {
  constexpr std::string_view kShape = "0000-00-00 00:00:00 ";
  if (line.size() < kStampLength)
    return std::nullopt;
  for (std::size_t i = 0; i < kStampLength; ++i)
    if (kShape[i] == '0' ? !IsDigit(line[i]) : line[i] != kShape[i])
      return std::nullopt;
  auto field = [line](std::size_t at, std::size_t length) {
    int value = 0;
    std::from_chars(line.data() + at, line.data() + at + length, value);
    return value;
  };
  return LocalTime{field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2), field(17, 2)};
}

// The stored picture of a shot line: "Shot N[ of M]: sent ...; ...; stored PATH; ...".
std::optional<LoggedPicture> PictureOfLine(std::string_view line) {
  if (!StampOf(line))
    return std::nullopt;
  std::string_view text = line.substr(kStampLength);
  if (!TakeWord(text, kShotWord))
    return std::nullopt;
  const std::optional<std::uint32_t> shot = TakeNumber<std::uint32_t>(text);
  if (!shot || (TakeWord(text, kOfWord) && !TakeNumber<std::uint32_t>(text)) ||
      !TakeWord(text, kSentWord))
    return std::nullopt;
  // A field from outside has its ';' escaped, so every "; " ends a field.
  while (!text.empty()) {
    const std::size_t end = text.find(kFieldSeparator);
    std::string_view field = text.substr(0, end);
    if (TakeWord(field, kStoredWord) && !field.empty())
      return LoggedPicture{*shot, UnescapeLogField(field)};
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
  }
  return std::nullopt;
}

template <typename Each>
void ForEachLine(std::string_view text, Each each) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    each(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
}

std::optional<LocalTime> SeriesStartOfLog(std::string_view logText) {
  std::optional<LocalTime> start;
  ForEachLine(logText, [&start](std::string_view line) {
    if (!start && line.size() > kStampLength &&
        line.substr(kStampLength).starts_with(kSeriesStartedWord))
      start = StampOf(line);
  });
  return start;
}

int ReadBigEndian16(std::istream& in) {
  const int high = in.get();
  const int low = in.get();
  return in ? high << 8 | low : -1;
}

bool IsFrameHeader(int marker) {
  // SOF0 to SOF15, but not DHT (C4), JPG (C8) and DAC (CC), which share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The picture's size from its frame header, read marker by marker up to it;
// nothing for a file that is not a JPEG picture.
std::optional<PictureSize> JpegSize(std::istream& in) {
  if (in.get() != 0xFF || in.get() != 0xD8)
    return std::nullopt;
  constexpr int kMostSegments = 1000;
  for (int segment = 0; segment < kMostSegments && in; ++segment) {
    if (in.get() != 0xFF)
      return std::nullopt;
    int marker;
    while ((marker = in.get()) == 0xFF) {
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
      continue;  // markers without a segment
    const int length = ReadBigEndian16(in);
    if (marker == 0xD9 || marker == 0xDA || length < 2)
      return std::nullopt;  // the picture's data began before any frame header
    if (IsFrameHeader(marker)) {
      in.get();  // sample precision
      const int height = ReadBigEndian16(in);
      const int width = ReadBigEndian16(in);
      if (height <= 0 || width <= 0)
        return std::nullopt;
      return PictureSize{width, height};
    }
    in.seekg(length - 2, std::ios::cur);
  }
  return std::nullopt;
}

// Why the picture at path cannot be a frame; empty when it can, and then its size.
std::string LookAt(const std::string& path, PictureSize& size) {
  if (path.find_first_of("\r\n") != std::string::npos)
    return "its name holds a line break, which ffmpeg's frame list cannot carry";
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(FsPath(path), error);
  if (status.type() == std::filesystem::file_type::not_found)
    return "missing";
  if (error)
    return error.message();
  if (status.type() != std::filesystem::file_type::regular)
    return "not a regular file";
  errno = 0;
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in)
    return errno != 0 ? std::generic_category().message(errno) : "cannot be read";
  const std::optional<PictureSize> found = JpegSize(in);
  if (!found)
    return "not a JPEG picture";
  size = *found;
  return {};
}

// "2026-12-07-101500" and the number after it of a series log's name, or
// nothing for another name.
std::optional<std::tuple<std::string, int>> LogNameOrder(std::string_view name) {
  constexpr std::string_view kPrefix = "series-", kEnding = ".log";
  constexpr std::string_view kShape = "0000-00-00-000000";
  if (!name.starts_with(kPrefix) || !name.ends_with(kEnding))
    return std::nullopt;
  name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kEnding.size());
  if (name.size() < kShape.size())
    return std::nullopt;
  for (std::size_t i = 0; i < kShape.size(); ++i)
    if (kShape[i] == '0' ? !IsDigit(name[i]) : name[i] != kShape[i])
      return std::nullopt;
  std::string_view rest = name.substr(kShape.size());
  int number = 1;
  if (!rest.empty()) {
    rest.remove_prefix(1);
    const std::optional<int> n = TakeNumber<int>(rest);
    if (name[kShape.size()] != '-' || !n || !rest.empty())
      return std::nullopt;
    number = *n;
  }
  return std::tuple(std::string(name.substr(0, kShape.size())), number);
}

}  // namespace

std::vector<LoggedPicture> StoredPicturesOfLog(std::string_view logText) {
  std::vector<LoggedPicture> pictures;
  ForEachLine(logText, [&pictures](std::string_view line) {
    if (std::optional<LoggedPicture> picture = PictureOfLine(line))
      pictures.push_back(std::move(*picture));
  });
  return pictures;
}

ResultOf<FilmFrames> ReadFilmFrames(const std::string& logPath) {
  std::string text;
  if (Result read = ReadWholeFile(logPath, text); !read)
    return Result::Failure("Cannot read the series log " + logPath + ": " + read.Text());
  FilmFrames frames;
  frames.logPath = logPath;
  frames.seriesStart = SeriesStartOfLog(text);
  for (const LoggedPicture& picture : StoredPicturesOfLog(text)) {
    PictureSize size;
    if (std::string why = LookAt(picture.path, size); !why.empty()) {
      frames.skipped.push_back({picture.shot, picture.path, std::move(why)});
      continue;
    }
    if (frames.pictures.empty())
      frames.size = size;
    frames.pictures.push_back(picture.path);
  }
  return frames;
}

ResultOf<std::string> LastSeriesLog(const std::string& folder) {
  const ResultOf<FolderListing> entries = ListFolder(folder);
  if (!entries)
    return Result::Failure("Cannot look for series logs in " + folder + ": " + entries.Text());
  std::optional<std::tuple<std::string, int>> latest;
  std::string latestName;
  for (const FolderEntry& entry : entries.Value()) {
    const auto order = LogNameOrder(entry.name);
    if (entry.kind == EntryKind::RegularFile && order && (!latest || *order > *latest)) {
      latest = order;
      latestName = entry.name;
    }
  }
  if (!latest)
    return Result::Failure("No series log in " + folder);
  return Utf8Path(FsPath(folder) / FsPath(latestName));
}

}  // namespace vel
