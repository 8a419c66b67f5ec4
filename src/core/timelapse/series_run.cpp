#include "core/timelapse/series_run.h"

#include <algorithm>
#include <filesystem>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/platform/clock.h"
#include "core/platform/user_dirs.h"
#include "core/timelapse/external_command.h"
#include "core/timelapse/picture_transfer_files.h"
#include "core/timelapse/status_text.h"

namespace vel {
namespace {

constexpr const char* kEndedAtOnce = "Ended at once.";
constexpr const char* kProgramSucceeded = "exited with status 0";

// A wall clock set forwards or back by more than this is told in the log.
constexpr std::int64_t kClockJumpMs = 60'000;

std::string CardStuckText(const std::string& why) {
  return why + " The camera is left in USB mode and the series ends.";
}

}  // namespace

// The steps of a shot on the series' port and clock, its texts to the view;
// what the shot did goes into its record for the log.
class SeriesRun::Executor final : public ShotExecutor {
 public:
  Executor(SeriesRun& run, ShotRecord& record) : m_run(run), m_record(record) {}

  Result WriteByte(std::uint8_t byte) override {
    // Ended at once: only the bytes that let the camera go are still sent.
    if (m_run.m_view.Stop() == StopRequest::AtOnce)
      return Result::Failure(kEndedAtOnce);
    Result written = SendCommandByte(m_run.m_port, byte);
    if (written)
      m_record.bytes.push_back(byte);
    return written;
  }
  void WaitMs(std::uint32_t ms) override { m_run.m_clock.WaitMs(ms); }
  void ShowStatus(const std::string& text) override { m_run.ShowStatus(text); }
  CopyOutcome CopyPicture(const TransferSettings& settings, std::uint32_t waitMs) override {
    CopyOutcome copied = m_run.Copy(settings, waitMs);
    NoteCopy(m_record, copied);
    return copied;
  }
  void RunCommand(const std::string& program, const std::vector<std::string>& words) override {
    std::vector<std::string> all = words;
    all.push_back(m_run.m_storedName);
    m_record.commandOutcome = m_run.RunProgram(program, all);
  }

