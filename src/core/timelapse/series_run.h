#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/result.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/series_calendar.h"
#include "core/timelapse/series_log.h"
#include "core/timelapse/series_plan.h"
#include "core/timelapse/series_schedule.h"
#include "core/timelapse/series_state.h"
#include "core/timelapse/series_status.h"
#include "core/timelapse/shot_plan.h"
#include "core/timelapse/volumes.h"

namespace vel {

class CComPort;
class Clock;
struct Settings;

// How far the user or the system asked a series to end.
enum class StopRequest {
  None,
  AfterShot,  // the shot under way finishes (its external program is ended)
  AtOnce,     // nothing more is sent but what lets the camera go
};

// What a series needs from the front end that runs it: how it shows what it
// does, and what it does around a copy. Everything else it does itself.
class SeriesView {
 public:
  virtual ~SeriesView() = default;

  // A status text: the steps of a shot, Doze, Idle.
  virtual void ShowStatus(const std::string& text) = 0;
  // The series' log was opened, before the first shot.
  virtual void ShowLogPath(const std::string& /*path*/) {}
  // A shot begins; it has ended, with what it did.
  virtual void ShotBegins() {}
  virtual void ShotEnded(const ShotRecord&) {}
  // A picture could not be copied: the failure's text is the error box's,
  // its detail a line for standard error.
  virtual void ShowCopyFailure(const Result&) {}
  // The series is idle (again): after its last shot and at the tick after
  // it, after Cancel, and at a Start that takes no shot.
  virtual void ShowIdle(const std::string& /*idleText*/) {}
  // A new picture was stored.
  virtual void ShowStoredPicture(const CopyOutcome&) {}
  // Something the photographer must know that does not stop the series
  // (its log cannot be written, the camera left in USB mode).
  virtual void ShowWarning(const std::string&) {}
  // A line for standard error (the external program's failure).
  virtual void Note(const std::string&) {}
  // Asked at every step that can be cut short.
  virtual StopRequest Stop() { return StopRequest::None; }
  // Around each copy, waiting up to waitMs in all: making the camera's
  // drive appear (mounting its card) and letting it go again. A failure
  // of AfterCopy means the drive is still in use: the camera stays in USB
  // mode and the series ends.
  virtual Result BeforeCopy(Clock&, std::uint32_t /*waitMs*/) { return Result::Success(); }
  virtual Result AfterCopy(Clock&) { return Result::Success(); }
};

// A time-lapse series, the same in every front end: its schedule, its shots
// (the shot plan run on the port), the copy off the camera's drive, the
// external program with its time limits, the log, and the camera's state,
// so that however a series ends, no key stays held and the camera is back
// in REC mode.
//
// The front end keeps one for as long as it lives (the picture taken last
// is remembered across series) and only waits: it calls Begin at Start,
// then OnTick whenever NextDueMs has come, until Running turns false.
// Every shot reads the settings afresh; the interval and the count are read
// at Begin.
class SeriesRun {
 public:
  SeriesRun(const Settings& settings, CComPort& port, Clock& clock, SeriesView& view);
  ~SeriesRun();
  SeriesRun(const SeriesRun&) = delete;
  SeriesRun& operator=(const SeriesRun&) = delete;

  // The clock the external program is waited on (by default the shots'
  // one): the window's lets Cancel and Exit through.
  void SetProgramClock(Clock& clock) { m_programClock = &clock; }
  // Where logs go (by default the user's state folder) and where drives
  // are looked up (tests point both at folders of their own).
  void SetLogFolder(std::string folder) { m_logFolder = std::move(folder); }
  void SetVolumeSources(VolumeSources sources) { m_volumes = std::move(sources); }
  // The clock of the waits that let the camera go after a series was ended
  // at once (the front end's shot clock then waits no more).
  void SetSafeClock(Clock& clock) { m_safeClock = &clock; }
  // Told the series' status whenever it moves: at Start, as each shot
  // begins and ends, at the end. Called on the series' own thread, between
  // the steps of a shot, never during one.
  using StatusListener = std::function<void(const SeriesStatus&)>;
  void SetStatusListener(StatusListener listener) { m_statusListener = std::move(listener); }

