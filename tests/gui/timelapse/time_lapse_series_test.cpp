// Time-lapse series on the real page and a pseudo-terminal: the shots, their
// bytes and gaps, the status texts, the end, the cancel, the copy off the
// camera's drive and the external program. Intervals are 1 s and waits 0 or
// 1 s so that the whole suite stays short; timing is checked from below only.
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "core/app/settings.h"
#include "gui/framework/message_box.h"
#include "gui/timelapse/time_lapse_page.h"
#include "support/sheet_fixture.h"
#include "timelapse/fixtures/volume_fixture.h"
#include "timelapse/series_recorders.h"

using vel::test::ByteRecorder;
using vel::test::Bytes;
using vel::test::MessageBoxRecorder;
using vel::test::MsBetween;
using vel::test::SheetFixture;
using vel::test::StatusLog;

namespace {

constexpr int kTimeLapsePage = 1;
constexpr std::uint8_t B = 'B', b = 'b', A = 'A', a = 'a', M = 'M', m = 'm';
constexpr double kKeyPressMs = 10;
constexpr double kSecondMs = 1000;
// Waits seen in the page's own status writes: timers never fire early, the
// clock counts whole milliseconds.
constexpr double kSecondInStatusMs = 990;

// The sheet on a pseudo-terminal with the Time Lapse page on top. The
// profile is read before the page first shows, so that the page loads it.
class SeriesFixture {
 public:
  explicit SeriesFixture(const std::string& profile) : m_sheet(5, profile) {
    m_sheet.ShowPage(kTimeLapsePage);
    page = qobject_cast<CTimeLapse*>(m_sheet.Page());
    statuses = std::make_unique<StatusLog>(page);
    camera = std::make_unique<ByteRecorder>(m_sheet.Camera());
  }

  QPushButton* Start() const { return page->Item<QPushButton>(CTimeLapse::kStartButton); }
  QPushButton* Cancel() const { return page->Item<QPushButton>(CTimeLapse::kCancelButton); }
  void ClickStart() { QTest::mouseClick(Start(), Qt::LeftButton); }
  void ClickCancel() { QTest::mouseClick(Cancel(), Qt::LeftButton); }
  // Runs the event loop until the condition holds or the time is up. A loop
  // of its own, as the program's: QTest::qWait sleeps between its passes,
  // which would hold up the series' ticks.
  static bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
      if (done())
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(5);
    if (!done())
      loop.exec();
    return done();
  }
  bool WaitForStatus(const QString& text, int timeoutMs = 4000) {
    return WaitUntil([&] { return statuses->Contains(text); }, timeoutMs);
  }
  bool WaitForSeriesEnd(int timeoutMs = 4000) {
    return WaitUntil([&] { return !page->SeriesTimerRunning(); }, timeoutMs);
  }
  // Lets the event loop run for a while, as when the user waits.
  static void Pause(int ms) {
    WaitUntil([] { return false; }, ms);
  }
  bool Idle() const { return Start()->isEnabled() && !Cancel()->isEnabled(); }

  CTimeLapse* page = nullptr;
  std::unique_ptr<StatusLog> statuses;
  std::unique_ptr<ByteRecorder> camera;

 private:
  SheetFixture m_sheet;
};

std::string Profile(const std::string& interval, const std::string& options = {}) {
  return "[Interval]\n" + interval + "[Options]\n" + options;
}

// A planned wait between two arrivals on the camera's side of the line.
struct Gap {
  std::size_t from, to;
  double plannedMs;
};

