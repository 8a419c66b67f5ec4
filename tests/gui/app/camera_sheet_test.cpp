// The main window and the framework it stands on: exit, the port, the idle
// pass, the up-down control and the check for foreign dialogs.
#include <QtTest>
#include <QtWidgets>
#include <filesystem>

#include "core/camera/models.h"
#include "gui/app/volume_watcher.h"
#include "gui/framework/dialog_stack.h"
#include "gui/framework/up_down.h"
#include "support/sheet_fixture.h"
#include "support/temp_dir.h"

using namespace vel::test;

namespace {

// How many of this process's handles are open on the device.
int OpenHandles(const std::string& device) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    count += std::filesystem::read_symlink(entry.path(), error) == device;
  }
  return count;
}

struct UpDownCase {
  int lower, upper;
  QString start;
  int step;  // +1/-1 an arrow clicked, +2/-2 the arrow key pressed in the buddy
  QString shown;
};

}  // namespace

class CameraSheetTest : public QObject {
  Q_OBJECT
 private slots:
  void exitSavesThePagesThatHaveAWindow_data();
  void exitSavesThePagesThatHaveAWindow();
  void portFailureShowsTheErrorAndOpensOnConfig();
  void destructionClosesThePort();
  void idlePassRunsOnlyInTheSheetsOwnLoop();
  void upDownStepsItsBuddyWithinItsRange_data();
  void upDownStepsItsBuddyWithinItsRange();
  void closeForeignDialogSparesTheProgramsOwn_data();
  void closeForeignDialogSparesTheProgramsOwn();
  void removedRemovableVolumeIsReported();
};

void CameraSheetTest::exitSavesThePagesThatHaveAWindow_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Exit button") << "exit";
  QTest::newRow("Esc") << "esc";
  QTest::newRow("close box") << "close";
}

void CameraSheetTest::exitSavesThePagesThatHaveAWindow() {
  QFETCH(QString, how);
  // Hour 25 is no time of day: a Time Lapse page that had loaded it would save 1.
  SheetFixture f(vel::kModelQv4000, "[Interval]\nHour=25\n");
  QVERIFY(!f.Sheet().OkButton()->isVisible());
  QCOMPARE(f.Sheet().CancelButton()->text(), "Exit");
  f.ShowPage(2);
  f.ShowPage(0);
  // Changes that no page has stored yet, on the page on top and on one behind it.
  f.Sheet().OptionsPage()->Item<QCheckBox>(vel::kCopyFileCheck)->setChecked(true);
  f.Item<QComboBox>(vel::kExposureList)->setCurrentIndex(2);
  if (how == "exit")
    QTest::mouseClick(f.Sheet().CancelButton(), Qt::LeftButton);
  else if (how == "esc")
    QTest::keyClick(&f.Sheet(), Qt::Key_Escape);
  else
    f.Sheet().close();
  QVERIFY(!f.Sheet().isVisible());
  QCOMPARE(f.Sheet().result(), int(QDialog::Rejected));
  QCOMPARE(ExposureMode, 2);
  QCOMPARE(CopyFile, 1);
  QVERIFY(!f.Sheet().TimeLapsePage()->HasWindow());
  QCOMPARE(Hour, 25);
}

void CameraSheetTest::portFailureShowsTheErrorAndOpensOnConfig() {
  MessageBoxRecorder boxes;
  TempDir dir;
  SheetFixture f(5, {}, dir / "missing");
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  QVERIFY(boxes.Boxes()[0].text.startsWith("ComPort opening error. System error message:"));
  QCOMPARE(boxes.Boxes()[0].icon, fw::BoxIcon::Error);
  QCOMPARE(f.Sheet().GetActiveIndex(), CCameraSheet::kConfigPageIndex);
  QVERIFY(!CameraPort().IsOpen());
}

void CameraSheetTest::destructionClosesThePort() {
  SheetFixture f(5);
  const std::string device = f.Camera().SlavePath();
  const int withSheet = OpenHandles(device);
  f.Close();
  QCOMPARE(OpenHandles(device), withSheet - 1);
  QVERIFY(!g_pComPort);
}

