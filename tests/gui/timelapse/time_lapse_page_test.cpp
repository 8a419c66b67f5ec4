// The Time Lapse page in the real sheet: its controls, then series with the
// camera on a pseudo-terminal. The series take an interval of an hour and
// deliver the timer's ticks; the end-to-end test keeps the grid on the real
// clock.
#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/timelapse/series_log.h"
#include "core/timelapse/series_state.h"
#include "gui/app/camera_app.h"
#include "gui/framework/desktop.h"
#include "gui/framework/dialog.h"
#include "gui/framework/qt/picture_preview.h"
#include "gui/timelapse/time_lapse_page.h"
#include "support/film_pictures.h"
#include "support/http_client.h"
#include "support/sheet_fixture.h"
#include "support/temp_dir.h"
#include "support/usb_camera_card.h"

using namespace vel::test;
using fw::qt::ControlWidget;

namespace {

constexpr std::uint8_t B = 'B', b = 'b';

// The sheet on its Time Lapse page, with every status line written.
struct TimeLapseFixture : SheetFixture {
  explicit TimeLapseFixture(const std::string& interval, const std::string& options = {})
      : SheetFixture(5, "[Interval]\n" + interval + "[Options]\n" + options) {
    ShowPage(1);
    page = dynamic_cast<CTimeLapse*>(Page());
    page->SetStatusObserver([this](const std::string& text, const std::string&) {
      statuses << QString::fromStdString(text);
      if (onStatus)
        onStatus(statuses.last());
    });
  }

  CTimeLapse* page = nullptr;
  std::function<void(const QString&)> onStatus;  // after each status is recorded
  QStringList statuses;
};

QList<QMessageBox*> OpenBoxes() {
  QList<QMessageBox*> boxes;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
      boxes << box;
  return boxes;
}

// Clicks a button of each dialog that comes up, in turn, once the dialog is on top and ready;
// after 10 s it hides the dialog on top, so that a dialog that does not end fails the test.
void ClickInDialogs(QList<std::tuple<QString, int, std::function<bool(fw::Window&)>>> steps) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, steps, ticks = 0]() mutable {
    QWidget* top = QApplication::activeModalWidget();
    fw::Window* window = fw::qt::WindowOf(top);
    if (++ticks > 500 && top)
      top->hide();
    if (steps.isEmpty() && (ticks > 500 || !window))
      return timer->deleteLater();
    if (steps.isEmpty())
      return;
    if (!window || top->windowTitle() != std::get<0>(steps.front()) ||
        (std::get<2>(steps.front()) && !std::get<2>(steps.front())(*window)))
      return;
    QTest::mouseClick(fw::qt::ControlWidget(*window, std::get<1>(steps.takeFirst())),
                      Qt::LeftButton);
  });
  timer->start(20);
}

}  // namespace

class TimeLapsePageTest : public QObject {
  Q_OBJECT
 private slots:
  void checkBoxEnablesItsEditAndArrows();
  void pickerStoresTheIntervalAndBadCountsAreRefused();
  void seriesShootsAtEachTickUntilCancelled();
  void zeroIntervalWithoutBulbTakesNoShot();
  void progressLineForetellsTheSeries_data();
  void progressLineForetellsTheSeries();
  void lastPictureShowsAndOpens_data();
  void lastPictureShowsAndOpens();
  void failedCopiesStayInSightAndInTheLog();
  void cancelEndsTheExternalProgramAtOnce();
  void statusPageIsServedFromTheStartAndNamed();
  void scheduleDialogLandsInTheProfile();
  void killedSeriesIsResumedAtStart();
  void makeFilmTakesTheLastSeriesPictures();
};

void TimeLapsePageTest::checkBoxEnablesItsEditAndArrows() {
  const struct {
    int check, edit, arrows;
    bool enabledWhenChecked;
  } rules[] = {{vel::kInfinityCheck, vel::kCountEdit, vel::kCountUpDown, false},
               {vel::kBulbCheck, vel::kBulbSecondsEdit, vel::kBulbSecondsUpDown, true},
               {vel::kFocusCheck, vel::kFocusSecondsEdit, vel::kFocusSecondsUpDown, true}};
  for (const auto& rule : rules) {
    TimeLapseFixture f("Count=4\n");
    f.Item<QLineEdit>(vel::kCountEdit)->setText("42");
    for (bool checked : {false, true, false}) {
      QCOMPARE(f.Enabled(rule.edit), checked == rule.enabledWhenChecked);
      QCOMPARE(f.Enabled(rule.arrows), checked == rule.enabledWhenChecked);
      f.Click(rule.check);
    }
    QCOMPARE(Count, 42);  // each click stores the whole page
  }
}