// Bytes reach the camera's side through the kernel's pseudo-terminal worker
// and a reading thread; on a busy machine either may run some milliseconds
// late, and a late first byte shortens the gap it opens. So every wait of a
// second must show as at least 0.9 s, and of the 10 ms key presses the
// longest must show in full (less the millisecond of stamping): a missing
// wait shows in none of them. Empty when all holds, else what failed.
QString CheckGaps(const std::vector<ByteRecorder::Arrival>& arrivals, const QList<Gap>& gaps) {
  double longestKeyPress = -1;
  for (const Gap& gap : gaps) {
    if (gap.to >= arrivals.size())
      return QString("only %1 bytes arrived").arg(arrivals.size());
    const double shown = MsBetween(arrivals[gap.from].at, arrivals[gap.to].at);
    if (gap.plannedMs > kKeyPressMs && shown < 0.9 * gap.plannedMs)
      return QString("arrivals %1 to %2: %3 ms").arg(gap.from).arg(gap.to).arg(shown);
    if (gap.plannedMs == kKeyPressMs)
      longestKeyPress = std::max(longestKeyPress, shown);
  }
  if (longestKeyPress >= 0 && longestKeyPress < kKeyPressMs - 1)
    return QString("longest key press %1 ms").arg(longestKeyPress);
  return {};
}

// The texts of each shot of a series, with "%N" for the shot's number and
// "%C" for the count.
QStringList Repeat(const QStringList& texts, int shots, int count) {
  QStringList all;
  for (int shot = 1; shot <= shots; ++shot)
    for (QString text : texts)
      all << text.replace("%N", QString::number(shot)).replace("%C", QString::number(count));
  return all;
}

}  // namespace

Q_DECLARE_METATYPE(Gap)

class TimeLapseSeriesTest : public QObject {
  Q_OBJECT
 private slots:
  void threeShotsOnTheGridThenIdleTwice();
  void oneShotNeedsNoTimer();
  void nothingToDoShowsIdleAtOnce_data();
  void nothingToDoShowsIdleAtOnce();
  void cancelBetweenShotsStopsTheBytes();
  void clearingInfinityEndsTheSeriesAtTheNextTick();
  void focusAndBulbVariantsSendTheirBytesAndWaits_data();
  void focusAndBulbVariantsSendTheirBytesAndWaits();
  void bulbWithoutIntervalRunsBackToBackAndStaysCancellable();
  void longShotsFollowEachOtherButNeverOverlap();
  void windowStaysAliveButHoldsInputDuringAShot();
  void copiedPictureNameReachesTheProgramAsOneWord();
  void copyFailureShowsABoxAndTheSeriesGoesOn_data();
  void copyFailureShowsABoxAndTheSeriesGoesOn();
  void copyErrorBoxDoesNotBlockAndDoesNotPileUp();
};

void TimeLapseSeriesTest::threeShotsOnTheGridThenIdleTwice() {
  SeriesFixture f(Profile("Count=3\nSecond=1\n"));
  f.ClickStart();
  // The first shot ran inside the click.
  QCOMPARE(f.statuses->Texts(), (QStringList{"#1 Shoot", "Doze (picture 1 of 3 taken)"}));
  QVERIFY(!f.Start()->isEnabled() && f.Cancel()->isEnabled());
  QVERIFY(f.page->SeriesTimerRunning());
  QCOMPARE(f.page->IntervalMs(), 1000u);
  QVERIFY(f.WaitForSeriesEnd(5000));
  QCOMPARE(f.statuses->Texts(), Repeat({"#%N Shoot", "Doze (picture %N of %C taken)"}, 3, 3)
                                    << "Idle (3 pictures taken)"
                                    << "Idle (3 pictures taken)");
  QVERIFY(f.Idle());
  const auto& log = f.statuses->Entries();
  // The closing tick writes the Idle text again, on the grid anchored at the
  // end of shot 1.
  QVERIFY(MsBetween(log[1].at, log.back().at) >= 3 * kSecondInStatusMs);

  QTest::qWait(50);
  const auto arrivals = f.camera->Arrivals();
  QCOMPARE(f.camera->Bytes(), (Bytes{B, b, B, b, B, b}));
  // Shot 2 one interval after shot 1 ended, shot 3 on the same grid.
  const QString gaps = CheckGaps(arrivals, {{0, 1, kKeyPressMs},
                                            {2, 3, kKeyPressMs},
                                            {4, 5, kKeyPressMs},
                                            {1, 2, kSecondMs},
                                            {0, 4, 2 * kSecondMs}});
  QVERIFY2(gaps.isEmpty(), qPrintable(gaps));
  QRegularExpression time("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$");
  QVERIFY(time.match(log.back().time).hasMatch());
}

