// The film of a series of 300 pictures of 2048x1536 as the program makes it
// (its frame list, its filters, ffmpeg's progress read as it comes) beside
// the plain ffmpeg command on a numbered pattern with the same encoder
// settings: x264 at CRF 20, yuv420p, scaled to 1440x1080, +faststart.
//
// Each repetition makes both films, in turns, and counts the wall time and
// the CPU time of ffmpeg for each. On a machine shared with other work the
// CPU time is the steadier measure of the two.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/film/film.h"
#include "core/platform/clock.h"
#include "core/timelapse/series_log.h"
#include "support/film_pictures.h"
#include "support/temp_dir.h"

namespace {

constexpr int kPictures = 300;
constexpr int kWidth = 2048, kHeight = 1536;
constexpr int kToolTimeoutMs = 30 * 60 * 1000;

vel::test::TempDir& Scratch() {
  static vel::test::TempDir dir;
  return dir;
}

std::string PictureName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "CIMG%04d.JPG", n);
  return name;
}

// The pictures, photo-like (a moving pattern under noise), and the log of
// their series; made once.
const std::string& SeriesLog() {
  static const std::string log = [] {
    const std::string folder = Scratch() / "pictures";
    std::filesystem::create_directories(folder);
    vel::test::RunTool(
        "ffmpeg",
        {"-loglevel", "error", "-f", "lavfi", "-i",
         "testsrc2=s=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
             ":r=25,noise=alls=12:allf=t+u",
         "-frames:v", std::to_string(kPictures), "-q:v", "3", folder + "/CIMG%04d.JPG"},
        kToolTimeoutMs);
    std::string text = "2026-12-07 10:15:00 Series started: 300 pictures, interval 00:00:05\n";
    for (int n = 1; n <= kPictures; ++n)
      text += "2026-12-07 10:15:00 Shot " + std::to_string(n) + " of 300: sent 42 62; stored " +
              vel::EscapeLogField(folder + "/" + PictureName(n)) + "\n";
    vel::test::TempDir::WriteFile(Scratch() / "series.log", text);
    return Scratch() / "series.log";
  }();
  return log;
}

double ChildCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

template <typename Make>
Timing Timed(Make make) {
  const double cpu = ChildCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  make();
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  return {wall.count(), ChildCpuSeconds() - cpu};
}

void PlainFfmpeg() {
  const std::string film = Scratch() / "plain.mp4";
  vel::test::RunTool(
      "ffmpeg",
      {"-loglevel", "error", "-y", "-framerate", "25", "-i", Scratch() / "pictures/CIMG%04d.JPG",
       "-vf", "scale=1440:1080", "-c:v", "libx264", "-crf", "20", "-pix_fmt", "yuv420p",
       "-movflags", "+faststart", film},
      kToolTimeoutMs);
  std::filesystem::remove(film);
}

void ProgramFilm(benchmark::State& state, const vel::FilmFrames& frames) {
  vel::FilmSettings settings;
  settings.output = Scratch() / "program.mp4";
  const vel::FilmOutcome film = vel::MakeFilm(frames, settings, {}, vel::SteadyClock());
  if (!film.result || film.frames != kPictures || film.size != vel::PictureSize{1440, 1080})
    state.SkipWithError(("the program's film failed: " + film.result.Text()).c_str());
  std::filesystem::remove(film.path);
}

void BM_FilmBesidePlainFfmpeg(benchmark::State& state) {
  const vel::ResultOf<vel::FilmFrames> frames = vel::ReadFilmFrames(SeriesLog());
  if (!frames || frames->pictures.size() != kPictures) {
    state.SkipWithError("the pictures could not be made");
    return;
  }
  Timing plain, program;
  for (auto _ : state) {
    // In turns, so that neither gains from a load that comes or goes.
    static int turn = 0;
    const bool plainFirst = turn++ % 2 == 0;
    if (plainFirst)
      plain = Timed(PlainFfmpeg);
    program = Timed([&] { ProgramFilm(state, frames.Value()); });
    if (!plainFirst)
      plain = Timed(PlainFfmpeg);
  }
  state.counters["plain_s"] = plain.wall;
  state.counters["program_s"] = program.wall;
  state.counters["plain_cpu_s"] = plain.cpu;
  state.counters["program_cpu_s"] = program.cpu;
  state.counters["program_vs_plain_pct"] = 100.0 * (program.wall / plain.wall - 1);
  state.counters["program_vs_plain_cpu_pct"] = 100.0 * (program.cpu / plain.cpu - 1);
}
BENCHMARK(BM_FilmBesidePlainFfmpeg)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