// The interval picker shows and stores the interval; a count that is no
// positive integer is refused with a box, and the stored one stays.
void TimeLapsePageTest::pickerStoresTheIntervalAndBadCountsAreRefused() {
  TimeLapseFixture f("Count=4\nHour=1\nMinute=2\nSecond=3\n");
  auto* picker = f.Item<QTimeEdit>(vel::kIntervalPicker);
  QCOMPARE(picker->time(), QTime(1, 2, 3));
  picker->setTime(QTime(23, 59, 58));
  QVERIFY(f.page->UpdateData(true));
  QCOMPARE((std::array{Hour, Minute, Second}), (std::array{23, 59, 58}));
  // Digits typed after a click go into the field clicked: "23:5|9:58".
  auto* edit = picker->findChild<QLineEdit*>();
  int x = 0;
  while (x < edit->width() && edit->cursorPositionAt({x, edit->height() / 2}) != 4) ++x;
  QTest::mouseClick(edit, Qt::LeftButton, {}, {x, edit->height() / 2});
  QTest::keyClicks(edit, "07");
  QCOMPARE(picker->time(), QTime(23, 7, 58));
  MessageBoxRecorder boxes;
  for (const char* text : {"", "4294967296"}) {
    f.Item<QLineEdit>(vel::kCountEdit)->setText(text);
    QVERIFY(!f.page->UpdateData(true));
    QCOMPARE(boxes.Boxes().back().text, "Please enter a positive integer.");
  }
  QCOMPARE(boxes.Boxes().size(), std::size_t{2});
  QCOMPARE(Count, 4);
  f.ShowPage(2);
  f.ShowPage(1);  // coming back shows what is stored
  QCOMPARE(f.Item<QLineEdit>(vel::kCountEdit)->text(), "4");
}

// A tick that comes while a shot runs is taken as soon as the shot is over.
void TimeLapsePageTest::seriesShootsAtEachTickUntilCancelled() {
  TimeLapseFixture f("Count=4\nHour=1\n");
  f.onStatus = [&f](const QString& text) {
    if (text == "#2 Shoot")
      f.page->OnTimer(CTimeLapse::kSeriesTimerId);
  };
  f.Click(vel::kStartButton);  // the first shot runs inside the click
  QVERIFY(!f.Enabled(vel::kStartButton) && f.Enabled(vel::kCancelButton));
  f.page->OnTimer(CTimeLapse::kSeriesTimerId);
  QTRY_COMPARE(f.statuses.size(), qsizetype{6});  // the third shot over, whatever its texts
  f.Click(vel::kCancelButton);
  f.page->OnTimer(CTimeLapse::kSeriesTimerId);  // a tick already on its way
  QCOMPARE(f.statuses,
           (QStringList{"#1 Shoot", "Doze (picture 1 of 4 taken)", "#2 Shoot",
                        "Doze (picture 2 of 4 taken)", "#3 Shoot", "Doze (picture 3 of 4 taken)",
                        "Idle (3 pictures taken, cancelled)"}));
  QVERIFY(f.Enabled(vel::kStartButton) && !f.Enabled(vel::kCancelButton));
  QCOMPARE(f.Camera().Read(6, 300), (Bytes{B, b, B, b, B, b}));
  const QString written = f.Item<QLabel>(vel::kStatusTimeLine)->text();  // when, to the second
  QVERIFY2(QRegularExpression(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$)").match(written).hasMatch(),
           qPrintable(written));
}

void TimeLapsePageTest::zeroIntervalWithoutBulbTakesNoShot() {
  TimeLapseFixture f("Count=3\nSecond=0\n");
  f.Click(vel::kStartButton);
  QCOMPARE(f.statuses, QStringList{"Idle (0 pictures taken)"});
  QVERIFY(f.Enabled(vel::kStartButton) && !f.page->SeriesTimerRunning());
  QCOMPARE(f.Camera().Read(), Bytes{});
  QCOMPARE(f.Item<QLabel>(vel::kProgressLine)->text(),
           "Interval 00:00:00: set an interval, or tick Bulb to take shots back to back.");
  QVERIFY(!f.page->ProgressTimerRunning());
}