  // Starts a new series and takes its first shot at once when the start
  // condition holds (an interval or Bulb, and a count or Infinity). True
  // when more shots are to come: the grid of the later shots is then laid
  // from the end of the first one. A series with a schedule (a start, a
  // stop, daily windows) takes no shot at once: its grid lies from its
  // start on, and its slots are shot only inside its windows.
  bool Begin();
  // Goes on with a series that was stopped from outside, as its state says;
  // the settings given at construction must be the state's. Its numbering,
  // its grid and its log are kept; the slots that passed meanwhile are
  // skipped (the log says how many). True when shots are to come.
  bool Resume(const SeriesState& state);
  // A tick of the front end's wait: takes the shot that is due, or ends a
  // series that is complete. Shoot when a shot was taken.
  SeriesSchedule::Tick OnTick();
  // Ends the series as Cancel does: after the shot under way (its program
  // ended), the log's end line, the camera let go.
  void Cancel();
  // Writes what lets the camera go (held keys released, back to REC) unless
  // it is safe already or must stay in USB mode.
  void LeaveCameraSafe();

  // A shot is being taken (a tick that comes meanwhile waits for its end).
  bool Shooting() const { return m_shooting; }
  // Shots are still to come, or one is under way.
  bool Running() const;
  // When the next tick is due, on the clock; only while Running.
  std::int64_t NextDueMs();
  SeriesProgress Progress();
  // What the schedule does next, for the progress line: "Waiting for the
  // window 07:00-18:00 on Monday (in 09:12:40)", "Stops at 2026-12-24
  // 18:00"; empty without a schedule.
  std::string ScheduleText();
  // What the last shot took and the size of the picture it stored, for the
  // plan of the next series.
  const ShotMeasure& LastShot() const { return m_lastShot; }
  // Where the series' state is kept for a resume (beside its log).
  std::string StatePath() const;
  // "picture N of M taken" or, for an endless series, "picture N taken".
  std::string ProgressText() const;
  // Where the series stands now, for a page that shows it.
  SeriesStatus Status();
  // The camera had to be left in USB mode (its drive could not be let go).
  bool LeftInUsbMode() const { return m_keepUsbMode; }
  // The series was ended at once (StopRequest::AtOnce).
  bool Aborted() const { return m_aborted; }

  const SeriesSchedule& Schedule() const { return m_schedule; }
  const std::string& LogPath() const { return m_log.Path(); }
  const CameraState& Camera() const { return m_camera; }

 private:
  class Executor;
  friend class Executor;

  void TakeShot();
  void Finish();
  // The schedule of the settings: none without one; false (and a warning)
  // when it cannot be read.
  bool ReadSchedule(std::optional<std::int64_t> endWallSeconds);
  // Keeps the series' state beside its log, running or not.
  void WriteState(bool running);
  void NoteClockJump();
  LocalTime WallTimeAt(std::int64_t ms);
  std::string NextWindowText();
  void ShowStatus(const std::string& text);
  void ShowIdle();
  void Publish();
  void NoteStoredPicture(const CopyOutcome& copied);
  bool Infinity() const;
  std::int64_t UntilNextShotMs();
  void OpenLog();
  void LogLine(const std::string& text);
  void CheckLog();
  CopyOutcome Copy(const TransferSettings& settings, std::uint32_t waitMs);
  std::string RunProgram(const std::string& program, const std::vector<std::string>& words);

  const Settings& m_settings;
  CComPort& m_port;
  Clock& m_clock;
  Clock* m_programClock;
  Clock* m_safeClock;
  SeriesView& m_view;
  std::string m_logFolder;
  VolumeSources m_volumes;

  SeriesSchedule m_schedule;
  SeriesCalendar m_calendar;
  std::optional<std::int64_t> m_endWallSeconds;
  std::unique_ptr<CalendarSlots> m_filter;
  std::int64_t m_wallOffsetMs = 0;  // wall minus monotonic, to see the wall clock jump
  std::int64_t m_lastShotWallMs = 0;
  ShotMeasure m_lastShot;
  SeriesLog m_log;
  bool m_logWarned = false;
  bool m_stateWarned = false;
  PictureTransfer m_transfer;
  DriveSnapshot m_drivesAtStart;
  CameraState m_camera;
  // The name the picture copied last was stored under, for the external
  // program; kept across series.
  std::string m_storedName;
  // For the status: the status line, the stored picture and its thumbnail.
  StatusListener m_statusListener;
  std::string m_statusText;
  std::string m_picturePath;
  std::string m_thumbnailPath;
  std::uint32_t m_pictureShot = 0;
  bool m_begun = false;  // a series was started
  bool m_shooting = false;
  bool m_tickPending = false;
  bool m_keepUsbMode = false;
  bool m_aborted = false;
};

}  // namespace vel
