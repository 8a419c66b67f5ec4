// The Time Lapse page's controls: what it shows, how it binds the settings,
// which controls its check boxes enable, and its status lines. With
// VELORANTICA_DOCS_DIR set, its picture is written there.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

#include "core/app/settings.h"
#include "core/timelapse/status_text.h"
#include "gui/framework/message_box.h"
#include "gui/framework/up_down.h"
#include "gui/timelapse/time_lapse_page.h"
#include "support/sheet_fixture.h"

using vel::test::MessageBoxRecorder;
using vel::test::SheetFixture;

namespace {

constexpr int kTimeLapsePage = 1;

// The sheet with the Time Lapse page on top, made after the settings were
// set, so that the page loads them.
struct PageFixture {
  explicit PageFixture(const std::string& profile = {}) : sheet(5, profile) {
    sheet.ShowPage(kTimeLapsePage);
    page = qobject_cast<CTimeLapse*>(sheet.Page());
  }
  template <class T>
  T* Item(int id) {
    return page->Item<T>(id);
  }
  bool Enabled(int id) { return page->GetDlgItem(id)->isEnabled(); }

  SheetFixture sheet;
  CTimeLapse* page = nullptr;
};

struct Pair {
  int check, edit, upDown;
};
constexpr Pair kInfinityPair{CTimeLapse::kInfinityCheck, CTimeLapse::kCountEdit,
                             CTimeLapse::kCountUpDown};
constexpr Pair kBulbPair{CTimeLapse::kBulbCheck, CTimeLapse::kBulbSecondsEdit,
                         CTimeLapse::kBulbSecondsUpDown};
constexpr Pair kFocusPair{CTimeLapse::kFocusCheck, CTimeLapse::kFocusSecondsEdit,
                          CTimeLapse::kFocusSecondsUpDown};

bool HasManyColours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  return colours.size() > 8;
}

}  // namespace

class TimeLapsePageTest : public QObject {
  Q_OBJECT
 private slots:
  void showsItsControlsWithStartReady();
  void enableRulesAtLoad_data();
  void enableRulesAtLoad();
  void checkBoxClickStoresThePageAndSetsItsPair_data();
  void checkBoxClickStoresThePageAndSetsItsPair();
  void intervalIsTwentyFourHourTime();
  void arrowsStayWithinRangeWhileEditsTakeAnyDigits();
  void unreadableFieldStopsTheTransferThere();
  void setStatusWritesTextAndTimeOfWriting();
  void exitSavesThePageOnTop();
  void pageNeverShownTransfersNothing();
  void rendersForTheDocs();
};

void TimeLapsePageTest::showsItsControlsWithStartReady() {
  PageFixture f;
  QVERIFY(f.page);
  QCOMPARE(f.sheet.Sheet().Tabs()->tabText(kTimeLapsePage), QStringLiteral("Time Lapse"));
  const std::pair<int, const char*> texts[] = {
      {CTimeLapse::kInfinityCheck, "Infinity"}, {CTimeLapse::kFocusCheck, "Focus"},
      {CTimeLapse::kBulbCheck, "Bulb"},         {CTimeLapse::kStartButton, "Start"},
      {CTimeLapse::kCancelButton, "Cancel"},
  };
  for (const auto& [id, text] : texts)
    QCOMPARE(f.Item<QAbstractButton>(id)->text(), QString::fromUtf8(text));
  QCOMPARE(f.Item<QLabel>(CTimeLapse::kStatusTextLine)->text(), QStringLiteral("Idle"));
  QCOMPARE(f.Item<QLabel>(CTimeLapse::kStatusTimeLine)->text(), QStringLiteral("Now"));
  QVERIFY(f.Enabled(CTimeLapse::kStartButton));
  QVERIFY(!f.Enabled(CTimeLapse::kCancelButton));
  QCOMPARE(f.Item<QTimeEdit>(CTimeLapse::kIntervalPicker)->displayFormat(),
           QStringLiteral("HH:mm:ss"));
  for (const Pair& pair : {kInfinityPair, kBulbPair, kFocusPair}) {
    auto* upDown = f.Item<fw::CUpDown>(pair.upDown);
    QCOMPARE(upDown->Lower(), 0);
    QCOMPARE(upDown->Upper(), 32767);
  }
  QVERIFY(!f.page->SeriesTimerRunning());
}

void TimeLapsePageTest::enableRulesAtLoad_data() {
  QTest::addColumn<int>("infinity");
  QTest::addColumn<int>("bulb");
  QTest::addColumn<int>("focus");
  QTest::newRow("none set") << 0 << 0 << 0;
  QTest::newRow("all set") << 1 << 1 << 1;
  QTest::newRow("infinity only") << 1 << 0 << 0;
  QTest::newRow("bulb and focus") << 0 << 1 << 1;
}