void TimeLapseSeriesTest::oneShotNeedsNoTimer() {
  SeriesFixture f(Profile("Count=1\nSecond=1\n"));
  f.ClickStart();
  QVERIFY(!f.page->SeriesTimerRunning());
  QVERIFY(f.Idle());
  QCOMPARE(f.statuses->Last(), QStringLiteral("Idle (1 picture taken)"));
  QCOMPARE(f.statuses->Texts().first(), QStringLiteral("#1 Shoot"));
  f.Pause(300);
  QCOMPARE(f.camera->Bytes(), (Bytes{B, b}));
  QCOMPARE(f.statuses->Last(), QStringLiteral("Idle (1 picture taken)"));
  QVERIFY(!f.statuses->Contains("#2 Shoot"));
}

void TimeLapseSeriesTest::nothingToDoShowsIdleAtOnce_data() {
  QTest::addColumn<QString>("interval");
  QTest::newRow("interval 00:00:00 without Bulb") << "Count=3\nSecond=0\n";
  QTest::newRow("count 0 without Infinity") << "Count=0\nSecond=1\n";
}

void TimeLapseSeriesTest::nothingToDoShowsIdleAtOnce() {
  QFETCH(QString, interval);
  SeriesFixture f(Profile(interval.toStdString()));
  f.ClickStart();
  QCOMPARE(f.statuses->Texts(), QStringList{"Idle (0 pictures taken)"});
  QVERIFY(f.Idle());
  QVERIFY(!f.page->SeriesTimerRunning());
  f.Pause(200);
  QCOMPARE(f.camera->Bytes(), Bytes{});
}

void TimeLapseSeriesTest::cancelBetweenShotsStopsTheBytes() {
  SeriesFixture f(Profile("Count=10\nSecond=1\n"));
  f.ClickStart();
  QVERIFY(f.WaitForStatus("Doze (picture 2 of 10 taken)"));
  f.ClickCancel();
  QCOMPARE(f.statuses->Last(), QStringLiteral("Idle (2 pictures taken, cancelled)"));
  QVERIFY(f.Idle());
  QVERIFY(!f.page->SeriesTimerRunning());
  f.Pause(1100);
  QCOMPARE(f.camera->Bytes(), (Bytes{B, b, B, b}));
  QCOMPARE(f.statuses->Last(), QStringLiteral("Idle (2 pictures taken, cancelled)"));
}

void TimeLapseSeriesTest::clearingInfinityEndsTheSeriesAtTheNextTick() {
  SeriesFixture f(Profile("Count=0\nInfinity=1\nSecond=1\n"));
  f.ClickStart();
  QCOMPARE(f.statuses->Last(), QStringLiteral("Doze (picture 1 taken)"));
  QTest::mouseClick(f.page->Item<QCheckBox>(CTimeLapse::kInfinityCheck), Qt::LeftButton);
  QCOMPARE(vel::Infinity, 0);
  QVERIFY(f.page->SeriesTimerRunning());
  QVERIFY(f.WaitForSeriesEnd());
  QCOMPARE(f.statuses->Texts(),
           (QStringList{"#1 Shoot", "Doze (picture 1 taken)", "Idle (1 picture taken)"}));
  QVERIFY(f.Idle());
  QCOMPARE(f.camera->Bytes(), (Bytes{B, b}));
}

void TimeLapseSeriesTest::focusAndBulbVariantsSendTheirBytesAndWaits_data() {
  QTest::addColumn<QString>("settings");
  QTest::addColumn<Bytes>("bytes");
  QTest::addColumn<QStringList>("texts");
  QTest::addColumn<QList<Gap>>("gaps");
  QTest::addColumn<int>("delayBulb");
  QTest::newRow("focus") << "Focus=1\nFocusSeconds=1\n"
                         << Bytes{A, a, B, b} << QStringList{"Focus (1 seconds)", "#1 Shoot"}
                         << QList<Gap>{{0, 1, kKeyPressMs}, {1, 2, kSecondMs}, {2, 3, kKeyPressMs}}
                         << 0;
  QTest::newRow("bulb") << "Bulb=1\nBulbSeconds=1\n"
                        << Bytes{B, b}
                        << QStringList{"#1 Shutter open (Bulb)", "#1 Shutter close (Bulb)"}
                        << QList<Gap>{{0, 1, kSecondMs}} << 1;
  QTest::newRow("bulb with focus")
      << "Focus=1\nFocusSeconds=0\nBulb=1\nBulbSeconds=1\n"
      << Bytes{A, a, B, b}
      << QStringList{"Focus (0 seconds)", "#1 Shutter open (Bulb)", "#1 Shutter close (Bulb)"}
      << QList<Gap>{{0, 1, kKeyPressMs}, {2, 3, kSecondMs}} << 0;
}