 private:
  SeriesRun& m_run;
  ShotRecord& m_record;
};

SeriesRun::SeriesRun(const Settings& settings, CComPort& port, Clock& clock, SeriesView& view)
    : m_settings(settings),
      m_port(port),
      m_clock(clock),
      m_programClock(&clock),
      m_safeClock(&SteadyClock()),
      m_view(view) {}

SeriesRun::~SeriesRun() {
  // The view may be going away too: only the log and the camera are told.
  m_logWarned = true;
  if (Running())
    m_schedule.Cancel();
  Finish();
}

bool SeriesRun::Begin() {
  if (m_shooting)
    return false;
  Finish();  // a series still running ends here
  m_tickPending = false;
  m_keepUsbMode = false;
  m_aborted = false;
  const SeriesStartSettings series = SeriesStartSettings::Of(m_settings);
  m_drivesAtStart = TakeDriveSnapshot(m_volumes);
  m_transfer.StartSeries(TransferSettings::Of(m_settings));
  m_wallOffsetMs = m_clock.WallMs() - m_clock.NowMs();
  if (!ReadSchedule(std::nullopt)) {
    ShowIdle();
    return false;
  }
  if (m_filter) {
    const std::int64_t now = m_clock.NowMs();
    const std::int64_t startMs =
        m_calendar.startAt ? std::max(now, *m_calendar.startAt * 1000 - m_wallOffsetMs) : now;
    if (!m_schedule.StartScheduled(series, startMs, m_filter.get())) {
      ShowIdle();
      return false;
    }
    m_begun = true;
    OpenLog();
    LogLine(SeriesStartLogText(series, ShotSettings::Of(m_settings)) + "; " +
            ScheduleLogText(m_calendar, m_endWallSeconds));
    WriteState(Running());
    Publish();
    return true;
  }
  if (!m_schedule.Start(series)) {
    ShowIdle();
    return false;
  }
  m_begun = true;
  OpenLog();
  LogLine(SeriesStartLogText(series, ShotSettings::Of(m_settings)));
  TakeShot();
  if (m_schedule.Cancelled() || m_schedule.Complete(Infinity()))
    return false;  // the shot has ended the series
  // The grid of the later shots is anchored at the end of the first one.
  if (m_schedule.FinishFirstShot(m_clock.NowMs())) {
    WriteState(Running());
    Publish();  // with the grid laid: the next shot's countdown
    return true;
  }
  Finish();
  ShowIdle();
  return false;
}

SeriesSchedule::Tick SeriesRun::OnTick() {
  if (m_shooting) {
    // Taken once the shot has ended; a tick of no running series is stale.
    m_tickPending = m_schedule.TimerRunning();
    return SeriesSchedule::Tick::Ignore;
  }
  m_tickPending = false;
  NoteClockJump();
  const SeriesSchedule::Tick tick = m_schedule.OnTick(m_clock.NowMs(), Infinity());
  if (tick == SeriesSchedule::Tick::Shoot) {
    TakeShot();
  } else if (tick == SeriesSchedule::Tick::Finish) {
    Finish();
    ShowIdle();
  }
  return tick;
}

void SeriesRun::Cancel() {
  m_schedule.Cancel();
  m_tickPending = false;
  // A shot under way ends its external program now and finishes the
  // series when it is over.
  if (m_shooting)
    return;
  Finish();
  ShowIdle();
}

bool SeriesRun::Running() const {
  // After its last shot a series' timer runs on until its next tick only to
  // show Idle again.
  return m_shooting || (m_schedule.TimerRunning() && !m_schedule.Complete(Infinity()));
}

std::int64_t SeriesRun::NextDueMs() {
  const std::int64_t now = m_clock.NowMs();
  return m_tickPending ? now : m_schedule.NextDueMs(now);
}

SeriesProgress SeriesRun::Progress() {
  return m_schedule.Progress(m_clock.NowMs(), Infinity());
}

SeriesStatus SeriesRun::Status() {
  SeriesStatus status;
  status.model = ModelName(m_settings.Model);
  status.phase = Running() ? SeriesPhase::Running
                 : m_begun ? SeriesPhase::Ended
                           : SeriesPhase::Idle;
  status.statusText = m_statusText;
  status.shot = m_schedule.Taken();
  status.count = Infinity() ? 0 : m_schedule.Count();
  status.failedShots = m_schedule.FailedShots();
  status.failedCopies = m_schedule.FailedCopies();
  status.missedFrames = m_schedule.MissedFrames();
  if (Running()) {
    const std::int64_t now = m_clock.NowMs();
    const SeriesProgress progress = m_schedule.Progress(now, Infinity());
    status.backToBack = progress.backToBack;
    if (progress.nextShotMs && !progress.backToBack) {
      status.nextShotInMs = std::max<std::int64_t>(0, *progress.nextShotMs - now);
      status.nextShotTime = StatusTimeText(WallTimeAt(*progress.nextShotMs));
    }
    if (progress.lastShotMs)
      status.plannedEnd = StatusTimeText(WallTimeAt(*progress.lastShotMs));
    status.nextWindow = NextWindowText();
  }
  status.picturePath = m_picturePath;
  status.thumbnailPath = m_thumbnailPath;
  status.pictureShot = m_pictureShot;
  const auto& lines = m_log.RecentLines();
  status.logLines.assign(lines.begin(), lines.end());
  return status;
}

LocalTime SeriesRun::WallTimeAt(std::int64_t ms) {
  // To the nearest second, as the window's progress line shows it.
  const std::int64_t wallMs = ms + m_clock.WallMs() - m_clock.NowMs() + 500;
  return LocalTimeAt(wallMs >= 0 ? wallMs / 1000 : (wallMs - 999) / 1000);
}

std::string SeriesRun::NextWindowText() {
  // Daily windows only: a start or a stop alone is the next shot's time.
  if (!m_filter || (m_calendar.windows.empty() && m_calendar.days == SeriesCalendar::kEveryDay))
    return {};
  const std::int64_t nowWall = m_clock.WallMs() / 1000;
  const auto next = m_calendar.NextWindow(nowWall);
  if (!next || (m_endWallSeconds && next->at >= *m_endWallSeconds))
    return {};
  const std::string window = m_calendar.windows.empty() ? std::string() : WindowText(next->window);
  if (next->at <= nowWall)
    return window.empty() ? std::string("open now") : window + ", open now";
  return (window.empty() ? std::string() : window + " ") + "on " +
         WeekdayName(Weekday(LocalTimeAt(next->at))) + ", opens " + MomentText(next->at);
}

std::string SeriesRun::ProgressText() const {
  if (Infinity())
    return "picture " + std::to_string(m_schedule.Taken()) + " taken";
  return "picture " + std::to_string(m_schedule.Taken()) + " of " +
         std::to_string(m_schedule.Count()) + " taken";
}

void SeriesRun::TakeShot() {
  m_shooting = true;
  m_view.ShotBegins();
  const LocalTime startTime = CurrentLocalTime();
  m_lastShotWallMs = m_clock.WallMs();
  const std::int64_t shotStart = m_clock.NowMs();
  const std::uint32_t shot = m_schedule.BeginShot();
  Publish();
  const ShotSettings settings = ShotSettings::Of(m_settings);
  ShotRecord record{shot, settings.infinity ? 0 : m_schedule.Count()};
  record.startTime = startTime;
  Executor executor(*this, record);
  // A line lost at an earlier shot gets one attempt to come back.
  Result done = m_port.Reopen();
  if (done)
    done = RunShotPlan(BuildShotPlan(settings, {shot, m_schedule.Count(), startTime}), executor,
                       &m_camera);
  m_aborted = m_aborted || m_view.Stop() == StopRequest::AtOnce;
  if (done && !m_aborted)
    m_lastShot.shotMs = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(m_clock.NowMs() - shotStart, 0, UINT32_MAX));
  if (!done && !m_keepUsbMode) {
    m_schedule.ShotFailed();
    record.shotFailure = done.Text();
    ShowStatus(ShotFailedText(shot));
  }
  m_log.Write(startTime, ShotLogText(record));  // stamped with the shot's start
  CheckLog();
  if (m_aborted)
    LeaveCameraSafe();
  m_shooting = false;
  WriteState(Running());
  m_view.ShotEnded(record);
  if (m_aborted || m_keepUsbMode)
    m_schedule.Cancel();
  // Infinity is read afresh: a series made finite while it ran ends here.
  if (m_schedule.Cancelled() || m_schedule.Complete(Infinity())) {
    Finish();
    ShowIdle();
  } else if (m_schedule.TimerRunning()) {
    Publish();  // the first shot's end is told with the grid laid after it
  }
}

