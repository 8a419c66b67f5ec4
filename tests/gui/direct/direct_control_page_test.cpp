#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

#include "core/camera/com_port.h"
#include "gui/direct/direct_control_page.h"
#include "gui/direct/page1_40.h"
#include "support/sheet_fixture.h"

using vel::test::Bytes;
using vel::test::SheetFixture;

namespace {

constexpr int kShutter = 1016;

void Press(QAbstractButton* button) {
  QTest::mousePress(button, Qt::LeftButton);
}
void Release(QAbstractButton* button) {
  QTest::mouseRelease(button, Qt::LeftButton);
}

// A pointer move with the left button held, to a point in the button's
// coordinates.
void DragTo(QAbstractButton* button, QPoint to) {
  QMouseEvent move(QEvent::MouseMove, to, button->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(button, &move);
}

}  // namespace

class DirectControlPageTest : public QObject {
  Q_OBJECT
 private slots:
  void heldShutterSendsOnePressAndOneRelease();
  void pointerLeavingAHeldKeyReleasesIt();
  void spaceBarPressesTheFocusedKey();
  void keyLeftDownIsReleasedOnlyWhenItsPageIsSampledAgain();
  void closedPortSendsNothingButFlagsFollow();
  void keysAreIndependent();
  void modelChoosesThePage_data();
  void modelChoosesThePage();
  void sameIdSendsEachModelsOwnBytes_data();
  void sameIdSendsEachModelsOwnBytes();
  void qv4000OffAndRecPlay();
  void clickWithoutPushedStateSendsNothing();
};

void DirectControlPageTest::heldShutterSendsOnePressAndOneRelease() {
  SheetFixture f(5);
  QAbstractButton* shutter = f.Button(kShutter);
  QCOMPARE(shutter->text(), QStringLiteral("Shutter"));
  QVERIFY(qobject_cast<QPushButton*>(shutter)->isDefault());
  Press(shutter);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x42}));
  QCOMPARE(f.Idle(3), Bytes{});
  Release(shutter);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x62}));
  QCOMPARE(f.Idle(3), Bytes{});
}

void DirectControlPageTest::pointerLeavingAHeldKeyReleasesIt() {
  SheetFixture f(5);
  QAbstractButton* up = f.Button(1003);
  Press(up);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x46}));
  DragTo(up, QPoint(-20, -20));
  QVERIFY(!up->isDown());
  QCOMPARE(f.Idle(1, 1), (Bytes{0x66}));
  DragTo(up, up->rect().center());
  QVERIFY(up->isDown());
  QCOMPARE(f.Idle(1, 1), (Bytes{0x46}));
  Release(up);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x66}));
}

void DirectControlPageTest::spaceBarPressesTheFocusedKey() {
  SheetFixture f(5);
  QAbstractButton* tele = f.Button(1013);
  tele->setFocus();
  QTest::keyPress(tele, Qt::Key_Space);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x44}));
  QTest::keyRelease(tele, Qt::Key_Space);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x64}));
}

void DirectControlPageTest::keyLeftDownIsReleasedOnlyWhenItsPageIsSampledAgain() {
  SheetFixture f(5);
  QAbstractButton* shutter = f.Button(kShutter);
  Press(shutter);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x42}));
  f.ShowPage(1);
  Release(shutter);
  QCOMPARE(f.Idle(3), Bytes{});
  f.ShowPage(0);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x62}));
}

void DirectControlPageTest::closedPortSendsNothingButFlagsFollow() {
  SheetFixture f(5);
  auto* page = qobject_cast<CDirectControlPage*>(f.Page());
  QAbstractButton* shutter = f.Button(kShutter);
  vel::g_pComPort->Close();
  Press(shutter);
  QCOMPARE(f.Idle(), Bytes{});
  QVERIFY(std::count(page->KeyUpFlags().begin(), page->KeyUpFlags().end(), 0) == 1);
  Release(shutter);
  QCOMPARE(f.Idle(), Bytes{});
  QVERIFY(std::count(page->KeyUpFlags().begin(), page->KeyUpFlags().end(), 0) == 0);
  QVERIFY(vel::g_pComPort->Open() != 0);
  QCOMPARE(f.Idle(2), Bytes{});  // nothing is re-sent after reopening
  Press(shutter);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x42}));
  Release(shutter);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x62}));
}

void DirectControlPageTest::keysAreIndependent() {
  SheetFixture f(5);
  QAbstractButton* focusLock = f.Button(1015);
  QAbstractButton* shutter = f.Button(kShutter);
  focusLock->setDown(true);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x41}));
  shutter->setDown(true);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x42}));
  shutter->setDown(false);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x62}));
  focusLock->setDown(false);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x61}));
}

