#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <memory>
#include <tuple>
#include <typeinfo>

#include "core/camera/models.h"
#include "gui/direct/direct_control_page.h"
#include "gui/direct/mode_dialog.h"
#include "gui/direct/page1_40.h"
#include "gui/framework/qt/up_down.h"
#include "support/sheet_fixture.h"
#include "support/temp_dir.h"

using namespace vel::test;

namespace {

// A pointer move with the left button held, to a point in the key's coordinates.
void DragTo(QAbstractButton* key, QPoint to) {
  QMouseEvent move(QEvent::MouseMove, to, key->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(key, &move);
}

}  // namespace

class DirectControlPageTest : public QObject {
  Q_OBJECT
 private slots:
  void heldKeySendsPressOnceAndReleaseOnce();
  void modelChoosesPageAndTitle();
  void qv4000SendsModesAtFirstDisplayAndListsAndArrowsOnChange();
  void dialogKeyHoldsItsButtonWhileItsDialogRuns();
  void keyPressOpensALostLineAgain();
};

// The pushed state is sampled when idle, as the pointer leaves and returns, and as the space bar
// is held; a click sends nothing.
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
  QTest::mousePress(shutter, Qt::LeftButton);
  QCOMPARE(f.Idle(1, 1), Bytes{0x42});
  f.ShowPage(1);
  QTest::mouseRelease(shutter, Qt::LeftButton);
  QCOMPARE(f.Idle(2), Bytes{});
  f.ShowPage(0);
  QCOMPARE(f.Idle(1, 1), Bytes{0x62});
  // A held space bar's repeats (marked, or plain under load) make one press and one release.
  shutter->setFocus();
  const auto space = [shutter](bool press, bool repeat) {
    QTest::simulateEvent(shutter, press, Qt::Key_Space, Qt::NoModifier, " ", repeat);
    IdleOnce(1);
  };
  space(true, false);
  Bytes sent = f.Idle(1, 1);
  for (int i = 0; i < 40; ++i) {
    space(false, i % 2);
    space(true, i % 2);
  }
  space(false, false);
  QTRY_VERIFY(!shutter->isDown());
  const Bytes rest = f.Idle(2, 1);
  sent.insert(sent.end(), rest.begin(), rest.end());
  QCOMPARE(sent, (Bytes{0x42, 0x62}));
}

// Unknown models get the QV-3000EX's page and name.
void DirectControlPageTest::modelChoosesPageAndTitle() {
  const std::tuple<int, const std::type_info&, const char*> rows[] = {
      {0, typeid(CPage1_20), "QV-2000UX"}, {1, typeid(CPage1_23), "QV-2300UX"},
      {2, typeid(CPage1_23), "QV-2400UX"}, {3, typeid(CPage1_23), "QV-2800UX"},
      {4, typeid(CPage1_23), "QV-2900UX"}, {5, typeid(CPage1), "QV-3000EX"},
      {6, typeid(CPage1_35), "QV-3500EX"}, {7, typeid(CPage1_40), "QV-4000"},
      {8, typeid(CPage1_40), "QV-5700"},   {9, typeid(CPage1_80), "QV-8000SX"},
      {10, typeid(CPage1), "QV-3000EX"},   {-1, typeid(CPage1), "QV-3000EX"}};
  for (const auto& [model, page, name] : rows) {
    SheetFixture f(model);
    fw::CPropertyPage* shown = f.Page();
    QVERIFY2(typeid(*shown) == page, qPrintable(QString::number(model)));
    QCOMPARE(f.Dialog().windowTitle(), QString("Velorantica for Casio ") + name);
  }
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

// A QV-4000 key holds its button while its dialog runs; the dialog's buttons press and release.
void DirectControlPageTest::dialogKeyHoldsItsButtonWhileItsDialogRuns() {
  const struct {
    int key;
    const std::type_info& dialog;
    std::uint8_t hold;
    int button;
    std::uint8_t press;
  } rows[] = {{vel::kMeteringKey, typeid(CMeteringDlg), 'X', vel::kNextKey, 0x5B},
              {vel::kWhiteBalanceKey, typeid(CWhiteBalanceDlg), 'Y', vel::kPreviousKey, 0x5A},
              {vel::kFocusKey, typeid(CFocusModeDlg), 'S', vel::kUpKey, 'Q'},
              {vel::kAeLockKey, typeid(CAELockDlg), 'W', vel::kShutterKey, 'B'}};
  for (const auto& c : rows) {
    SheetFixture f(vel::kModelQv4000);
    f.Camera().Read(2, 500);
    const std::type_info* shown = nullptr;
    Bytes whileOpen;
    QTimer::singleShot(50, [&] {
      auto* dialog = dynamic_cast<ModeDialog*>(fw::qt::WindowOf(QApplication::activeModalWidget()));
      if (!dialog)
        return;
      shown = &typeid(*dialog);
      whileOpen = f.Camera().Read(1, 300);
      for (const int button : {c.button, int(vel::kModeDialogOk)})
        QTest::mouseClick(fw::qt::ControlWidget(*dialog, button), Qt::LeftButton);
    });
    QTest::mousePress(f.Item(c.key), Qt::LeftButton);
    const Bytes afterwards = f.Idle(1, 3);
    QVERIFY(shown && *shown == c.dialog);
    QCOMPARE(whileOpen, Bytes{c.hold});
    QCOMPARE(afterwards,
             (Bytes{c.press, std::uint8_t(c.press + 0x20), std::uint8_t(c.hold + 0x20)}));
    QTest::mouseRelease(f.Item(c.key), Qt::LeftButton);
    QCOMPARE(f.Idle(2), Bytes{});
  }
}

// A key press reopens, under its name, a line lost by a failed write (the adapter plugged again).
void DirectControlPageTest::keyPressOpensALostLineAgain() {
  TempDir dir;
  const std::string link = dir / "camera";
  auto line = std::make_unique<PseudoTerminal>();
  std::filesystem::create_symlink(line->SlavePath(), link);
  SheetFixture f(5, {}, link);
  const auto click = [&f] {
    QTest::mousePress(f.Item(vel::kShutterKey), Qt::LeftButton);
    f.Idle(1);
    QTest::mouseRelease(f.Item(vel::kShutterKey), Qt::LeftButton);
    f.Idle(1);
  };
  line.reset();
  click();
  QVERIFY(CameraPortLost());
  line = std::make_unique<PseudoTerminal>();
  std::filesystem::remove(link);
  std::filesystem::create_symlink(line->SlavePath(), link);
  click();
  QCOMPARE(line->Read(2, 500), (Bytes{0x42, 0x62}));
  QVERIFY(!CameraPortLost());
}

QTEST_MAIN(DirectControlPageTest)
#include "direct_control_page_test.moc"