void SeriesRun::Finish() {
  LeaveCameraSafe();
  if (!m_log.IsOpen())
    return;
  LogLine(SeriesEndLogText(m_schedule.Taken(), m_schedule.FailedCopies(), m_schedule.Cancelled(),
                           m_schedule.FailedShots(), m_schedule.MissedFrames()));
  WriteState(false);  // over: nothing to go on with at the next start
  m_log.Close();
}

void SeriesRun::ShowStatus(const std::string& text) {
  m_statusText = text;
  m_view.ShowStatus(text);
}

void SeriesRun::ShowIdle() {
  m_statusText = m_schedule.IdleText();
  m_view.ShowIdle(m_statusText);
  Publish();
}

void SeriesRun::Publish() {
  if (m_statusListener)
    m_statusListener(Status());
}

void SeriesRun::NoteStoredPicture(const CopyOutcome& copied) {
  // Only the thumbnail, or only the picture, is stored when the settings say so.
  const auto stored = [](const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored) ? path : std::string();
  };
  m_picturePath = stored(copied.StoredPath());
  m_thumbnailPath = stored(copied.destination + kPathSeparator + std::string(kThumbnailFolder) +
                           kPathSeparator + copied.storedName);
  m_pictureShot = m_schedule.Taken();
}

void SeriesRun::LeaveCameraSafe() {
  const std::set<std::uint8_t> held = m_camera.heldKeys;
  for (std::uint8_t press : held) {
    const WriteByteStep release{static_cast<std::uint8_t>(press + kReleaseOffset),
                                ByteEffect::ReleaseKey};
    if (SendCommandByte(m_port, release.byte))
      m_camera.Note(release);
  }
  // A line that is gone takes nothing more: what is still held stays noted.
  if (m_camera.usbMode && !m_keepUsbMode &&
      SwitchUsbRec(m_port, *m_safeClock, SwitchSettings::Of(m_settings)))
    m_camera.usbMode = false;
}

