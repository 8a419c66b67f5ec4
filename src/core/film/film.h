#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/result.h"
#include "core/timelapse/status_text.h"

namespace vel {

class Clock;

struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize&) const = default;
};

// A picture a series log names as stored, by its shot.
struct LoggedPicture {
  std::uint32_t shot = 0;
  std::string path;
};

// The stored pictures of a series log in the order of its lines, which is
// the order of the shots: the path of each "stored" field, unescaped. Lines
// of other events, shots whose copy failed or found no new picture, and
// anything that is not a shot line add nothing.
std::vector<LoggedPicture> StoredPicturesOfLog(std::string_view logText);

// A picture left out of the film, and why ("missing", "not a JPEG
// picture", the system's reason it cannot be read).
struct SkippedPicture {
  std::uint32_t shot = 0;
  std::string path;
  std::string reason;
};

// The frames of a series' film.
struct FilmFrames {
  std::string logPath;
  std::optional<LocalTime> seriesStart;  // from the log's "Series started" line
  std::vector<std::string> pictures;     // readable JPEG pictures, in shot order
  std::vector<SkippedPicture> skipped;
  PictureSize size;  // of the first picture
};

// Reads the log and looks at each picture it names: the ones that are
// missing or cannot be read as JPEG pictures are skipped. Fails only when
// the log itself cannot be read.
ResultOf<FilmFrames> ReadFilmFrames(const std::string& logPath);

// The log of the series started last in folder: of the names
// "series-YYYY-MM-DD-HHMMSS.log" (and their "-2" numbering) the latest start.
// Fails when the folder holds none.
ResultOf<std::string> LastSeriesLog(const std::string& folder);

// The largest film a picture's own size gives.
inline constexpr PictureSize kLargestDefaultFilm{1920, 1080};

// What film to make.
struct FilmSettings {
  int framesPerSecond = 25;
  // 0x0: the pictures' own size, scaled down to fit kLargestDefaultFilm when
  // larger (or not at all with originalSize). Else the film's size (even
  // numbers); the pictures are scaled to fit inside it with their aspect
  // kept, the rest black.
  PictureSize size{};
  bool originalSize = false;
  bool deflicker = false;  // evens out the brightness from frame to frame
  int quality = 20;        // x264's constant rate factor: 0 lossless to 51 worst
  // The film's file, or a folder for it; empty: beside the pictures, named
  // after the series' start ("series-2026-12-07-101500.mp4"). A file of that
  // name is never replaced: the film is numbered "-2", "-3", ... instead.
  std::string output;
  std::string ffmpeg;  // empty: FindFfmpeg()
};

inline constexpr int kMaxFramesPerSecond = 240;
inline constexpr int kMaxQuality = 51;
inline constexpr int kMaxFilmSide = 8192;

// Why the settings cannot make a film; empty when they can.
std::string FilmSettingsRefusal(const FilmSettings& settings);

// The film's width and height for pictures of the size given: the size asked
// for, else the pictures' own made even, scaled down to fit
// kLargestDefaultFilm with the aspect kept unless the original size is asked.
PictureSize FilmSize(PictureSize pictures, const FilmSettings& settings);

// How far the film has come.
struct FilmProgress {
  std::uint32_t framesDone = 0;
  std::uint32_t framesTotal = 0;
  std::int64_t msLeft = -1;  // -1 until it can be told
};

// How the front end follows a film being made. Both are called on the
// thread that runs MakeFilm, so a window can run it on a worker thread and
// hand the progress to its own; cancelRequested is asked several times a
// second.
struct FilmCallbacks {
  std::function<void(const FilmProgress&)> progress;
  std::function<bool()> cancelRequested;
};

// What became of a film.
struct FilmOutcome {
  Result result = Result::Success();
  bool cancelled = false;
  std::string path;  // the film made
  PictureSize size;
  std::uint32_t frames = 0;  // as ffmpeg counted them
  // What ffmpeg said besides its progress (its errors, the last ones kept).
  std::vector<std::string> messages;
};

// Where the film of the frames goes when no output is given: beside the
// first picture, named after the series' start (before any "-2" numbering).
std::string DefaultFilmPath(const FilmFrames& frames);

// Makes the film of the frames with ffmpeg: an H.264 MP4 in yuv420p with its
// index at the front (+faststart), one frame per picture at the rate asked.
// The film is written to a hidden temporary file beside its place and gets
// its name only when it is complete. Cancelled, ffmpeg is ended at once and
// nothing is left behind. The clock tells the time left.
FilmOutcome MakeFilm(const FilmFrames& frames, const FilmSettings& settings,
                     const FilmCallbacks& callbacks, Clock& clock);

}  // namespace vel
