#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/status/status_server.h"
#include "core/timelapse/series_run.h"
#include "core/timelapse/volumes.h"
#include "gui/framework/input_hold.h"
#include "gui/framework/property_page.h"
#include "gui/widgets/hyperlink.h"

// The Time Lapse page: how many shots (or endless), the interval, an optional
// focus lead time and an optional bulb exposure; Start and Cancel; and a
// two-line status, what the series does and when that line was written.
//
// A series takes its first shot inside the Start click and the others on a
// fixed grid of the interval. Each shot runs on the user-interface thread;
// its waits keep the window painting while the user's input to it waits
// until the shot is over, except that Cancel and Exit end an external
// program that is still running. Below the status the page tells how many
// copies failed and why, where the series' log is, when the next shot comes
// and the series ends, and which picture was stored last, which also shows
// small at the top right.
class CTimeLapse : public fw::CPropertyPage, private vel::SeriesView {
 public:
  // The id under which the series timer runs.
  static constexpr unsigned kSeriesTimerId = 4711;
  // The id of the progress line's timer, which runs only while a series runs.
  static constexpr unsigned kProgressTimerId = 4712;
  // The range of the three up-down arrows; the edits take any run of digits.
  static constexpr int kUpDownLower = 0;
  static constexpr int kUpDownUpper = 32767;

  // Every status write, as the two lines show it.
  using StatusObserver = std::function<void(const std::string& text, const std::string& time)>;
  // Opens a picture file; false when it could not.
  using PictureOpener = std::function<bool(const std::string& path)>;

  CTimeLapse();
  ~CTimeLapse() override;

  // The first status line shows the text, the second the local date and
  // time of writing; both are painted at once, also in the middle of a shot.
  void SetStatus(std::string text);

  // Click handlers of the check boxes: each stores the whole page into the
  // settings, then enables its own pair of edit and arrows.
  void OnInfinity();
  void OnBulb();
  void OnFocus();
  // Start and Cancel.
  void OnStart();
  void OnCancelSeries();
  // The Schedule... button: the dialog of the series' start, stop, daily
  // windows and days; its OK shows the plan anew.
  void OnSchedule();
  // Goes on with a series the program was stopped in the middle of, as its
  // state says; the settings must be the state's already.
  void ResumeSeries(const vel::SeriesState& state);
  // "Make film...": the film of the last series' stored pictures, its
  // choices in a dialog, then ffmpeg followed in a progress dialog.
  void OnMakeFilm();
  // A tick of the series timer, which the toolkit never delivers early; a
  // tick under any other id is ignored, and one that comes while a shot
  // runs is taken when the shot has ended.
  void OnTimer(unsigned id) override;

  // Where drives are looked up when a series starts and when a picture is
  // copied; tests point this at a fixture mount table.
  void SetVolumeSources(vel::VolumeSources sources);

  // Where the series' logs go; tests point this at a folder of their own.
  void SetLogFolder(std::string folder);

  // Tells every status write; tests watch the lines so.
  void SetStatusObserver(StatusObserver observer) { m_statusObserver = std::move(observer); }
  // Replaces the desktop's viewer of the last picture (tests).
  void SetPictureOpener(PictureOpener opener);

  bool SeriesTimerRunning() const;
  bool ProgressTimerRunning() const { return TimerRunning(kProgressTimerId); }
  // A series is under way: a shot runs or another one is to come.
  bool SeriesRunning() const;
  // "picture N of M taken" (or "picture N taken" for an endless series).
  std::string SeriesProgressText() const;
  // Ends a running series as Cancel does, ending its external program at once.
  void EndSeries();
  std::string LogPath() const;

 protected:
  bool OnInitDialog() override;
  // Coming back from another page shows the plan of what it changed.
  bool OnSetActive() override;
  int OnKickIdle(int idleCount) override;
  void DoDataExchange(fw::DataExchange& dx) override;