void TimeLapsePageTest::progressLineForetellsTheSeries_data() {
  QTest::addColumn<QString>("interval");
  QTest::addColumn<QString>("line");
  const QString next = R"(^Next shot at (\d\d:\d\d:\d\d) \(in 01:00:00\))";
  QTest::newRow("counted") << "Count=3\nHour=1\n" << next + R"( - planned end (.+)$)";
  QTest::newRow("endless") << "Count=3\nHour=1\nInfinity=1\n" << next + "$";
  // Bulb shots of the shortest kind, so that the first one ends at once.
  QTest::newRow("back to back") << "Count=3\nBulb=1\nBulbSeconds=0\n"
                                << "^Shots back to back$";
}

// The countdown turns on the real clock (the one wait there); a screen
// reader hears the line without it, so not at every turn. Idle, no timer is
// left.
void TimeLapsePageTest::progressLineForetellsTheSeries() {
  QFETCH(QString, interval);
  QFETCH(QString, line);
  TimeLapseFixture f(interval.toStdString(), "DelayBulb=0\n");
  auto* progress = f.Item<QLabel>(vel::kProgressLine);
  f.Click(vel::kStartButton);
  const QRegularExpressionMatch match = QRegularExpression(line).match(progress->text());
  QVERIFY2(match.hasMatch(), qPrintable(progress->text()));
  QVERIFY(f.page->ProgressTimerRunning());
  QCOMPARE(progress->accessibleName(), progress->text().remove(" (in 01:00:00)"));
  if (match.lastCapturedIndex() == 2) {
    QCOMPARE(QTime::fromString(match.captured(1)).addSecs(3600).toString(), match.captured(2));
    QTRY_VERIFY_WITH_TIMEOUT(progress->text().contains("(in 59:59)"), 3000);
    QVERIFY(!progress->accessibleName().contains("(in"));
  }
  f.Click(vel::kCancelButton);
  QVERIFY2(progress->text().startsWith("Plan: "), qPrintable(progress->text()));  // the next one's
  QVERIFY(!f.page->ProgressTimerRunning());
}

void TimeLapsePageTest::lastPictureShowsAndOpens_data() {
  QTest::addColumn<int>("copyAndDelete");
  QTest::addColumn<QColor>("shown");
  QTest::newRow("thumbnail") << 0 << QColor(Qt::red);
  QTest::newRow("picture only") << 1 << QColor(Qt::blue);
}

// After a copy the preview shows the stored thumbnail, else the picture,
// names its path and opens it on a click, Enter or Space.
void TimeLapsePageTest::lastPictureShowsAndOpens() {
  QFETCH(int, copyAndDelete);
  QFETCH(QColor, shown);
  UsbCameraCard card;
  QVERIFY(card.SavePictures(Qt::blue, Qt::red));
  TimeLapseFixture f("Count=1\nSecond=1\n",
                     "CopyFile=1\nDelayRecUsb=2\nDelayUsbRec=0\nCopyAndDelete=" +
                         std::to_string(copyAndDelete) + "\nDestFileDir=" + card.pictures + "\n");
  card.MountLaterFor(*f.page);
  f.Click(vel::kStartButton);
  auto* preview = f.Item<fw::qt::PicturePreview>(vel::kLastPictureView);
  QTRY_VERIFY(!preview->Image().isNull());
  const QColor centre = preview->Image().pixelColor(preview->Image().rect().center());
  QVERIFY2(qAbs(centre.red() - shown.red()) + qAbs(centre.blue() - shown.blue()) < 60,
           qPrintable(centre.name()));
  QVERIFY(preview->Image().width() < preview->width());
  const QString stored = QString::fromStdString(card.pictures) + "/CIMG0001.JPG";
  QCOMPARE(preview->toolTip(), stored);
  // A long path is shortened in its middle to stay on the page; whole in the tooltip.
  auto* line = f.Item<QLabel>(vel::kLastPictureLine);
  QVERIFY2(line->text().startsWith("Last picture: /") && line->text().endsWith("/CIMG0001.JPG"),
           qPrintable(line->text()));
  QCOMPARE(line->toolTip(), stored);
  QCOMPARE(preview->accessibleName(), "Last picture");
  f.Item<QWidget>(vel::kSeriesLogLink)->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), preview);
  QStringList opened;
  f.page->SetPictureOpener(
      [&opened](const std::string& path) { return opened << QString::fromStdString(path), true; });
  QTest::mouseClick(preview, Qt::LeftButton);
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) QTest::keyClick(preview, key);
  QCOMPARE(opened, QStringList(3, stored));
  CopyFile = 0;  // a series without copies shows nothing of the one before
  f.Click(vel::kStartButton);
  QVERIFY(!preview->isVisible() && !line->isVisible());
}

