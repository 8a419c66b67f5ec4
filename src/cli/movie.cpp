#include "cli/movie.h"

#include <cstdio>
#include <string>

#include "cli/progress.h"
#include "cli/terminal.h"
#include "core/film/film.h"
#include "core/platform/clock.h"
#include "core/platform/end_signals.h"
#include "core/platform/user_dirs.h"
#include "core/timelapse/series_log.h"

namespace cli {
namespace {

void Complain(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kProgramName, text.c_str());
}

std::string SizeText(vel::PictureSize size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// "Frames 120 of 300, 00:42 left", rewritten in place on a terminal; on a
// pipe nothing until the end.
class FilmProgressLine {
 public:
  FilmProgressLine() : m_terminal(IsTerminal(stdout)) {}
  void Show(const vel::FilmProgress& progress) {
    if (!m_terminal)
      return;
    std::string text = "Frames " + std::to_string(progress.framesDone) + " of " +
                       std::to_string(progress.framesTotal);
    if (progress.msLeft >= 0)
      text += ", " + vel::CountdownText(progress.msLeft) + " left";
    RewriteLine(stdout, FitToColumns(text, TerminalColumns(stdout)), m_shown);
    std::fflush(stdout);
    m_open = true;
  }
  void End() {
    if (m_open)
      std::printf("\n");
    m_open = false;
    m_shown = 0;
  }

 private:
  bool m_terminal;
  bool m_open = false;
  std::size_t m_shown = 0;
};

}  // namespace

int MakeMovie(const Invocation& run) {
  std::string log = run.seriesLog;
  if (log.empty()) {
    const vel::ResultOf<std::string> last =
        vel::LastSeriesLog(vel::SeriesLogFolder(std::string(vel::kSeriesLogProgram)));
    if (!last) {
      Complain(last.Text() + ": give the series log (velorantica-cli movie LOG).");
      return kExitFailed;
    }
    log = last.Value();
  }
  const vel::ResultOf<vel::FilmFrames> frames = vel::ReadFilmFrames(log);
  if (!frames) {
    Complain(frames.Text());
    return kExitFailed;
  }
  std::printf("Series log: %s\n", log.c_str());
  for (const vel::SkippedPicture& skipped : frames->skipped)
    std::printf("Skipped shot %u, %s: %s\n", skipped.shot, skipped.path.c_str(),
                skipped.reason.c_str());
  if (!frames->pictures.empty())
    std::printf("Making the film of %zu picture%s with ffmpeg (Ctrl+C cancels)\n",
                frames->pictures.size(), frames->pictures.size() == 1 ? "" : "s");
  std::fflush(stdout);

  vel::EndSignals signals;
  FilmProgressLine line;
  const vel::FilmCallbacks callbacks{[&line](const vel::FilmProgress& p) { line.Show(p); },
                                     [&signals] { return signals.Count() != 0; }};
  const vel::FilmOutcome film =
      vel::MakeFilm(frames.Value(), run.film, callbacks, vel::SteadyClock());
  line.End();
  if (!film.result) {
    Complain(film.result.Text());
    return kExitFailed;
  }
  for (const std::string& message : film.messages)
    std::fprintf(stderr, "ffmpeg: %s\n", message.c_str());
  std::printf("Film: %s (%u frame%s, %s, %d fps)\n", film.path.c_str(), film.frames,
              film.frames == 1 ? "" : "s", SizeText(film.size).c_str(), run.film.framesPerSecond);
  std::fflush(stdout);
  return kExitOk;
}

}  // namespace cli