void TimeLapseSeriesTest::focusAndBulbVariantsSendTheirBytesAndWaits() {
  QFETCH(QString, settings);
  QFETCH(Bytes, bytes);
  QFETCH(QStringList, texts);
  QFETCH(QList<Gap>, gaps);
  QFETCH(int, delayBulb);
  // The after-bulb wait is DelayBulb; DelayUsbRec, long here, is not waited.
  SeriesFixture f(Profile("Count=1\nSecond=1\n" + settings.toStdString(),
                          "DelayUsbRec=30\nDelayBulb=" + std::to_string(delayBulb) + "\n"));
  f.ClickStart();
  QCOMPARE(f.statuses->Texts(), texts << "Doze (picture 1 of 1 taken)"
                                      << "Idle (1 picture taken)"
                                      << "Idle (1 picture taken)");
  f.Pause(50);
  QCOMPARE(f.camera->Bytes(), bytes);
  const QString shown = CheckGaps(f.camera->Arrivals(), gaps);
  QVERIFY2(shown.isEmpty(), qPrintable(shown));
  if (delayBulb > 0)
    QVERIFY(MsBetween(f.statuses->At("#1 Shutter close (Bulb)"),
                      f.statuses->At("Doze (picture 1 of 1 taken)")) >=
            delayBulb * kSecondInStatusMs);
}

void TimeLapseSeriesTest::bulbWithoutIntervalRunsBackToBackAndStaysCancellable() {
  {
    SeriesFixture f(Profile("Count=5\nSecond=0\nBulb=1\nBulbSeconds=0\n", "DelayBulb=0\n"));
    f.ClickStart();
    QVERIFY(f.WaitForSeriesEnd());
    QCOMPARE(f.page->Taken(), 5u);
    QCOMPARE(f.statuses->Last(), QStringLiteral("Idle (5 pictures taken)"));
    QVERIFY(f.statuses->Contains("Doze (picture 4 of 5 taken)"));
    f.Pause(50);
    QCOMPARE(f.camera->Bytes(), (Bytes{B, b, B, b, B, b, B, b, B, b}));
  }
  // Endless and back to back: the window still takes the Cancel click.
  SeriesFixture f(
      Profile("Count=0\nInfinity=1\nSecond=0\nBulb=1\nBulbSeconds=0\n", "DelayBulb=0\n"));
  QTimer::singleShot(200, f.Cancel(), [&f] { f.ClickCancel(); });
  f.ClickStart();
  QVERIFY(f.WaitForSeriesEnd());
  const std::uint32_t taken = f.page->Taken();
  QVERIFY(taken > 1);
  QCOMPARE(f.statuses->Last(), QString("Idle (%1 pictures taken, cancelled)").arg(taken));
  f.Pause(100);
  QCOMPARE(f.camera->Count(), 2 * std::size_t(taken));
}

