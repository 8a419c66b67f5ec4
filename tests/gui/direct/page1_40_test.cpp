#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "gui/direct/mode_dialog.h"
#include "gui/framework/up_down.h"
#include "support/sheet_fixture.h"

using vel::test::Bytes;
using vel::test::SheetFixture;

namespace {

constexpr int kMetering = 1057;
constexpr int kWhiteBalance = 1008;
constexpr int kFocusMode = 1012;
constexpr int kAeLock = 1007;

// Runs the given steps on the mode dialog once it is open, then closes it.
void WhenDialogOpens(std::function<void(CModeDialog&)> steps) {
  QTimer::singleShot(30, [steps] {
    auto* dialog = qobject_cast<CModeDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    steps(*dialog);
  });
}

void Click(CModeDialog& dialog, int id) {
  QTest::mouseClick(qobject_cast<QPushButton*>(dialog.GetDlgItem(id)), Qt::LeftButton);
}

}  // namespace

class Page1_40Test : public QObject {
  Q_OBJECT
 private slots:
  void firstDisplaySendsTheModesOnce();
  void meteringDialogSendsItsPairsWhileHeld();
  void aeLockDialogEndsWithEsc();
  void dialogsLookAsTheCameraExpects_data();
  void dialogsLookAsTheCameraExpects();
  void listsSendTheModeThatChanged();
  void storedModesOutOfRange();
  void arrowsStepTheSetting();
};

void Page1_40Test::firstDisplaySendsTheModesOnce() {
  SheetFixture f(7);
  QCOMPARE(f.Camera().Read(2, 500), (Bytes{0x85, 0x88}));
  QCOMPARE(f.Page()->Item<QComboBox>(1061)->currentText(), QStringLiteral("Best Shot Mode"));
  QCOMPARE(f.Page()->Item<QComboBox>(1062)->currentText(),
           QStringLiteral("Auto Exposure Bracketing"));
  f.ShowPage(1);
  f.ShowPage(0);
  QCOMPARE(f.Idle(2), Bytes{});
}

void Page1_40Test::meteringDialogSendsItsPairsWhileHeld() {
  SheetFixture f(8);
  f.Camera().Read(2, 500);
  QAbstractButton* metering = f.Button(kMetering);
  QString title;
  WhenDialogOpens([&](CModeDialog& dialog) {
    title = dialog.windowTitle();
    Click(dialog, 1055);
    Click(dialog, 1055);
    Click(dialog, 1054);
    Click(dialog, 2);
  });
  QTest::mousePress(metering, Qt::LeftButton);
  const Bytes bytes = f.Idle(1, 8);
  QCOMPARE(title, QStringLiteral("Metering Mode"));
  QCOMPARE(bytes, (Bytes{0x58, 0x5B, 0x7B, 0x5B, 0x7B, 0x5A, 0x7A, 0x78}));
  QTest::mouseRelease(metering, Qt::LeftButton);
  QCOMPARE(f.Idle(3), Bytes{});
}