// A destination that takes no file: the failures are counted and told on the page until the
// next Start, the link leads to the log. The box that says so neither waits for an OK, which an
// unattended series must not, nor piles up.
void TimeLapsePageTest::failedCopiesStayInSightAndInTheLog() {
  UsbCameraCard card;
  const std::string picture = card.camera + "/DCIM/100CASIO/CIMG0001.JPG";
  velotest::WriteFile(picture, "picture");
  TempDir::WriteFile(card.volumes.dir() + "/file", "");
  const std::string folder = card.volumes.dir() + "/file/pictures";
  TimeLapseFixture f("Count=1\nHour=1\n",
                     "CopyFile=1\nDelayRecUsb=2\nDelayUsbRec=0\nDestFileDir=" + folder + "\n");
  card.MountLaterFor(*f.page);
  bool blocked = false;
  QTimer modal;
  QObject::connect(&modal, &QTimer::timeout, [&blocked] {
    if (QWidget* box = QApplication::activeModalWidget())
      blocked = true, box->close();
  });
  modal.start(100);
  f.Click(vel::kStartButton);
  QCOMPARE(f.statuses.last(), "Idle (1 picture taken, 1 copy failed)");
  const QString reason = QString::fromStdString(std::strerror(ENOTDIR));
  // Cut in its middle to stay on the page, whole in the tooltip.
  auto* failures = f.Item<QLabel>(vel::kCopyFailuresLine);
  QCOMPARE(failures->toolTip().toStdString(),
           "1 copy failed: Copy error. System error message: " + reason.toStdString() +
               ". Picture: " + picture + ". Destination folder: " + folder);
  QVERIFY(failures->text().contains(QChar(0x2026)) && failures->text().endsWith("/pictures") &&
          failures->sizeHint().width() <= failures->width());
  QVERIFY(f.Item<QWidget>(vel::kSeriesLogLink)->isVisible());
  QVERIFY(TempDir::ReadFile(f.page->LogPath()).find(reason.toStdString()) != std::string::npos);
  QCOMPARE(OpenBoxes().size(), 1);
  // The sheet comes on top again, so that only the page can close its box.
  f.Dialog().activateWindow();
  QTRY_VERIFY(f.Dialog().isActiveWindow());
  // The next series counts from nought (its drive, mounted before Start, is no new one).
  f.Click(vel::kStartButton);
  QVERIFY(failures->text().startsWith("1 copy failed: Detecting"));
  QCOMPARE(OpenBoxes().size(), 1);
  QVERIFY(!blocked);
  OpenBoxes()[0]->close();
}

// A program that would run for ever: Cancel, clicked while the shot waits
// for it, ends it and the series without waiting for its time limit.
void TimeLapsePageTest::cancelEndsTheExternalProgramAtOnce() {
  TempDir dir;
  const std::string program = dir / "forever.sh";
  TempDir::WriteFile(program, "echo $$ > '" + dir / "pid" + "'\nexec sleep 1000\n");
  TimeLapseFixture f("Count=3\nHour=1\n", "UseExternalCommand=1\nCommand=" + program + "\n");
  QTimer::singleShot(500, [&f] { f.Click(vel::kCancelButton); });
  QTimer guard;  // should Cancel not end it, the test fails by itself all the same
  QObject::connect(&guard, &QTimer::timeout,
                   [&] { ::kill(std::stoi(TempDir::ReadFile(dir / "pid")), SIGKILL); });
  guard.start(5000);
  QElapsedTimer clock;
  clock.start();
  f.Click(vel::kStartButton);
  QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
  QCOMPARE(f.statuses.last(), "Idle (1 picture taken, cancelled)");
  QVERIFY(::kill(std::stoi(TempDir::ReadFile(dir / "pid")), 0) != 0);
}

