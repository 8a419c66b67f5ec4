#include <QtTest>
#include <QtWidgets>
#include <typeinfo>

#include "core/camera/models.h"
#include "gui/direct/direct_control_page.h"
#include "gui/direct/mode_dialog.h"
#include "gui/direct/page1_40.h"
#include "gui/framework/up_down.h"
#include "support/sheet_fixture.h"

using namespace vel::test;

namespace {

// A pointer move with the left button held, to a point in the key's coordinates.
void DragTo(QAbstractButton* key, QPoint to) {
  QMouseEvent move(QEvent::MouseMove, to, key->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(key, &move);
}

// A key of the QV-4000 page that holds a camera button while its dialog
// runs, and one of the dialog's buttons with its press byte.
struct DialogKeyCase {
  int key;
  const std::type_info* dialog;
  std::uint8_t hold;
  int button;
  std::uint8_t press;
};

}  // namespace

class DirectControlPageTest : public QObject {
  Q_OBJECT
 private slots:
  void heldKeySendsPressOnceAndReleaseOnce();
  void keysOfAPageBehindAreNotSampled();
  void modelChoosesPageAndTitle_data();
  void modelChoosesPageAndTitle();
  void qv4000SendsModesAtFirstDisplayAndListsAndArrowsOnChange();
  void dialogKeyHoldsItsButtonWhileItsDialogRuns_data();
  void dialogKeyHoldsItsButtonWhileItsDialogRuns();
};

// The key's pushed state is sampled, however it comes about: the mouse, the
// pointer leaving the held key and coming back, the space bar. A click
// shows no pushed state and sends nothing.
void DirectControlPageTest::heldKeySendsPressOnceAndReleaseOnce() {
  SheetFixture f(5);
  QAbstractButton* shutter = f.Item(vel::kShutterKey);
  shutter->click();
  QCOMPARE(f.Idle(2), Bytes{});
  QTest::mousePress(shutter, Qt::LeftButton);
  QCOMPARE(f.Camera().Read(0, 20), Bytes{});  // sampled in the idle pass, not on input
  QCOMPARE(f.Idle(1, 1), Bytes{0x42});
  QCOMPARE(f.Idle(3), Bytes{});
  DragTo(shutter, QPoint(-20, -20));
  QCOMPARE(f.Idle(1, 1), Bytes{0x62});
  QCOMPARE(f.Idle(3), Bytes{});
  DragTo(shutter, shutter->rect().center());
  QCOMPARE(f.Idle(1, 1), Bytes{0x42});
  QTest::mouseRelease(shutter, Qt::LeftButton);
  QCOMPARE(f.Idle(1, 1), Bytes{0x62});
  shutter->setFocus();
  QTest::keyPress(shutter, Qt::Key_Space);
  QCOMPARE(f.Idle(1, 1), Bytes{0x42});
  QTest::keyRelease(shutter, Qt::Key_Space);
  QCOMPARE(f.Idle(1, 1), Bytes{0x62});
}

void DirectControlPageTest::keysOfAPageBehindAreNotSampled() {
  SheetFixture f(5);
  QAbstractButton* shutter = f.Item(vel::kShutterKey);
  QTest::mousePress(shutter, Qt::LeftButton);
  QCOMPARE(f.Idle(1, 1), Bytes{0x42});
  f.ShowPage(1);
  QTest::mouseRelease(shutter, Qt::LeftButton);
  QCOMPARE(f.Idle(2), Bytes{});
  f.ShowPage(0);
  QCOMPARE(f.Idle(1, 1), Bytes{0x62});
}

void DirectControlPageTest::modelChoosesPageAndTitle_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<const std::type_info*>("page");
  QTest::addColumn<QString>("name");
  QTest::newRow("0") << 0 << &typeid(CPage1_20) << "QV-2000UX";
  QTest::newRow("1") << 1 << &typeid(CPage1_23) << "QV-2300UX";
  QTest::newRow("2") << 2 << &typeid(CPage1_23) << "QV-2400UX";
  QTest::newRow("3") << 3 << &typeid(CPage1_23) << "QV-2800UX";
  QTest::newRow("4") << 4 << &typeid(CPage1_23) << "QV-2900UX";
  QTest::newRow("5") << 5 << &typeid(CPage1) << "QV-3000EX";
  QTest::newRow("6") << 6 << &typeid(CPage1_35) << "QV-3500EX";
  QTest::newRow("7") << 7 << &typeid(CPage1_40) << "QV-4000";
  QTest::newRow("8") << 8 << &typeid(CPage1_40) << "QV-5700";
  QTest::newRow("9") << 9 << &typeid(CPage1_80) << "QV-8000SX";
  QTest::newRow("10, unknown") << 10 << &typeid(CPage1) << "QV-3000EX";
  QTest::newRow("-1, unknown") << -1 << &typeid(CPage1) << "QV-3000EX";
}