void DirectControlPageTest::modelChoosesThePage_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<QString>("className");
  QTest::addColumn<QString>("title");
  QTest::newRow("0") << 0 << "CPage1_20"
                     << "QV-2000UX";
  QTest::newRow("1") << 1 << "CPage1_23"
                     << "QV-2300UX";
  QTest::newRow("2") << 2 << "CPage1_23"
                     << "QV-2400UX";
  QTest::newRow("3") << 3 << "CPage1_23"
                     << "QV-2800UX";
  QTest::newRow("4") << 4 << "CPage1_23"
                     << "QV-2900UX";
  QTest::newRow("5") << 5 << "CPage1"
                     << "QV-3000EX";
  QTest::newRow("6") << 6 << "CPage1_35"
                     << "QV-3500EX";
  QTest::newRow("7") << 7 << "CPage1_40"
                     << "QV-4000";
  QTest::newRow("8") << 8 << "CPage1_40"
                     << "QV-5700";
  QTest::newRow("9") << 9 << "CPage1_80"
                     << "QV-8000SX";
  QTest::newRow("10") << 10 << "CPage1"
                      << "QV-3000EX";
  QTest::newRow("-1") << -1 << "CPage1"
                      << "QV-3000EX";
}

void DirectControlPageTest::modelChoosesThePage() {
  QFETCH(int, model);
  QFETCH(QString, className);
  QFETCH(QString, title);
  SheetFixture f(model);
  auto* page = qobject_cast<CDirectControlPage*>(f.Page());
  QVERIFY(page);
  QCOMPARE(QString::fromUtf8(page->Page().className.data()), className);
  QCOMPARE(f.Sheet().windowTitle(), "Velorantica for Casio " + title);
  QCOMPARE(f.Sheet().Tabs()->tabText(0), QStringLiteral("Direct Control"));
}

void DirectControlPageTest::sameIdSendsEachModelsOwnBytes_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<int>("id");
  QTest::addColumn<int>("press");
  QTest::newRow("Focus on QV-3000EX") << 5 << 1012 << 0x4C;
  QTest::newRow("Focus on QV-2000UX") << 0 << 1012 << 0x4C;
  QTest::newRow("Focus Mode/Resize on QV-2300UX") << 1 << 1012 << 0x46;
  QTest::newRow("Focus/Resize on QV-3500EX") << 6 << 1012 << 0x46;
  QTest::newRow("Focus on QV-8000SX") << 9 << 1012 << 0x46;
  QTest::newRow("Up on QV-3000EX") << 5 << 1003 << 0x46;
  QTest::newRow("Up on QV-3500EX") << 6 << 1003 << 0x51;
  QTest::newRow("Up on QV-4000") << 7 << 1003 << 0x51;
}

void DirectControlPageTest::sameIdSendsEachModelsOwnBytes() {
  QFETCH(int, model);
  QFETCH(int, id);
  QFETCH(int, press);
  SheetFixture f(model);
  f.Camera().Read(2, 100);  // the QV-4000 page's mode bytes at first display
  QAbstractButton* key = f.Button(id);
  QVERIFY(key);
  Press(key);
  QCOMPARE(f.Idle(1, 1), (Bytes{std::uint8_t(press)}));
  Release(key);
  QCOMPARE(f.Idle(1, 1), (Bytes{std::uint8_t(press + 0x20)}));
}

void DirectControlPageTest::qv4000OffAndRecPlay() {
  SheetFixture f(7);
  f.Camera().Read(2, 100);
  QAbstractButton* off = f.Button(1020);
  QCOMPARE(off->text(), QStringLiteral("Off"));
  Press(off);
  QCOMPARE(f.Idle(1, 2), (Bytes{0x4E, 0x50}));
  Release(off);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x70}));
  QAbstractButton* recPlay = f.Button(1019);
  QCOMPARE(recPlay->text(), QStringLiteral("Rec / Play"));
  Press(recPlay);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x4E}));
  Release(recPlay);
  QCOMPARE(f.Idle(2), Bytes{});
}

void DirectControlPageTest::clickWithoutPushedStateSendsNothing() {
  SheetFixture f(5);
  f.Button(kShutter)->click();
  QCOMPARE(f.Idle(2), Bytes{});
}

QTEST_MAIN(DirectControlPageTest)
#include "direct_control_page_test.moc"
