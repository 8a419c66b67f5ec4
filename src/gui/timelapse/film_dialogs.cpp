#include "gui/timelapse/film_dialogs.h"

#include <cctype>
#include <charconv>

#include "core/platform/clock.h"
#include "core/ui/control_ids.h"
#include "core/ui/film_templates.h"
#include "gui/framework/desktop.h"
#include "gui/framework/file_chooser.h"
#include "gui/framework/message_box.h"

namespace {

std::string SizeText(vel::PictureSize size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::string Plural(std::size_t count, const std::string& word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// A whole number that takes all of text but the blanks around it.
bool ReadNumber(std::string_view text, int& value) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && !text.empty();
}

// "1280x720", "1280 x 720" or "1280X720".
bool ReadSize(const std::string& text, vel::PictureSize& size) {
  const std::size_t x = text.find_first_of("xX");
  return x != std::string::npos && ReadNumber(std::string_view(text).substr(0, x), size.width) &&
         ReadNumber(std::string_view(text).substr(x + 1), size.height);
}

// "12 pictures of 640x480", and how many of the log's were left out.
std::string PicturesText(const vel::FilmFrames& frames) {
  std::string text = Plural(frames.pictures.size(), "picture") + " of " + SizeText(frames.size);
  if (!frames.skipped.empty())
    text += "; " + std::to_string(frames.skipped.size()) + " left out (see the tooltip)";
  return text;
}

std::string SkippedText(const vel::FilmFrames& frames) {
  std::string text;
  for (const vel::SkippedPicture& skipped : frames.skipped)
    text += (text.empty() ? "" : "\n") + std::string("Shot ") + std::to_string(skipped.shot) +
            ", " + skipped.path + ": " + skipped.reason;
  return text;
}

}  // namespace

CFilmDialog::CFilmDialog(const vel::FilmFrames& frames, const fw::Window* parent)
    : fw::CDialog(vel::FilmChoicesTemplate(), parent), m_frames(frames) {
  MapClick(vel::kFilmOkButton, &CFilmDialog::OnOk);
  MapClick(vel::kFilmOriginalSizeCheck, &CFilmDialog::OnOriginalSize);
  MapClick(vel::kFilmFileChooser, &CFilmDialog::OnChooseFile);
  Item(vel::kFilmRateUpDown).SetRange(1, vel::kMaxFramesPerSecond);
  Item(vel::kFilmRateEdit).SetText(std::to_string(m_settings.framesPerSecond));
  Item(vel::kFilmSizeEdit).SetText(SizeText(vel::FilmSize(frames.size, m_settings)));
  Item(vel::kFilmFileEdit).SetText(vel::DefaultFilmPath(frames));
  Item(vel::kFilmPicturesLine).SetText(PicturesText(frames));
  Item(vel::kFilmPicturesLine).SetToolTip(SkippedText(frames));
}

void CFilmDialog::OnOriginalSize() {
  const bool original = Item(vel::kFilmOriginalSizeCheck).Checked();
  if (original)
    Item(vel::kFilmSizeEdit).SetText(SizeText(m_frames.size));
  Item(vel::kFilmSizeEdit).Enable(!original);
}

void CFilmDialog::OnChooseFile() {
  const fw::OpenFileRequest request{{"Films (*.mp4)", "All files (*)"}, "mp4"};
  if (const std::optional<std::string> file =
          fw::TheFileChooser().ChooseNewFile(this, request, Item(vel::kFilmFileEdit).Text()))
    Item(vel::kFilmFileEdit).SetText(*file);
}

void CFilmDialog::OnOk() {
  vel::FilmSettings settings;
  std::string refusal;
  if (!ReadNumber(Item(vel::kFilmRateEdit).Text(), settings.framesPerSecond))
    settings.framesPerSecond = 0;  // refused below with the range
  settings.deflicker = Item(vel::kFilmDeflickerCheck).Checked();
  settings.output = Item(vel::kFilmFileEdit).Text();
  settings.originalSize = Item(vel::kFilmOriginalSizeCheck).Checked();
  const std::string size = Item(vel::kFilmSizeEdit).Text();
  if (!settings.originalSize && !ReadSize(size, settings.size))
    refusal = "The size must be a width and a height, as 1280x720, not \"" + size + "\".";
  // The pictures' own size, scaled down as by default, is left to the core.
  if (!settings.originalSize && settings.size == vel::FilmSize(m_frames.size, {}))
    settings.size = {};
  if (refusal.empty())
    refusal = vel::FilmSettingsRefusal(settings);
  if (!refusal.empty()) {
    fw::MessageBox(this, refusal, fw::ProgramCaption(), fw::BoxIcon::Error);
    return;
  }
  m_settings = settings;
  EndDialog(vel::kFilmOkButton);
}

CFilmProgressDialog::CFilmProgressDialog(const vel::FilmFrames& frames,
                                         const vel::FilmSettings& settings,
                                         const fw::Window* parent)
    : fw::CDialog(vel::FilmProgressTemplate(), parent), m_frames(frames), m_settings(settings) {
  m_link.PreSubclassWindow(*this, vel::kFilmLink);
  Item(vel::kFilmLink).Show(false);
  Item(vel::kFilmProgressBar).SetProgress(0, static_cast<int>(frames.pictures.size()));
}

CFilmProgressDialog::~CFilmProgressDialog() {
  m_cancel = true;
  if (m_worker.joinable())
    m_worker.join();
}

const vel::FilmOutcome& CFilmProgressDialog::Run() {
  m_worker = std::thread([this] {
    const vel::FilmCallbacks callbacks{[this](const vel::FilmProgress& progress) {
                                         m_msLeft = progress.msLeft;
                                         m_framesDone = progress.framesDone;
                                       },
                                       [this] { return m_cancel.load(); }};
    m_outcome = vel::MakeFilm(m_frames, m_settings, callbacks, vel::SteadyClock());
    m_finished = true;
  });
  SetTimer(kPollTimerId, kPollMs);
  DoModal();
  KillTimer(kPollTimerId);
  m_cancel = !m_finished;
  if (m_worker.joinable())
    m_worker.join();
  return m_outcome;
}

void CFilmProgressDialog::OnTimer(unsigned id) {
  if (id != kPollTimerId)
    return;
  if (m_finished) {
    Finish();
    return;
  }
  if (m_cancel)
    return;
  const auto total = static_cast<std::uint32_t>(m_frames.pictures.size());
  const std::uint32_t done = m_framesDone;
  const std::int64_t msLeft = m_msLeft;
  std::string text = "Frame " + std::to_string(done) + " of " + std::to_string(total);
  if (msLeft >= 0)
    text += ", " + vel::CountdownText(msLeft) + " left";
  Item(vel::kFilmProgressLine).SetText(text);
  Item(vel::kFilmProgressBar).SetProgress(static_cast<int>(done), static_cast<int>(total));
}

void CFilmProgressDialog::Finish() {
  KillTimer(kPollTimerId);
  if (m_worker.joinable())
    m_worker.join();
  if (m_outcome.cancelled || !m_outcome.result)
    EndDialog(fw::CDialog::IDCANCEL);
  else
    ShowFilm();
}

void CFilmProgressDialog::ShowFilm() {
  const int frames = static_cast<int>(m_outcome.frames);
  Item(vel::kFilmProgressBar).SetProgress(frames, frames);
  Item(vel::kFilmProgressLine)
      .SetText("The film is made: " + Plural(m_outcome.frames, "frame") + ", " +
               SizeText(m_outcome.size) + ", " + std::to_string(m_settings.framesPerSecond) +
               " frames per second. Open it:");
  fw::Control link = Item(vel::kFilmLink);
  const fw::Control line = Item(vel::kFilmProgressLine);
  link.SetText(link.Elided(m_outcome.path, line.Geometry().width));
  m_link.SetLinkTarget(fw::FileAddress(m_outcome.path));
  link.SetAccessibleName(m_outcome.path);
  link.Show(true);
  Item(fw::CDialog::IDCANCEL).SetText("Close");
  link.SetFocus();
}

void CFilmProgressDialog::OnCancel() {
  if (m_finished || !m_worker.joinable()) {
    fw::CDialog::OnCancel();
    return;
  }
  // The worker sees it within a tenth of a second, ends ffmpeg and
  // removes the film's parts; the next tick then ends the dialog.
  m_cancel = true;
  Item(vel::kFilmProgressLine).SetText("Cancelling...");
  Item(fw::CDialog::IDCANCEL).Enable(false);
}