// A key held while a nested loop runs (a message box, a sub-dialog) is
// sampled once the sheet's own loop is idle again, not before.
void CameraSheetTest::idlePassRunsOnlyInTheSheetsOwnLoop() {
  SheetFixture f(5);
  Bytes inNestedLoop{0xFF};
  QEventLoop sheetLoop;
  QTimer::singleShot(0, &sheetLoop, [&] {
    QTest::mousePress(f.Item(vel::kShutterKey), Qt::LeftButton);
    QEventLoop nested;
    QTimer::singleShot(50, &nested, &QEventLoop::quit);
    nested.exec();
    inNestedLoop = f.Camera().Read(0, 30);
    QTimer::singleShot(20, &sheetLoop, &QEventLoop::quit);
  });
  sheetLoop.exec();
  QCOMPARE(inNestedLoop, Bytes{});
  QCOMPARE(f.Camera().Read(1, 500), Bytes{0x42});
}

void CameraSheetTest::upDownStepsItsBuddyWithinItsRange_data() {
  QTest::addColumn<UpDownCase>("c");
  QTest::newRow("steps up") << UpDownCase{0, 10, "4", +1, "5"};
  QTest::newRow("stops at upper") << UpDownCase{0, 10, "10", +2, "10"};
  QTest::newRow("stops at lower") << UpDownCase{0, 10, "0", -1, "0"};
  QTest::newRow("typed beyond the range") << UpDownCase{0, 10, "99999", -2, "10"};
  QTest::newRow("up moves towards upper") << UpDownCase{10, 0, "4", +1, "3"};
}

void CameraSheetTest::upDownStepsItsBuddyWithinItsRange() {
  QFETCH(UpDownCase, c);
  QWidget parent;
  QLineEdit edit(c.start, &parent);
  fw::UpDown upDown(Qt::Vertical, &parent);
  upDown.SetBuddy(&edit);
  upDown.SetRange(c.lower, c.upper);
  // The arrows step a disabled buddy too, as the system's control does.
  edit.setEnabled(c.step == 2 || c.step == -2);
  if (c.step == 1 || c.step == -1)
    QTest::mouseClick(c.step > 0 ? upDown.IncreaseArrow() : upDown.DecreaseArrow(), Qt::LeftButton);
  else
    QTest::keyClick(&edit, c.step > 0 ? Qt::Key_Up : Qt::Key_Down);
  QCOMPARE(edit.text(), c.shown);
}

void CameraSheetTest::closeForeignDialogSparesTheProgramsOwn_data() {
  QTest::addColumn<QString>("title");
  QTest::addColumn<bool>("closed");
  QTest::newRow("a dialog of the system") << "Focus Mode" << true;
  QTest::newRow("a box named after the executable") << "velorantica" << true;
  QTest::newRow("the program's box") << "Velorantica" << false;
  QTest::newRow("the program's window") << "Velorantica for Casio QV-4000" << false;
}

void CameraSheetTest::closeForeignDialogSparesTheProgramsOwn() {
  QFETCH(QString, title);
  QFETCH(bool, closed);
  fw::DialogStack::Instance();
  QDialog below;
  below.setWindowTitle("Print");
  below.show();
  QDialog top;
  top.setWindowTitle(title);
  top.show();
  fw::CloseForeignDialog();
  QCOMPARE(top.isVisible(), !closed);
  QVERIFY(below.isVisible());  // only the dialog on top is looked at
}

// The camera leaving USB mode takes its volume away; only that is reported.
void CameraSheetTest::removedRemovableVolumeIsReported() {
  TempDir dir;
  const std::string mountinfo = dir / "mountinfo";
  const std::string root = "25 1 8:1 / / rw - ext4 /dev/sda1 rw\n";
  const std::string camera = "40 25 8:17 / /media/photo/CAMERA rw,nosuid - vfat /dev/sdb1 rw\n";
  TempDir::WriteFile(mountinfo, root + camera);
  VolumeWatcher watcher(nullptr, {mountinfo, dir / "sys"});
  QSignalSpy removed(&watcher, &VolumeWatcher::RemovableVolumeRemoved);
  for (const std::string& table : {root + camera, root, root + camera}) {
    TempDir::WriteFile(mountinfo, table);
    watcher.Recheck();
  }
  QCOMPARE(removed.count(), 1);
}

QTEST_MAIN(CameraSheetTest)
#include "camera_sheet_test.moc"