 private:
  // What the series shows on this page.
  void ShowStatus(const std::string& text) override;
  // Shows the Idle text, enables Start and disables Cancel. The series timer
  // is left as it is.
  void ShowIdle(const std::string& idleText) override;
  // The link to the series' log.
  void ShowLogPath(const std::string& path) override;
  void ShotBegins() override;
  void ShotEnded(const vel::ShotRecord& record) override;
  // A box that does not hold up the series, and the failures line.
  void ShowCopyFailure(const vel::Result& failure) override;
  void ShowStoredPicture(const vel::CopyOutcome& copied) override;
  void ShowWarning(const std::string& text) override;
  void Note(const std::string& text) override;

  // The page's series, made at its first use.
  vel::SeriesRun& Series();
  // Starts a series, or goes on with the one resumed.
  void Launch(const vel::SeriesState* resumed);
  // The series' status page, served from the page's start until the
  // program ends when the profile names an address; the line tells where.
  void ServeStatusPage();
  // Enables an edit and its arrows together.
  void EnablePair(int editId, int upDownId, bool enable);
  void ApplyEnableRules();
  // Stores the page, then applies the rule of one check box.
  void StoreAndEnable(int checkId);
  void ExchangeInterval(fw::DataExchange& dx);
  // Arms the series timer for the series' next tick, while the series'
  // schedule runs; stops it otherwise.
  void ArmSeriesTimer();
  void ShowCopyFailures();
  // The progress line, brought up to date; its timer runs on while a series
  // runs and stops when it has ended.
  void UpdateProgress();
  // Shows text on the progress line; assistive technology hears announced.
  void ShowProgress(std::string_view text, std::string_view announced);
  // Shows lines on the progress line; assistive technology hears announced.
  void ShowProgressLines(const std::vector<std::string>& lines,
                         const std::vector<std::string>& announced);
  // Before Start: how many shots the settings give and when, the room at
  // the destination, and whether a shot fits into the interval.
  void ShowPlan();
  // The log whose pictures "Make film..." takes: the series run last on the
  // page, else the latest log of the log folder; empty for none.
  std::string FilmLog() const;
  // "Make film..." is enabled while no series runs, when the last series'
  // log names a stored picture.
  void UpdateFilmButton();
  // The settings with the series' values as the controls show them, where
  // they can be read, though not stored yet.
  vel::Settings ShownSettings() const;
  // A picture stored: the preview and the path line.
  void ShowLastPicture(const vel::CopyOutcome& copied);
  // At Start: no picture of an earlier series stays in sight as if current.
  void HideLastPicture();
  void OnLastPicture();
  // text shortened in its middle to the room from control id to the right
  // end of the lines below the status: a long path stays on the page, whole
  // in the tooltip.
  std::string FitToLine(int id, const std::string& text) const;

  // What the plan shown was made of: the series' values on the page and
  // the minute of the clock.
  using PlanInputs = std::array<std::int64_t, 10>;
  PlanInputs m_planInputs{};
  // Only its time of day counts: hours, minutes and seconds of the interval.
  fw::TimeOfDay m_timeInterval;
  unsigned m_nTimerId = 0;
  // The series timer is armed for a part of a wait too long for it.
  bool m_partialWait = false;

  // Before the series, which tells it its state until the end.
  std::unique_ptr<vel::StatusServer> m_statusPage;
  std::unique_ptr<vel::SeriesRun> m_series;
  vel::VolumeSources m_volumeSources;
  std::string m_logFolder;
  // Cancel, Exit and Esc pass it.
  std::unique_ptr<fw::InputHold> m_shotHold;
  int m_copyErrorBox = 0;  // the box of the last failed copy, while it is open
  // The failures line: the copies failed and the last one's reason, and a
  // warning of the series; cleared at Start.
  std::string m_failures;
  std::string m_warning;
  CHyperLink m_logLink;
  std::string m_lastPicture;  // the path the preview shows
  StatusObserver m_statusObserver;
  PictureOpener m_pictureOpener;
};