void TimeLapseSeriesTest::longShotsFollowEachOtherButNeverOverlap() {
  // Each shot takes about a second, as long as the interval.
  SeriesFixture f(Profile("Count=3\nSecond=1\nFocus=1\nFocusSeconds=1\n"));
  QTimer::singleShot(300, f.page, [&f] {
    // In the middle of the first shot: neither a tick nor Start nests a shot.
    QVERIFY(f.page->ShotRunning());
    f.page->OnTimer(CTimeLapse::kSeriesTimerId);
    f.page->OnStart();
  });
  f.ClickStart();
  f.page->OnTimer(CTimeLapse::kSeriesTimerId + 1);  // not the series' timer
  QCOMPARE(f.statuses->Last(), QStringLiteral("Doze (picture 1 of 3 taken)"));
  QVERIFY(f.WaitForSeriesEnd(6000));
  QCOMPARE(f.statuses->Texts(),
           Repeat({"Focus (1 seconds)", "#%N Shoot", "Doze (picture %N of %C taken)"}, 3, 3)
               << "Idle (3 pictures taken)"
               << "Idle (3 pictures taken)");
  f.Pause(50);
  QCOMPARE(f.camera->Bytes(), (Bytes{A, a, B, b, A, a, B, b, A, a, B, b}));
  const auto& log = f.statuses->Entries();
  // Shot 2 waited its interval after shot 1: the stray tick was no shot.
  QVERIFY(MsBetween(log[2].at, log[3].at) >= kSecondInStatusMs);
  // Shot 2 outlasted the interval, so the tick due meanwhile came once, as
  // soon as it ended, instead of an interval later.
  QVERIFY(MsBetween(log[5].at, log[6].at) < 500);
}

void TimeLapseSeriesTest::windowStaysAliveButHoldsInputDuringAShot() {
  SeriesFixture f(Profile("Count=3\nSecond=1\nFocus=1\nFocusSeconds=1\n"));
  bool firedDuringShot = false;
  bool waitCursor = false;
  QTimer::singleShot(200, f.page, [&] {
    firedDuringShot = f.page->ShotRunning();
    waitCursor =
        QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    f.ClickCancel();  // held until the shot has ended
    QVERIFY(f.page->ShotRunning());
  });
  f.ClickStart();
  QVERIFY(firedDuringShot);
  QVERIFY(waitCursor);
  QVERIFY(!QApplication::overrideCursor());
  QVERIFY(f.WaitForStatus("Idle (1 picture taken, cancelled)", 1000));
  QCOMPARE(f.statuses->Texts(),
           (QStringList{"Focus (1 seconds)", "#1 Shoot", "Doze (picture 1 of 3 taken)",
                        "Idle (1 picture taken, cancelled)"}));
  QVERIFY(!f.page->SeriesTimerRunning());
  f.Pause(1100);
  QCOMPARE(f.camera->Bytes(), (Bytes{A, a, B, b}));
}

void TimeLapseSeriesTest::copiedPictureNameReachesTheProgramAsOneWord() {
  namespace fs = std::filesystem;
  velotest::FakeVolumes volumes;
  velotest::AddUsbCamera(volumes);
  const std::string camera = volumes.dir() + "/camera drive";
  const std::string picture = "AB; D001.JPG";
  velotest::WriteFile(camera + "/DCIM/100CASIO/" + picture, "picture");
  const std::string dest = volumes.dir() + "/pictures";
  fs::create_directories(dest);
  // A program whose path has a blank writes down the words it was given.
  const std::string program = volumes.dir() + "/my program.sh";
  const std::string words = volumes.dir() + "/words.txt";
  velotest::WriteFile(
      program,
      "#!/bin/sh\nfor w in \"$0\" \"$@\"; do printf '%s\\n' \"$w\"; done > '" + words + "'\n");
  ::chmod(program.c_str(), 0755);

  SeriesFixture f(Profile("Count=1\nSecond=1\n",
                          "CopyFile=1\nDelayRecUsb=0\nDelayUsbRec=0\nCopyAndDelete=1\n"
                          "UseExternalCommand=1\nCommand=" +
                              program + "\nDestFileDir=" + dest + "\n"));
  f.page->SetVolumeSources(volumes.Sources());
  // The camera's drive appears once the shot has switched it to USB.
  QObject::connect(f.page, &CTimeLapse::StatusShown, f.page, [&](const QString& text) {
    if (text == "#1 Copy picture file start")
      volumes.Mount("8:17", camera, "vfat", "/dev/sdb1");
  });
  MessageBoxRecorder boxes;
  f.ClickStart();
  QVERIFY(boxes.Boxes().empty());
  QVERIFY(f.statuses->Contains("#1 File: AB; D001.JPG"));
  QCOMPARE(vel::test::TempDir::ReadFile(dest + "/" + picture), std::string("picture"));

  const QStringList got =
      QString::fromStdString(vel::test::TempDir::ReadFile(words)).split('\n', Qt::SkipEmptyParts);
  QCOMPARE(got.size(), 6);
  QCOMPARE(got[0], QString::fromStdString(program));
  QCOMPARE(got[1], QStringLiteral("1"));
  QCOMPARE(got[2], QStringLiteral("1"));
  QVERIFY(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4}$").match(got[3]).hasMatch());
  QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(got[4]).hasMatch());
  QCOMPARE(got[5], QString::fromStdString(picture));
  f.Pause(50);
  QCOMPARE(f.camera->Bytes(), (Bytes{B, b, M, m, M, m}));
}

