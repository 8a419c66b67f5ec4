#include "core/film/film.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <system_error>

#include "core/film/ffmpeg_process.h"
#include "core/film/film_paths.h"
#include "core/platform/clock.h"
#include "core/timelapse/picture_transfer_files.h"

namespace vel {
namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
constexpr int kReadWaitMs = 100;  // how often a cancel is looked for
constexpr std::size_t kKeptMessages = 20;
constexpr const char* kFilmEnding = ".mp4";

std::string Number(long long value) {
  return std::to_string(value);
}

// Seconds of a number of microseconds, "0.040000".
std::string SecondsText(std::int64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%06lld",
                static_cast<long long>(us / kMicrosecondsPerSecond),
                static_cast<long long>(us % kMicrosecondsPerSecond));
  return text;
}

std::int64_t FrameStartUs(std::size_t frame, int framesPerSecond) {
  const auto scaled = static_cast<std::int64_t>(frame) * kMicrosecondsPerSecond;
  return (scaled + framesPerSecond / 2) / framesPerSecond;
}

// A path in the single quotes of the concat list, where nothing is special
// but the quote itself: it closes the quotes, is written escaped, and they
// open again.
std::string QuotedForList(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string DefaultFilmName(const FilmFrames& frames) {
  if (frames.seriesStart) {
    const LocalTime& t = *frames.seriesStart;
    char name[64];
    std::snprintf(name, sizeof name, "series-%04d-%02d-%02d-%02d%02d%02d%s", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, kFilmEnding);
    return name;
  }
  const std::string stem = FsPath(frames.logPath).stem().empty()
                               ? std::string("film")
                               : Utf8Path(FsPath(frames.logPath).stem());
  return stem + kFilmEnding;
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path parent = FsPath(path).parent_path();
  return parent.empty() ? std::string(".") : Utf8Path(parent);
}

// The folder the film goes to and the name it is given there.
std::pair<std::string, std::string> FilmPlace(const FilmFrames& frames, const std::string& output) {
  if (output.empty())
    return {FolderOf(frames.pictures.front()), DefaultFilmName(frames)};
  std::error_code ignored;
  if (std::filesystem::is_directory(FsPath(output), ignored))
    return {output, DefaultFilmName(frames)};
  return {FolderOf(output), Utf8Path(FsPath(output).filename())};
}

// ffmpeg's concat list of the pictures, each one a "file" line and its
// "duration": whole microseconds whose running sum stays within half a
// microsecond of frame / framesPerSecond, so that no drift builds up. A path
// with a '%' would be read by ffmpeg's image reader as a numbered pattern
// ("pic%03d/CIMG0001.JPG"); it is told to take that one as it stands.
std::string ConcatList(const std::vector<std::string>& pictures, int framesPerSecond) {
  std::string list = "ffconcat version 1.0\n";
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const std::int64_t us = FrameStartUs(i + 1, framesPerSecond) - FrameStartUs(i, framesPerSecond);
    list += "file " + QuotedForList(pictures[i]) + "\n";
    if (pictures[i].find('%') != std::string::npos)
      list += "option pattern_type none\n";
    list += "duration " + SecondsText(us) + "\n";
  }
  return list;
}

// The pictures scaled into the film's frame with their aspect kept and the
// rest black, timed by their number, so that every picture is one frame
// whatever timestamps the concat demuxer gives them (it keeps them in steps
// of 1/25 s).
std::string FilterChain(PictureSize film, const FilmSettings& settings) {
  const std::string fps = Number(settings.framesPerSecond);
  const std::string size = Number(film.width) + ":" + Number(film.height);
  std::string chain = "settb=1/" + fps + ",setpts=N";
  chain += ",scale=" + size + ":force_original_aspect_ratio=decrease:force_divisible_by=2";
  if (settings.deflicker)
    chain += ",deflicker";
  chain += ",pad=" + size + ":(ow-iw)/2:(oh-ih)/2,setsar=1";
  return chain;
}

std::vector<std::string> FfmpegArguments(const std::string& list, const std::string& film,
                                         PictureSize size, const FilmSettings& settings) {
  return {"-hide_banner",
          "-nostdin",
          "-nostats",
          "-loglevel",
          "error",
          "-progress",
          "pipe:1",
          "-f",
          "concat",
          "-safe",
          "0",
          "-i",
          list,
          "-vf",
          FilterChain(size, settings),
          "-r",
          Number(settings.framesPerSecond),
          "-c:v",
          "libx264",
          "-crf",
          Number(settings.quality),
          "-pix_fmt",
          "yuv420p",
          "-movflags",
          "+faststart",
          "-an",
          "-f",
          "mp4",
          "-y",
          film};
}

// ffmpeg's output: blocks of "key=value" lines from -progress, among its
// error messages.
class FfmpegOutput {
 public:
  // Takes the complete lines of more; true when the frame count changed.
  bool Take(const std::string& more) {
    m_pending += more;
    bool changed = false;
    for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
      std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      changed |= TakeLine(line);
    }
    return changed;
  }
  std::uint32_t Frames() const { return m_frames; }
  std::vector<std::string> Messages() const { return {m_messages.begin(), m_messages.end()}; }

 private:
  static bool IsProgressKey(const std::string& key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
  }
  bool TakeLine(const std::string& line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || !IsProgressKey(line.substr(0, equals))) {
      if (!line.empty())
        m_messages.push_back(line);
      if (m_messages.size() > kKeptMessages)
        m_messages.pop_front();
      return false;
    }
    if (line.compare(0, equals, "frame") != 0)
      return false;
    const std::uint32_t frames =
        static_cast<std::uint32_t>(std::strtoul(line.c_str() + equals + 1, nullptr, 10));
    const bool changed = frames != m_frames;
    m_frames = frames;
    return changed;
  }

  std::string m_pending;
  std::uint32_t m_frames = 0;
  std::deque<std::string> m_messages;
};