void DirectControlPageTest::modelChoosesPageAndTitle() {
  QFETCH(int, model);
  QFETCH(const std::type_info*, page);
  QFETCH(QString, name);
  SheetFixture f(model);
  fw::CPropertyPage* shown = f.Page();
  QCOMPARE(std::string_view(typeid(*shown).name()), page->name());
  QCOMPARE(f.Sheet().windowTitle(), "Velorantica for Casio " + name);
}

void DirectControlPageTest::qv4000SendsModesAtFirstDisplayAndListsAndArrowsOnChange() {
  SheetFixture f(vel::kModelQv4000, "[Options]\nExposureMode=2\nDriveMode=1\n");
  QCOMPARE(f.Camera().Read(2, 500), (Bytes{0x82, 0x89}));
  f.ShowPage(1);
  f.ShowPage(0);
  QCOMPARE(f.Idle(2), Bytes{});
  f.Pick(vel::kExposureList, "Program AE");
  f.Pick(vel::kDriveList, "Panorama recording");
  QCOMPARE(f.Camera().Read(2, 500), (Bytes{0x83, 0x8C}));
  QCOMPARE(ExposureMode, 3);
  QCOMPARE(DriveMode, 4);
  // The right arrow proposes -1 under the default range and sends ">".
  auto* arrows = f.Item<fw::UpDown>(vel::kModeUpDown);
  QTest::mouseClick(arrows->IncreaseArrow(), Qt::LeftButton);
  QTest::mouseClick(arrows->DecreaseArrow(), Qt::LeftButton);
  QCOMPARE(f.Camera().Read(4, 500), (Bytes{0x5B, 0x7B, 0x5A, 0x7A}));
}

void DirectControlPageTest::dialogKeyHoldsItsButtonWhileItsDialogRuns_data() {
  QTest::addColumn<DialogKeyCase>("c");
  QTest::newRow("Metering") << DialogKeyCase{vel::kMeteringKey, &typeid(CMeteringDlg), 'X',
                                             vel::kNextKey, 0x5B};
  QTest::newRow("White Bal.") << DialogKeyCase{vel::kWhiteBalanceKey, &typeid(CWhiteBalanceDlg),
                                               'Y', vel::kPreviousKey, 0x5A};
  QTest::newRow("Focus Mode") << DialogKeyCase{vel::kFocusKey, &typeid(CFocusModeDlg), 'S',
                                               vel::kUpKey, 'Q'};
  QTest::newRow("AE-Lock") << DialogKeyCase{vel::kAeLockKey, &typeid(CAELockDlg), 'W',
                                            vel::kShutterKey, 'B'};
}

void DirectControlPageTest::dialogKeyHoldsItsButtonWhileItsDialogRuns() {
  QFETCH(DialogKeyCase, c);
  SheetFixture f(vel::kModelQv4000);
  f.Camera().Read(2, 500);
  const char* shown = nullptr;
  Bytes whileOpen;
  QTimer::singleShot(50, [&] {
    auto* dialog = qobject_cast<ModeDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    shown = typeid(*dialog).name();
    whileOpen = f.Camera().Read(1, 300);
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog->GetDlgItem(c.button)), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog->GetDlgItem(vel::kModeDialogOk)),
                      Qt::LeftButton);
  });
  QTest::mousePress(f.Item(c.key), Qt::LeftButton);
  const Bytes afterwards = f.Idle(1, 3);
  QVERIFY(shown && std::string_view(shown) == c.dialog->name());
  QCOMPARE(whileOpen, Bytes{c.hold});
  QCOMPARE(afterwards, (Bytes{c.press, std::uint8_t(c.press + 0x20), std::uint8_t(c.hold + 0x20)}));
  QTest::mouseRelease(f.Item(c.key), Qt::LeftButton);
  QCOMPARE(f.Idle(2), Bytes{});
}

QTEST_MAIN(DirectControlPageTest)
#include "direct_control_page_test.moc"