void TimeLapseSeriesTest::copyFailureShowsABoxAndTheSeriesGoesOn_data() {
  QTest::addColumn<bool>("fixedDiskAppears");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("standardError");
  QTest::newRow("no new drive") << false << "Detecting USB drive letter failed.\n"
                                << "";
  QTest::newRow("new drive is a fixed disk")
      << true << "Detecting USB drive type failed.\n"
      << "Internal error during detecting drive type of calculated USB drive letter. It should be "
         "of type DRIVE_REMOVABLE but it is of type DRIVE_FIXED.\n";
}

void TimeLapseSeriesTest::copyFailureShowsABoxAndTheSeriesGoesOn() {
  QFETCH(bool, fixedDiskAppears);
  QFETCH(QString, message);
  QFETCH(QString, standardError);
  velotest::FakeVolumes volumes;  // the camera's drive never appears
  SeriesFixture f(Profile("Count=1\nSecond=1\n", "CopyFile=1\nDelayRecUsb=0\nDelayUsbRec=0\n"));
  f.page->SetVolumeSources(volumes.Sources());
  QObject::connect(f.page, &CTimeLapse::StatusShown, f.page, [&](const QString& text) {
    if (fixedDiskAppears && text == "#1 Copy picture file start")
      volumes.Mount("254:0", volumes.dir() + "/second disk", "ext4", "/dev/vda");
  });
  MessageBoxRecorder boxes;
  vel::test::StderrCapture errors;
  f.ClickStart();
  errors.Restore();
  QCOMPARE(QString::fromStdString(errors.Text()), standardError);
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  const fw::MessageBoxRequest& box = boxes.Boxes()[0];
  QVERIFY(box.text.startsWith(message));
  QCOMPARE(box.caption, fw::AppName());
  QCOMPARE(box.icon, fw::BoxIcon::Error);
  QCOMPARE(f.statuses->Texts(),
           (QStringList{"#1 Shoot", "#1 Copy picture file start", "#1 Download file failed",
                        "#1 Copy picture file end", "Doze (picture 1 of 1 taken)",
                        "Idle (1 picture taken)", "Idle (1 picture taken)"}));
  f.Pause(50);
  QCOMPARE(f.camera->Bytes(), (Bytes{B, b, M, m, M, m}));
}

void TimeLapseSeriesTest::copyErrorBoxDoesNotBlockAndDoesNotPileUp() {
  velotest::FakeVolumes volumes;
  SeriesFixture f(Profile("Count=1\nSecond=1\n", "CopyFile=1\nDelayRecUsb=0\nDelayUsbRec=0\n"));
  f.page->SetVolumeSources(volumes.Sources());
  auto openBoxes = [] {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
        boxes << box;
    return boxes;
  };
  for (int series = 1; series <= 3; ++series) {
    f.ClickStart();  // returns: the box does not wait for its OK
    QCOMPARE(f.statuses->Last(), QStringLiteral("Idle (1 picture taken)"));
    QTest::qWait(20);
    const QList<QMessageBox*> boxes = openBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0]->windowTitle(), fw::AppName());
    QCOMPARE(boxes[0]->icon(), QMessageBox::Critical);
    QVERIFY(!boxes[0]->isModal());
  }
  openBoxes()[0]->close();
  QTRY_VERIFY(openBoxes().isEmpty());
}

QTEST_MAIN(TimeLapseSeriesTest)
#include "time_lapse_series_test.moc"