void TimeLapsePageTest::statusPageIsServedFromTheStartAndNamed() {
  TimeLapseFixture f("Count=3\nHour=1\n", "\n[StatusPage]\nStatusPageAddress=127.0.0.1:0\n");
  auto* line = f.Item<QLabel>(vel::kStatusPageLine);
  QVERIFY(line->isVisible() && f.Item<QLabel>(vel::kStatusPageLabel)->isVisible());
  const std::string url = line->text().toStdString();
  QVERIFY2(url.rfind("http://127.0.0.1:", 0) == 0 && url.back() == '/', url.c_str());
  QVERIFY(Curl(url + "status.json").body.find("\"model\": \"QV-3000EX\",\n  \"state\": \"idle\"") !=
          std::string::npos);
  f.Click(vel::kStartButton);
  const std::string running = Curl(url + "status.json").body;
  QVERIFY2(running.find("\"state\": \"running\",") != std::string::npos &&
               running.find("\"shot\": 1,") != std::string::npos,
           running.c_str());
}

// The plan follows the count typed; the dialog opens on the stored days and refuses a window it
// cannot read; its OK stores what it shows, which Exit saves; the progress line tells the end.
void TimeLapsePageTest::scheduleDialogLandsInTheProfile() {
  TempDir dir;
  TimeLapseFixture f("Count=3\nHour=1\n", "\n[Schedule]\nScheduleDays=mon-fri\n");
  f.Item<QLineEdit>(vel::kCountEdit)->setText("7");
  IdleOnce();  // the plan follows what is typed
  QVERIFY(f.Item<QLabel>(vel::kProgressLine)->text().startsWith("Plan: 7 shots, the first at "));
  MessageBoxRecorder boxes;
  QTimer::singleShot(0, [&] {
    fw::Window* dialog = fw::qt::WindowOf(QApplication::activeModalWidget());
    const auto edit = [&](int id) { return qobject_cast<QLineEdit*>(ControlWidget(*dialog, id)); };
    edit(vel::kScheduleStopEdit)->setText("2099-12-24 18:00");
    edit(vel::kScheduleWindowsEdit)->setText("07:00-18, 20:00-22:00");
    QTest::mouseClick(ControlWidget(*dialog, vel::kScheduleOk), Qt::LeftButton);
    edit(vel::kScheduleWindowsEdit)->setText("07:00-18:00, 20:00-22:00");
    QTest::mouseClick(ControlWidget(*dialog, vel::kScheduleOk), Qt::LeftButton);
  });
  f.Click(vel::kScheduleButton);
  QCOMPARE(boxes.Boxes().at(0).text,
           "Cannot read the window \"07:00-18\": write it as HH:MM-HH:MM.");
  f.page->SetLogFolder(dir.Path());
  f.Click(vel::kStartButton);
  QVERIFY(f.Item<QLabel>(vel::kProgressLine)->text().endsWith("Stops at 2099-12-24 18:00"));
  f.Click(vel::kCancelButton);
  QTest::mouseClick(f.Button(fw::CPropertySheet::IDCANCEL), Qt::LeftButton);
  QCOMPARE(CCameraApp::SaveSettings(dir / "velorantica.ini", dir / "velorantica.ini"), 0);
  const std::string profile = TempDir::ReadFile(dir / "velorantica.ini");
  QVERIFY(profile.find("[Schedule]\nScheduleStart=\nScheduleStop=2099-12-24 18:00\nScheduleFor="
                       "\nScheduleWindows=07:00-18:00, 20:00-22:00\nScheduleDays=mon,tue,wed,thu,"
                       "fri\n") != std::string::npos);
}