void TimeLapsePageTest::enableRulesAtLoad() {
  QFETCH(int, infinity);
  QFETCH(int, bulb);
  QFETCH(int, focus);
  PageFixture f("[Interval]\nInfinity=" + std::to_string(infinity) +
                "\nBulb=" + std::to_string(bulb) + "\nFocus=" + std::to_string(focus) + "\n");
  QCOMPARE(f.Item<QCheckBox>(CTimeLapse::kInfinityCheck)->isChecked(), infinity == 1);
  QCOMPARE(f.Enabled(CTimeLapse::kCountEdit), infinity == 0);
  QCOMPARE(f.Enabled(CTimeLapse::kCountUpDown), infinity == 0);
  QCOMPARE(f.Enabled(CTimeLapse::kBulbSecondsEdit), bulb == 1);
  QCOMPARE(f.Enabled(CTimeLapse::kBulbSecondsUpDown), bulb == 1);
  QCOMPARE(f.Enabled(CTimeLapse::kFocusSecondsEdit), focus == 1);
  QCOMPARE(f.Enabled(CTimeLapse::kFocusSecondsUpDown), focus == 1);
}

void TimeLapsePageTest::checkBoxClickStoresThePageAndSetsItsPair_data() {
  QTest::addColumn<int>("check");
  QTest::addColumn<int>("edit");
  QTest::addColumn<int>("upDown");
  QTest::addColumn<bool>("enabledWhenChecked");
  QTest::newRow("Infinity") << kInfinityPair.check << kInfinityPair.edit << kInfinityPair.upDown
                            << false;
  QTest::newRow("Bulb") << kBulbPair.check << kBulbPair.edit << kBulbPair.upDown << true;
  QTest::newRow("Focus") << kFocusPair.check << kFocusPair.edit << kFocusPair.upDown << true;
}

void TimeLapsePageTest::checkBoxClickStoresThePageAndSetsItsPair() {
  QFETCH(int, check);
  QFETCH(int, edit);
  QFETCH(int, upDown);
  QFETCH(bool, enabledWhenChecked);
  PageFixture f;
  auto* box = f.Item<QCheckBox>(check);
  QVERIFY(!box->isChecked());
  // Values typed but not yet stored; the click stores all of them.
  f.Item<QLineEdit>(CTimeLapse::kCountEdit)->setText("42");
  f.Item<QLineEdit>(CTimeLapse::kBulbSecondsEdit)->setText("7");
  f.Item<QTimeEdit>(CTimeLapse::kIntervalPicker)->setTime(QTime(0, 3, 9));
  for (bool checked : {true, false}) {
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->isChecked(), checked);
    QCOMPARE(f.Enabled(edit), checked == enabledWhenChecked);
    QCOMPARE(f.Enabled(upDown), checked == enabledWhenChecked);
  }
  QCOMPARE(vel::Count, 42);
  QCOMPARE(vel::BulbSeconds, 7);
  QCOMPARE(vel::Minute, 3);
  QCOMPARE(vel::Second, 9);
  QCOMPARE(vel::Infinity + vel::Bulb + vel::Focus, 0);
}

void TimeLapsePageTest::intervalIsTwentyFourHourTime() {
  PageFixture f("[Interval]\nHour=1\nMinute=2\nSecond=3\n");
  auto* picker = f.Item<QTimeEdit>(CTimeLapse::kIntervalPicker);
  QCOMPARE(picker->text(), QStringLiteral("01:02:03"));
  picker->setTime(QTime(23, 59, 58));
  QCOMPARE(picker->text(), QStringLiteral("23:59:58"));
  QVERIFY(f.page->UpdateData(true));
  QCOMPARE(vel::Hour, 23);
  QCOMPARE(vel::Minute, 59);
  QCOMPARE(vel::Second, 58);
}

void TimeLapsePageTest::arrowsStayWithinRangeWhileEditsTakeAnyDigits() {
  PageFixture f("[Interval]\nCount=32767\nFocus=1\nFocusSeconds=0\n");
  auto* count = f.Item<QLineEdit>(CTimeLapse::kCountEdit);
  QTest::mouseClick(f.Item<fw::CUpDown>(CTimeLapse::kCountUpDown)->IncreaseArrow(), Qt::LeftButton);
  QCOMPARE(count->text(), QStringLiteral("32767"));
  auto* seconds = f.Item<QLineEdit>(CTimeLapse::kFocusSecondsEdit);
  QTest::mouseClick(f.Item<fw::CUpDown>(CTimeLapse::kFocusSecondsUpDown)->DecreaseArrow(),
                    Qt::LeftButton);
  QCOMPARE(seconds->text(), QStringLiteral("0"));
  count->clear();
  QTest::keyClicks(count, "9x99-99");
  QCOMPARE(count->text(), QStringLiteral("99999"));
  QVERIFY(f.page->UpdateData(true));
  QCOMPARE(vel::Count, 99999);
}