void Page1_40Test::aeLockDialogEndsWithEsc() {
  SheetFixture f(7);
  f.Camera().Read(2, 500);
  WhenDialogOpens([](CModeDialog& dialog) {
    Click(dialog, 1016);
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  QTest::mousePress(f.Button(kAeLock), Qt::LeftButton);
  QCOMPARE(f.Idle(1, 4), (Bytes{0x57, 0x42, 0x62, 0x77}));
  QTest::mouseRelease(f.Button(kAeLock), Qt::LeftButton);
  QCOMPARE(f.Idle(2), Bytes{});
}

void Page1_40Test::dialogsLookAsTheCameraExpects_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("title");
  QTest::addColumn<int>("defaultButton");
  QTest::addColumn<int>("hold");
  QTest::newRow("Metering") << kMetering << "Metering Mode" << 1055 << 0x58;
  QTest::newRow("White Bal.") << kWhiteBalance << "White Balance" << 1055 << 0x59;
  QTest::newRow("Focus Mode") << kFocusMode << "Focus Mode" << 1055 << 0x53;
  QTest::newRow("AE-Lock") << kAeLock << "AE-Lock" << 1016 << 0x57;
}

void Page1_40Test::dialogsLookAsTheCameraExpects() {
  QFETCH(int, key);
  QFETCH(QString, title);
  QFETCH(int, defaultButton);
  QFETCH(int, hold);
  SheetFixture f(7);
  f.Camera().Read(2, 500);
  QString seenTitle;
  bool hasCloseBox = true, defaultOk = false;
  QString okText;
  WhenDialogOpens([&](CModeDialog& dialog) {
    seenTitle = dialog.windowTitle();
    hasCloseBox = dialog.windowFlags() & Qt::WindowCloseButtonHint;
    defaultOk = qobject_cast<QPushButton*>(dialog.GetDlgItem(defaultButton))->isDefault();
    okText = qobject_cast<QPushButton*>(dialog.GetDlgItem(2))->text();
    Click(dialog, 2);
  });
  QTest::mousePress(f.Button(key), Qt::LeftButton);
  QCOMPARE(f.Idle(1, 2), (Bytes{std::uint8_t(hold), std::uint8_t(hold + 0x20)}));
  QCOMPARE(seenTitle, title);
  QVERIFY(!hasCloseBox);
  QVERIFY(defaultOk);
  QCOMPARE(okText, QStringLiteral("OK"));
}

void Page1_40Test::listsSendTheModeThatChanged() {
  SheetFixture f(7);
  f.Camera().Read(2, 500);
  auto* exposure = f.Page()->Item<QComboBox>(1061);
  auto* drive = f.Page()->Item<QComboBox>(1062);
  QCOMPARE(exposure->accessibleName().isEmpty(), false);
  exposure->setCurrentIndex(exposure->findText("Program AE"));
  emit exposure->activated(exposure->currentIndex());
  QCOMPARE(f.Camera().Read(1, 300), (Bytes{0x83}));
  QCOMPARE(vel::ExposureMode, 3);
  drive->setCurrentIndex(drive->findText("Movie recording"));
  emit drive->activated(drive->currentIndex());
  QCOMPARE(f.Camera().Read(1, 300), (Bytes{0x8B}));
  QCOMPARE(vel::DriveMode, 3);
  QCOMPARE(f.Idle(2), Bytes{});
}

void Page1_40Test::storedModesOutOfRange() {
  SheetFixture f(7, "[Options]\nExposureMode=9\nDriveMode=-2\n");
  // An unknown exposure mode falls back to the mode-0 byte; an unknown drive
  // mode sends nothing rather than a mode the user never chose.
  QCOMPARE(f.Camera().Read(2, 300), (Bytes{0x80}));
  QCOMPARE(f.Page()->Item<QComboBox>(1061)->currentIndex(), -1);
  QCOMPARE(f.Page()->Item<QComboBox>(1062)->currentIndex(), -1);
  f.ShowPage(1);
  QCOMPARE(vel::ExposureMode, -1);
  QCOMPARE(vel::DriveMode, -1);
}

void Page1_40Test::arrowsStepTheSetting() {
  SheetFixture f(7);
  f.Camera().Read(2, 500);
  auto* arrows = f.Page()->Item<fw::CUpDown>(1063);
  QTest::mouseClick(arrows->IncreaseArrow(), Qt::LeftButton);  // the right arrow
  QCOMPARE(f.Camera().Read(2, 300), (Bytes{0x5B, 0x7B}));
  QTest::mouseClick(arrows->DecreaseArrow(), Qt::LeftButton);  // the left arrow
  QCOMPARE(f.Camera().Read(2, 300), (Bytes{0x5A, 0x7A}));
  // Holding an arrow repeats.
  QTest::mousePress(arrows->IncreaseArrow(), Qt::LeftButton);
  QTest::qWait(700);
  QTest::mouseRelease(arrows->IncreaseArrow(), Qt::LeftButton);
  const Bytes repeated = f.Camera().Read(6, 300);
  QVERIFY2(repeated.size() >= 4, std::to_string(repeated.size()).c_str());
  for (std::size_t i = 0; i + 1 < repeated.size(); i += 2)
    QCOMPARE((Bytes{repeated[i], repeated[i + 1]}), (Bytes{0x5B, 0x7B}));
}

QTEST_MAIN(Page1_40Test)
#include "page1_40_test.moc"