// A series killed after its second shot, as its state says: at the next start the window asks,
// and Yes goes on with its settings and numbering.
void TimeLapsePageTest::killedSeriesIsResumedAtStart() {
  TempDir logs;
  vel::SeriesState state;
  state.settings = vel::LoadSettings(
      vel::IniProfile::FromText("[Interval]\nCount=4\nHour=1\n[Options]\nModel=5\n"));
  state.logPath = logs / "series-20261208-070000.log";
  state.running = true;
  state.anchorWallMs = QDateTime::currentMSecsSinceEpoch() - 5'400'000;
  state.nextSlot = 2;
  state.counts.taken = 2;
  QVERIFY(vel::WriteSeriesState(vel::SeriesStatePath(state.logPath), state));
  TimeLapseFixture f("Count=9\nMinute=5\n");
  MessageBoxRecorder boxes;
  boxes.AnswerQuestions(true);
  f.Sheet().OfferResume(logs.Path());
  QTRY_COMPARE(boxes.Boxes().size(), std::size_t{1});
  QCOMPARE(boxes.Boxes()[0].text.toStdString(), vel::ResumeQuestion(state));
  QVERIFY(f.page->SeriesRunning() && !f.Enabled(vel::kStartButton));
  QCOMPARE(f.Item<QTimeEdit>(vel::kIntervalPicker)->time(), QTime(1, 0));  // its settings shown
  f.page->OnTimer(CTimeLapse::kSeriesTimerId);
  QCOMPARE(f.statuses.last(), "Doze (picture 3 of 4 taken)");
}

// "Make film..." makes the film of the last series' stored pictures beside them and links it;
// Cancel keeps nothing and leaves no ffmpeg. Without ffmpeg a box says how to get it; while a
// series runs, or when the last one stored nothing, the button is disabled.
void TimeLapsePageTest::makeFilmTakesTheLastSeriesPictures() {
  TempDir dir;
  const std::vector<std::string> names = PictureNames(30);
  WritePictures(dir.Path(), names, 1280, 960, false);  // busy: Cancel meets ffmpeg at work
  std::string log = "2026-12-07 10:15:00 Series started: 30 pictures, interval 00:00:05\n";
  for (const std::string& name : names)
    log +=
        "2026-12-07 10:15:05 Shot 1: sent 42 62; stored " + vel::EscapeLogField(dir / name) + "\n";
  TimeLapseFixture f("Count=3\nHour=1\n");
  f.page->SetLogFolder(dir.Path());
  QVERIFY(!f.Enabled(vel::kMakeFilmButton));
  TempDir::WriteFile(dir / "series-2026-12-07-101500.log", log);
  f.page->SetLogFolder(dir.Path());
  QVERIFY(f.Enabled(vel::kMakeFilmButton));
  const std::string film = dir / "series-2026-12-07-101500.mp4";
  QString linked;
  ClickInDialogs({{"Make film", vel::kFilmOkButton, {}},
                  {"Making the film", fw::CDialog::IDCANCEL, [&linked](fw::Window& progress) {
                     QWidget* link = fw::qt::ControlWidget(progress, vel::kFilmLink);
                     return link->isVisible() && !(linked = link->toolTip()).isEmpty();
                   }}});
  f.Click(vel::kMakeFilmButton);
  QCOMPARE(linked.toStdString(), fw::FileAddress(film));
  QCOMPARE(ProbeFilm(film)["nb_read_frames"], "30");
  ClickInDialogs(
      {{"Make film", vel::kFilmOkButton, {}}, {"Making the film", fw::CDialog::IDCANCEL, {}}});
  f.Click(vel::kMakeFilmButton);
  const auto entries = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
  QCOMPARE(entries, static_cast<long>(names.size() + 2));  // the pictures, the log, one film
  QCOMPARE(ProcessesNaming(dir.Path()), std::vector<std::string>{});
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(dir.Path()));
  MessageBoxRecorder boxes;
  f.Click(vel::kMakeFilmButton);
  qputenv("PATH", path);
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  QCOMPARE(boxes.Boxes()[0].text.toStdString(), vel::FfmpegMissingText());
  f.Click(vel::kStartButton);
  QVERIFY(!f.Enabled(vel::kMakeFilmButton));
  f.Click(vel::kCancelButton);
  QVERIFY(!f.Enabled(vel::kMakeFilmButton));  // its log names no stored picture
}

QTEST_MAIN(TimeLapsePageTest)
#include "time_lapse_page_test.moc"
