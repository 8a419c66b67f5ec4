#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "core/film/film.h"
#include "gui/framework/dialog.h"
#include "gui/widgets/hyperlink.h"

// The choices of a series' film: the frame rate, the size (the pictures'
// own, scaled down to fit 1920x1080, shown as width x height to be changed;
// or the original size), deflicker, and the file, by default the core's
// place beside the pictures. OK takes them only when they can make a film.
class CFilmDialog : public fw::CDialog {
 public:
  CFilmDialog(const vel::FilmFrames& frames, const fw::Window* parent);

  // What OK took.
  const vel::FilmSettings& Settings() const { return m_settings; }

 private:
  void OnOk();
  void OnOriginalSize();
  void OnChooseFile();

  const vel::FilmFrames& m_frames;
  vel::FilmSettings m_settings;
};

// Follows the film being made: ffmpeg runs through the core on a thread of
// its own while a timer of the dialog shows its progress, so the window
// never waits for it. Cancel ends ffmpeg and nothing of the film is kept.
// A film made shows as a link that opens it in the desktop's player, with
// Close in the place of Cancel; a failure or a cancel ends the dialog.
class CFilmProgressDialog : public fw::CDialog {
 public:
  static constexpr unsigned kPollTimerId = 1;
  static constexpr std::uint32_t kPollMs = 100;

  CFilmProgressDialog(const vel::FilmFrames& frames, const vel::FilmSettings& settings,
                      const fw::Window* parent);
  // A film still being made is cancelled and waited for.
  ~CFilmProgressDialog() override;

  // Makes the film while the dialog shows; returns when it is closed.
  const vel::FilmOutcome& Run();

  void OnTimer(unsigned id) override;

 protected:
  void OnCancel() override;

 private:
  void Finish();
  void ShowFilm();

  const vel::FilmFrames& m_frames;
  const vel::FilmSettings m_settings;
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_finished{false};
  std::atomic<std::uint32_t> m_framesDone{0};
  std::atomic<std::int64_t> m_msLeft{-1};
  vel::FilmOutcome m_outcome;  // the worker's, read once it has finished
  std::thread m_worker;
  CHyperLink m_link;
};