bool SeriesRun::Resume(const SeriesState& state) {
  if (m_shooting)
    return false;
  Finish();
  m_tickPending = false;
  m_keepUsbMode = false;
  m_aborted = false;
  m_storedName = state.lastStored;
  m_drivesAtStart = TakeDriveSnapshot(m_volumes);
  // The volumes the series began with, not those there now: a destination
  // stick pulled meanwhile or another camera's card is refused as before.
  // A state that names no destination was kept before they were noted.
  if (state.transfer.destination.empty())
    m_transfer.StartSeries(TransferSettings::Of(m_settings));
  else
    m_transfer.ResumeSeries(state.transfer);
  m_wallOffsetMs = m_clock.WallMs() - m_clock.NowMs();
  if (!ReadSchedule(state.endWallSeconds))
    return false;
  const std::int64_t now = m_clock.NowMs();
  const std::int64_t skipped =
      m_schedule.Resume(SeriesStartSettings::Of(m_settings), state.counts,
                        state.anchorWallMs - m_wallOffsetMs, state.nextSlot, now, m_filter.get());
  if (Result opened = m_log.Reopen(state.logPath); !opened)
    m_view.ShowWarning(opened.Text());
  else
    m_view.ShowLogPath(m_log.Path());
  LogLine("Series resumed (last shot " +
          (state.lastShotWallMs ? MomentText(state.lastShotWallMs / 1000) : std::string("none")) +
          "): " + std::to_string(skipped) + (skipped == 1 ? " shot" : " shots") +
          " missed while the program was not running");
  m_begun = true;
  if (!Running()) {
    Finish();
    ShowIdle();
    return false;
  }
  WriteState(true);
  Publish();
  return true;
}

bool SeriesRun::ReadSchedule(std::optional<std::int64_t> endWallSeconds) {
  m_filter.reset();
  ResultOf<SeriesCalendar> calendar = ReadCalendar(m_settings, m_clock.WallMs() / 1000);
  if (!calendar) {
    m_view.ShowWarning(calendar.Text());
    return false;
  }
  m_calendar = std::move(calendar).Value();
  m_endWallSeconds = endWallSeconds;
  if (!m_calendar.Any())
    return true;
  if (!m_endWallSeconds) {
    const std::int64_t start = std::max(m_clock.WallMs() / 1000, m_calendar.startAt.value_or(0));
    m_endWallSeconds = m_calendar.EndAt(start);
  }
  m_filter = std::make_unique<CalendarSlots>(m_calendar, m_endWallSeconds, m_clock);
  return true;
}

std::string SeriesRun::StatePath() const {
  return m_log.Path().empty() ? std::string() : SeriesStatePath(m_log.Path());
}

void SeriesRun::WriteState(bool running) {
  if (m_log.Path().empty())
    return;  // without its log a series cannot be taken up again
  SeriesState state;
  state.settings = m_settings;
  state.logPath = m_log.Path();
  state.running = running;
  state.anchorWallMs = m_schedule.AnchorMs() + m_wallOffsetMs;
  state.nextSlot = m_schedule.NextSlot();
  state.scheduled = m_filter != nullptr;
  state.endWallSeconds = m_endWallSeconds;
  state.counts = m_schedule.AllCounts();
  state.lastShotWallMs = m_lastShotWallMs;
  state.lastStored = m_storedName;
  state.transfer = m_transfer.Series();
  if (Result written = WriteSeriesState(StatePath(), state); !written && !m_stateWarned) {
    m_stateWarned = true;
    m_view.ShowWarning("The series' state cannot be kept in " + StatePath() + ": " +
                       written.Text() + ". The series goes on, but cannot be resumed.");
  }
}

void SeriesRun::NoteClockJump() {
  const std::int64_t offset = m_clock.WallMs() - m_clock.NowMs();
  const std::int64_t jump = offset - m_wallOffsetMs;
  if (jump > kClockJumpMs || jump < -kClockJumpMs)
    LogLine("The wall clock was set " + std::to_string((jump < 0 ? -jump : jump) / 1000) + " s " +
            (jump < 0 ? "back" : "forwards") +
            "; the windows follow the local time, the grid keeps its pace");
  // The grid is on the monotonic clock: its anchor stays where it was.
  m_wallOffsetMs = offset;
}