void TimeLapsePageTest::unreadableFieldStopsTheTransferThere() {
  PageFixture f("[Interval]\nSecond=5\nBulbSeconds=3\n");
  MessageBoxRecorder boxes;
  f.Item<QCheckBox>(CTimeLapse::kInfinityCheck)->setChecked(true);
  f.Item<QTimeEdit>(CTimeLapse::kIntervalPicker)->setTime(QTime(0, 0, 9));
  f.Item<QLineEdit>(CTimeLapse::kCountEdit)->clear();
  f.Item<QLineEdit>(CTimeLapse::kBulbSecondsEdit)->setText("8");
  QTest::mouseClick(f.Item<QCheckBox>(CTimeLapse::kFocusCheck), Qt::LeftButton);
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  QCOMPARE(boxes.Boxes()[0].caption, fw::AppName());
  QCOMPARE(vel::Infinity, 1);     // before the count: stored
  QCOMPARE(vel::BulbSeconds, 3);  // after it: as it was
  QCOMPARE(vel::Second, 5);       // the interval is stored last
}

void TimeLapsePageTest::setStatusWritesTextAndTimeOfWriting() {
  PageFixture f;
  const QString before = QString::fromStdString(vel::StatusTimeText(vel::CurrentLocalTime()));
  f.page->SetStatus("Doze (picture 1 of 3 taken)");
  const QString after = QString::fromStdString(vel::StatusTimeText(vel::CurrentLocalTime()));
  QCOMPARE(f.Item<QLabel>(CTimeLapse::kStatusTextLine)->text(),
           QStringLiteral("Doze (picture 1 of 3 taken)"));
  const QString time = f.Item<QLabel>(CTimeLapse::kStatusTimeLine)->text();
  QVERIFY(
      QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$").match(time).hasMatch());
  QVERIFY2(time == before || time == after, qPrintable(time));
  f.page->ShowIdle();
  QCOMPARE(f.Item<QLabel>(CTimeLapse::kStatusTextLine)->text(),
           QStringLiteral("Idle (0 pictures taken)"));
  QVERIFY(f.Enabled(CTimeLapse::kStartButton));
  QVERIFY(!f.Enabled(CTimeLapse::kCancelButton));
}

void TimeLapsePageTest::exitSavesThePageOnTop() {
  PageFixture f("[Interval]\nCount=4\n");
  f.Item<QLineEdit>(CTimeLapse::kCountEdit)->setText("17");
  f.Item<QCheckBox>(CTimeLapse::kBulbCheck)->setChecked(true);
  f.Item<QTimeEdit>(CTimeLapse::kIntervalPicker)->setTime(QTime(2, 0, 30));
  f.sheet.Sheet().OnExit();
  QCOMPARE(vel::Count, 17);
  QCOMPARE(vel::Bulb, 1);
  QCOMPARE(vel::Hour, 2);
  QCOMPARE(vel::Second, 30);
}

void TimeLapsePageTest::pageNeverShownTransfersNothing() {
  // Hour 25 is no time of day: a page that had loaded it would save 1.
  SheetFixture f(5, "[Interval]\nCount=6\nHour=25\nInfinity=1\n");
  f.Sheet().OnExit();
  QVERIFY(!f.Sheet().TimeLapsePage()->HasWindow());
  QCOMPARE(vel::Count, 6);
  QCOMPARE(vel::Hour, 25);
  QCOMPARE(vel::Infinity, 1);
}

void TimeLapsePageTest::rendersForTheDocs() {
  PageFixture f("[Interval]\nCount=10\nSecond=30\nFocus=1\n");
  f.sheet.Sheet().adjustSize();
  for (QWidget* control : f.page->Controls()) QVERIFY(f.page->rect().contains(control->geometry()));
  const QImage image = f.sheet.Sheet().grab().toImage();
  QVERIFY(HasManyColours(image));
  const QString folder = qEnvironmentVariable("VELORANTICA_DOCS_DIR");
  if (!folder.isEmpty()) {
    QDir().mkpath(folder);
    QVERIFY(image.save(folder + "/time_lapse_page.png"));
  }
}

QTEST_MAIN(TimeLapsePageTest)
#include "time_lapse_page_test.moc"
