// The Time Lapse page's film of the last series: "Make film..." and the
// rule that enables it.

#include "core/film/ffmpeg_process.h"
#include "core/film/film.h"
#include "core/platform/files.h"
#include "core/platform/user_dirs.h"
#include "core/timelapse/series_log.h"
#include "core/ui/control_ids.h"
#include "gui/framework/desktop.h"
#include "gui/framework/message_box.h"
#include "gui/framework/property_sheet.h"
#include "gui/timelapse/film_dialogs.h"
#include "gui/timelapse/time_lapse_page.h"

std::string CTimeLapse::FilmLog() const {
  if (std::string path = LogPath(); !path.empty())
    return path;
  const vel::ResultOf<std::string> last = vel::LastSeriesLog(
      m_logFolder.empty() ? vel::SeriesLogFolder(std::string(vel::kSeriesLogProgram))
                          : m_logFolder);
  return last ? last.Value() : std::string();
}

void CTimeLapse::UpdateFilmButton() {
  bool pictures = false;
  if (!SeriesRunning()) {
    std::string text;
    const std::string log = FilmLog();
    pictures = !log.empty() && vel::ReadWholeFile(log, text).Ok() &&
               !vel::StoredPicturesOfLog(text).empty();
  }
  Item(vel::kMakeFilmButton).Enable(pictures);
}

void CTimeLapse::OnMakeFilm() {
  const fw::Window* owner = Sheet() ? static_cast<const fw::Window*>(Sheet()) : this;
  auto fail = [owner](const std::string& text) {
    fw::MessageBox(owner, text, fw::ProgramCaption(), fw::BoxIcon::Error);
  };
  const std::string log = FilmLog();
  if (SeriesRunning() || log.empty())
    return;
  if (vel::FindFfmpeg().empty())
    return fail(vel::FfmpegMissingText());
  vel::ResultOf<vel::FilmFrames> frames = [&log] {
    const fw::WaitCursor wait;  // each picture's head is read
    return vel::ReadFilmFrames(log);
  }();
  if (!frames)
    return fail(frames.Text());
  if (frames->pictures.empty()) {
    std::string text = "The series log " + log + " names no picture that can be used.";
    for (const vel::SkippedPicture& skipped : frames->skipped)
      text += "\n" + skipped.path + ": " + skipped.reason;
    return fail(text);
  }
  CFilmDialog choices(frames.Value(), owner);
  if (choices.DoModal() != vel::kFilmOkButton)
    return;
  CFilmProgressDialog progress(frames.Value(), choices.Settings(), owner);
  const vel::FilmOutcome& film = progress.Run();
  if (!film.result && !film.cancelled)
    fail(film.result.Text());
}