std::string SeriesRun::ScheduleText() {
  if (!m_filter || !Running())
    return {};
  const std::int64_t nowWall = m_clock.WallMs() / 1000;
  std::string text;
  if (!m_calendar.Allows(nowWall) && !m_shooting) {
    if (const auto next = m_calendar.NextWindow(nowWall)) {
      const std::string window =
          m_calendar.windows.empty() ? std::string() : WindowText(next->window) + " ";
      text = "Waiting for the window " + window + "on " +
             WeekdayName(Weekday(LocalTimeAt(next->at))) + " (in " +
             CountdownText((next->at - nowWall) * 1000) + ")";
    }
  }
  if (m_endWallSeconds) {
    if (!text.empty())
      text += " - ";
    text += "Stops at " + MomentText(*m_endWallSeconds);
  }
  return text;
}

bool SeriesRun::Infinity() const {
  return m_settings.Infinity != 0;
}

std::int64_t SeriesRun::UntilNextShotMs() {
  // Before the first shot has ended the grid is not laid yet: a whole
  // interval lies ahead.
  return m_schedule.TimerRunning() ? m_schedule.DelayMs(m_clock.NowMs()) : m_schedule.IntervalMs();
}

void SeriesRun::OpenLog() {
  m_logWarned = false;
  const std::string folder =
      m_logFolder.empty() ? SeriesLogFolder(std::string(kSeriesLogProgram)) : m_logFolder;
  if (Result opened = m_log.Open(folder, CurrentLocalTime()); !opened) {
    m_logWarned = true;
    m_view.ShowWarning(opened.Text());
  } else {
    m_view.ShowLogPath(m_log.Path());
  }
}

void SeriesRun::LogLine(const std::string& text) {
  m_log.Write(CurrentLocalTime(), text);
  CheckLog();
}

void SeriesRun::CheckLog() {
  if (m_logWarned || m_log.Healthy())
    return;
  m_logWarned = true;
  m_view.ShowWarning("The series log " + m_log.Path() + " cannot be written: " + m_log.LastError() +
                     ". The series goes on.");
}

CopyOutcome SeriesRun::Copy(const TransferSettings& settings, std::uint32_t waitMs) {
  const std::int64_t start = m_clock.NowMs();
  CopyOutcome copied;
  copied.result = m_view.BeforeCopy(m_clock, waitMs);
  if (copied.result) {
    const std::int64_t left = std::max<std::int64_t>(0, start + waitMs - m_clock.NowMs());
    copied = m_transfer.CopyNewestPicture(m_drivesAtStart, settings, m_clock,
                                          static_cast<std::uint32_t>(left), m_volumes);
  }
  if (Result released = m_view.AfterCopy(m_clock); !released) {
    // The switch back to REC would pull the card from under its mount.
    m_keepUsbMode = true;
    copied.endsShot = true;
    const std::string text = CardStuckText(released.Text());
    LogLine(text);
    m_view.ShowWarning(text);
    if (copied.result)
      copied.result = Result::Failure(text);
  }
  if (!copied.result) {
    m_schedule.CopyFailed(copied.result.Text());
    m_view.ShowCopyFailure(copied.result);
  } else if (copied.storedNew) {
    m_storedName = copied.storedName;
    std::error_code error;
    if (const auto bytes = std::filesystem::file_size(copied.StoredPath(), error); !error)
      m_lastShot.pictureBytes = bytes;
    NoteStoredPicture(copied);
    m_view.ShowStoredPicture(copied);
  } else {
    m_schedule.FrameMissed();
  }
  return copied;
}

std::string SeriesRun::RunProgram(const std::string& program,
                                  const std::vector<std::string>& words) {
  const CommandLimits limits{CommandLimitMs(UntilNextShotMs()), [this] {
                               return m_schedule.Cancelled() || m_view.Stop() != StopRequest::None;
                             }};
  const Result run = RunExternalCommand(program, words, *m_programClock, limits);
  if (!run) {
    m_view.Note(run.Text());
    return run.Text();
  }
  return kProgramSucceeded;
}

}  // namespace vel