// Removes the temporary files of a film when it is left.
struct PartFiles {
  std::string list, film;
  ~PartFiles() {
    for (const std::string& path : {list, film})
      if (!path.empty())
        (void)RemoveFile(path);
  }
};

Result WriteList(const std::string& path, const std::string& text) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out)
    return Result::Failure("Cannot write the frame list " + path);
  return Result::Success();
}

std::string FfmpegFailureText(int status, const std::vector<std::string>& messages) {
  std::string text = status < 0 ? "ffmpeg was ended before it finished the film"
                                : "ffmpeg failed (exit status " + Number(status) + ")";
  for (const std::string& message : messages) text += "\n" + message;
  return text;
}

}  // namespace

std::string FilmSettingsRefusal(const FilmSettings& settings) {
  if (settings.framesPerSecond < 1 || settings.framesPerSecond > kMaxFramesPerSecond)
    return "The frame rate must be from 1 to " + Number(kMaxFramesPerSecond) +
           " frames per second, not " + Number(settings.framesPerSecond) + ".";
  if (settings.quality < 0 || settings.quality > kMaxQuality)
    return "The quality must be from 0 (best) to " + Number(kMaxQuality) + ", not " +
           Number(settings.quality) + ".";
  const PictureSize& size = settings.size;
  if (size == PictureSize{})
    return {};
  for (int side : {size.width, size.height})
    if (side < 2 || side > kMaxFilmSide || side % 2 != 0)
      return "The film's width and height must be even numbers from 2 to " + Number(kMaxFilmSide) +
             ", not " + Number(size.width) + "x" + Number(size.height) + ".";
  return {};
}

PictureSize FilmSize(PictureSize pictures, const FilmSettings& settings) {
  if (settings.size != PictureSize{})
    return settings.size;
  long long width = std::max(pictures.width, 2), height = std::max(pictures.height, 2);
  const PictureSize most = kLargestDefaultFilm;
  if (!settings.originalSize && (width > most.width || height > most.height)) {
    if (width * most.height >= height * most.width)
      height = height * most.width / width, width = most.width;
    else
      width = width * most.height / height, height = most.height;
  }
  return {std::max(2, static_cast<int>(width & ~1LL)),
          std::max(2, static_cast<int>(height & ~1LL))};
}

std::string DefaultFilmPath(const FilmFrames& frames) {
  if (frames.pictures.empty())
    return {};
  const auto [folder, name] = FilmPlace(frames, {});
  return Utf8Path(FsPath(folder) / FsPath(name));
}

FilmOutcome MakeFilm(const FilmFrames& frames, const FilmSettings& settings,
                     const FilmCallbacks& callbacks, Clock& clock) {
  FilmOutcome outcome;
  auto fail = [&outcome](std::string text) {
    outcome.result = Result::Failure(std::move(text));
    return outcome;
  };
  if (const std::string refusal = FilmSettingsRefusal(settings); !refusal.empty())
    return fail(refusal);
  if (frames.pictures.empty())
    return fail(frames.skipped.empty()
                    ? "The series log " + frames.logPath + " names no stored picture."
                    : "None of the " + Number(static_cast<long long>(frames.skipped.size())) +
                          " pictures the series log names can be used.");
  const std::string ffmpeg = settings.ffmpeg.empty() ? FindFfmpeg() : settings.ffmpeg;
  if (ffmpeg.empty())
    return fail(FfmpegMissingText());

  outcome.size = FilmSize(frames.size, settings);
  const auto [folder, name] = FilmPlace(frames, settings.output);
  RemoveStalePartFiles(folder);
  PartFiles parts;
  for (std::string* part : {&parts.list, &parts.film}) {
    ResultOf<std::string> made = CreatePartFile(folder);
    if (!made)
      return fail("Cannot write the film into " + folder + ": " + made.Text());
    *part = made.Value();
  }
  if (Result written = WriteList(parts.list, ConcatList(frames.pictures, settings.framesPerSecond));
      !written)
    return fail(written.Text());

  FfmpegProcess process;
  if (Result started =
          process.Start(ffmpeg, FfmpegArguments(parts.list, parts.film, outcome.size, settings));
      !started)
    return fail("ffmpeg (" + ffmpeg + ") could not be started: " + started.Text());
  const std::int64_t startMs = clock.NowMs();
  const auto total = static_cast<std::uint32_t>(frames.pictures.size());
  FfmpegOutput output;
  for (std::string more; process.Read(more, kReadWaitMs); more.clear()) {
    if (callbacks.cancelRequested && callbacks.cancelRequested()) {
      process.Kill();
      outcome.cancelled = true;
      return fail("The film was cancelled; nothing of it was kept.");
    }
    if (!output.Take(more) || !callbacks.progress)
      continue;
    const std::uint32_t done = std::min(output.Frames(), total);
    const std::int64_t elapsed = clock.NowMs() - startMs;
    callbacks.progress({done, total, done == 0 ? -1 : elapsed * (total - done) / done});
  }
  const int status = process.Wait();
  outcome.frames = output.Frames();
  outcome.messages = output.Messages();
  if (status != 0)
    return fail(FfmpegFailureText(status, outcome.messages));
  const ResultOf<std::string> published = PublishNumbered(parts.film, folder, name);
  if (!published)
    return fail("Cannot name the film in " + folder + ": " + published.Text());
  parts.film.clear();
  outcome.path = Utf8Path(FsPath(folder) / FsPath(published.Value()));
  return outcome;
}

}  // namespace vel
