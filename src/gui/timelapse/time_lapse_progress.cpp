// What the Time Lapse page tells of a series besides its status: when the
// next shot comes and the series ends, and the picture stored last.

#include <algorithm>
#include <vector>

#include "core/platform/files.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "gui/framework/desktop.h"
#include "gui/framework/program_state.h"
#include "gui/framework/ui_clock.h"
#include "gui/timelapse/time_lapse_page.h"

namespace {

constexpr std::string_view kLastPicturePrefix = "Last picture: ";
// The progress line is written again just after its countdown turns.
constexpr int kAfterTurnMs = 10;

// Milliseconds until a countdown rounded up to whole seconds turns.
int UntilTurnMs(std::int64_t untilMs) {
  return static_cast<int>(untilMs > 0 ? (untilMs - 1) % 1000 + 1 : 1000);
}

// A time of the monotonic clock on the wall clock, to the nearest second:
// "14:32:10".
std::string WallClock(std::int64_t ms, std::int64_t nowMs) {
  const std::int64_t wallMs = fw::TheUiClock().WallMs() + (ms - nowMs) + 500;
  return vel::TimeWord(vel::LocalTimeAt(wallMs / 1000));
}

// The text without its countdown " (in 09:12:40)", for assistive
// technology, which is told the line only when more than that changes.
std::string WithoutCountdown(std::string text) {
  if (const std::size_t at = text.find(" (in "); at != std::string::npos) {
    const std::size_t end = text.find(')', at);
    text.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
  }
  return text;
}

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : separator) + line;
  return text;
}

}  // namespace

void CTimeLapse::UpdateProgress() {
  KillTimer(kProgressTimerId);
  if (!SeriesRunning()) {
    ShowPlan();
    return;
  }
  const std::int64_t now = fw::TheUiClock().NowMs();
  const vel::SeriesProgress progress = Series().Progress();
  std::int64_t until = 0;
  if (!progress.nextShotMs) {
    ShowProgress({}, {});  // the first shot lays the grid
  } else if (progress.backToBack) {
    ShowProgress(vel::kBackToBackText, vel::kBackToBackText);
  } else {
    const std::string next = WallClock(*progress.nextShotMs, now);
    const std::string end =
        progress.lastShotMs ? WallClock(*progress.lastShotMs, now) : std::string();
    until = *progress.nextShotMs - now;
    // Assistive technology hears the line when the shot or the end moves,
    // not at every turn of the countdown.
    std::vector<std::string> lines = {vel::NextShotText(next, vel::CountdownText(until), end)};
    std::vector<std::string> heard = {vel::NextShotText(next, {}, end)};
    if (const std::string schedule = Series().ScheduleText(); !schedule.empty()) {
      lines.push_back(schedule);
      heard.push_back(WithoutCountdown(schedule));
    }
    ShowProgressLines(lines, heard);
  }
  SetTimer(kProgressTimerId, static_cast<std::uint32_t>(UntilTurnMs(until) + kAfterTurnMs));
}

void CTimeLapse::ShowProgress(std::string_view text, std::string_view announced) {
  fw::Control line = Item(vel::kProgressLine);
  line.SetAccessibleName(announced);
  line.SetText(text);
  line.SetToolTip({});
}

void CTimeLapse::ShowProgressLines(const std::vector<std::string>& lines,
                                   const std::vector<std::string>& announced) {
  ShowProgress(Joined(lines, "\n"), Joined(announced, " "));
}

void CTimeLapse::ShowPlan() {
  const vel::ShotMeasure last = m_series ? m_series->LastShot() : vel::ShotMeasure{};
  std::vector<std::string> lines =
      vel::PlanSeries(ShownSettings(), fw::TheUiClock().WallMs(), last).Lines();
  // The warnings come first: what the line has no room for is in its tooltip.
  std::stable_partition(lines.begin(), lines.end(),
                        [](const std::string& line) { return line.rfind("Warning:", 0) == 0; });
  // Assistive technology is told the line again only when it changed.
  if (Joined(lines, "\n") == Item(vel::kProgressLine).Text())
    return;
  ShowProgressLines(lines, lines);
  Item(vel::kProgressLine).SetToolTip(Joined(lines, "\n"));
}

vel::Settings CTimeLapse::ShownSettings() const {
  vel::Settings shown = theSettings;
  const auto number = [this](int id, int& value) {
    const std::string text = Item(id).Text();
    if (!text.empty() && text.size() < 10 && text.find_first_not_of("0123456789") == text.npos)
      value = std::stoi(text);
  };
  number(vel::kCountEdit, shown.Count);
  number(vel::kBulbSecondsEdit, shown.BulbSeconds);
  number(vel::kFocusSecondsEdit, shown.FocusSeconds);
  if (Item(vel::kIntervalPicker).Exists()) {
    shown.Infinity = Item(vel::kInfinityCheck).Checked();
    shown.Bulb = Item(vel::kBulbCheck).Checked();
    shown.Focus = Item(vel::kFocusCheck).Checked();
    const fw::TimeOfDay interval = Item(vel::kIntervalPicker).Time();
    shown.Hour = interval.hour;
    shown.Minute = interval.minute;
    shown.Second = interval.second;
  }
  return shown;
}

// Between inputs the plan follows what the page shows, and its times the
// clock, minute by minute.
int CTimeLapse::OnKickIdle(int) {
  if (SeriesRunning())
    return 0;
  const vel::Settings shown = ShownSettings();
  const PlanInputs inputs = {shown.Count,  shown.Infinity,
                             shown.Bulb,   shown.BulbSeconds,
                             shown.Focus,  shown.FocusSeconds,
                             shown.Hour,   shown.Minute,
                             shown.Second, fw::TheUiClock().WallMs() / 60'000};
  if (inputs != m_planInputs) {
    m_planInputs = inputs;
    ShowPlan();
  }
  return 0;
}

std::string CTimeLapse::FitToLine(int id, const std::string& text) const {
  // The lines below the status all end where the failures line ends.
  const fw::Control control = Item(id);
  const int room = Item(vel::kCopyFailuresLine).Geometry().Right() - control.Geometry().x;
  return control.Elided(text, room);
}

void CTimeLapse::ShowLastPicture(const vel::CopyOutcome& copied) {
  const std::string picture = copied.StoredPath();
  const std::string thumbnail = copied.StoredThumbnailPath();
  const bool hasThumbnail = vel::IsRegularFile(thumbnail);
  // Only the thumbnail is stored when the settings say so.
  m_lastPicture = hasThumbnail && !vel::IsRegularFile(picture) ? thumbnail : picture;
  fw::Control view = Item(vel::kLastPictureView);
  view.ShowPicture(m_lastPicture, hasThumbnail ? thumbnail : picture);
  view.Show(true);
  fw::Control line = Item(vel::kLastPictureLine);
  line.SetText(FitToLine(vel::kLastPictureLine, std::string(kLastPicturePrefix) + m_lastPicture));
  line.SetToolTip(m_lastPicture);
  line.Show(true);
}

void CTimeLapse::HideLastPicture() {
  m_lastPicture.clear();
  Item(vel::kLastPictureLine).SetText({});
  for (int id : {vel::kLastPictureView, vel::kLastPictureLine}) Item(id).Show(false);
}

void CTimeLapse::SetPictureOpener(PictureOpener opener) {
  m_pictureOpener = std::move(opener);
}

// The preview opens the picture in the desktop's viewer; a failure beeps.
void CTimeLapse::OnLastPicture() {
  if (!m_lastPicture.empty() && !(m_pictureOpener && m_pictureOpener(m_lastPicture)))
    fw::Beep();
}
