// What the Time Lapse page tells of a series besides its status: when the
// next shot comes and the series ends, and the picture stored last.

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/status_text.h"
#include "core/ui/control_ids.h"
#include "gui/framework/program_state.h"
#include "gui/framework/qt/template_builder.h"
#include "gui/framework/ui_clock.h"
#include "gui/timelapse/picture_preview.h"
#include "gui/timelapse/time_lapse_page.h"

namespace {

constexpr auto kLastPicturePrefix = QLatin1StringView("Last picture: ");
// The progress line is written again just after its countdown turns.
constexpr int kAfterTurnMs = 10;

// Milliseconds until a countdown rounded up to whole seconds turns.
int UntilTurnMs(std::int64_t untilMs) {
  return static_cast<int>(untilMs > 0 ? (untilMs - 1) % 1000 + 1 : 1000);
}

}  // namespace

void CTimeLapse::UpdateProgress() {
  if (!SeriesRunning()) {
    m_progressTimer.stop();
    ShowProgress({}, {});
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
    // Monotonic times on the wall clock, to the nearest second.
    const QDateTime wall = QDateTime::currentDateTime().addMSecs(500 - now);
    const auto clock = [&wall](std::int64_t ms) {
      return wall.addMSecs(ms).toString(QStringLiteral("HH:mm:ss")).toStdString();
    };
    const std::string next = clock(*progress.nextShotMs);
    const std::string end = progress.lastShotMs ? clock(*progress.lastShotMs) : std::string();
    until = *progress.nextShotMs - now;
    // Assistive technology hears the line when the shot or the end moves,
    // not at every turn of the countdown.
    ShowProgress(vel::NextShotText(next, vel::CountdownText(until), end),
                 vel::NextShotText(next, {}, end));
  }
  m_progressTimer.start(UntilTurnMs(until) + kAfterTurnMs);
}

void CTimeLapse::ShowProgress(std::string_view text, std::string_view announced) {
  auto* line = Item<QLabel>(vel::kProgressLine);
  if (!line)
    return;
  // A label with a name of its own announces only a change of that name.
  if (const QString name = fw::TemplateText(announced); line->accessibleName() != name)
    line->setAccessibleName(name);
  line->setText(fw::TemplateText(text));
}

QString CTimeLapse::FitToLine(const QWidget* control, const QString& text) const {
  // The lines below the status all end where the failures line ends.
  const int room = GetDlgItem(vel::kCopyFailuresLine)->geometry().right() + 1 - control->x();
  return control->fontMetrics().elidedText(text, Qt::ElideMiddle, room);
}

void CTimeLapse::ShowLastPicture(const std::string& folder, const std::string& name) {
  auto* line = Item<QLabel>(vel::kLastPictureLine);
  if (!m_lastPicture || !line)
    return;
  const QDir destination(QString::fromStdString(folder));
  const QString picture = destination.filePath(QString::fromStdString(name));
  const QString thumbnail = destination.filePath(fw::TemplateText(vel::kThumbnailFolder) + '/' +
                                                 QString::fromStdString(name));
  const bool hasThumbnail = QFileInfo::exists(thumbnail);
  // Only the thumbnail is stored when the settings say so.
  const QString path =
      QDir::toNativeSeparators(hasThumbnail && !QFileInfo::exists(picture) ? thumbnail : picture);
  m_lastPicture->ShowPicture(path, hasThumbnail ? thumbnail : picture);
  m_lastPicture->show();
  line->setText(FitToLine(line, kLastPicturePrefix + path));
  line->setToolTip(path);
  line->show();
}
