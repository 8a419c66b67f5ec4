// The main window and its framework: exit, the port, the idle pass, the up-down control.
#include <sys/resource.h>
#include <sys/stat.h>
#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <filesystem>

#include "core/camera/models.h"
#include "gui/app/camera_app.h"
#include "gui/framework/qt/up_down.h"
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

}  // namespace

class CameraSheetTest : public QObject {
  Q_OBJECT
 private slots:
  void exitSavesThePagesThatHaveAWindow();
  void profileThatFailsIsShown();
  void idlePassRunsOnlyInTheSheetsOwnLoop();
  void upDownStepsItsBuddyWithinItsRange();
  void removedRemovableVolumeIsReported();
};

// Exit, Esc and the close box save the pages with a window; the sheet gone, the port is closed.
void CameraSheetTest::exitSavesThePagesThatHaveAWindow() {
  for (const QString how : {"exit", "esc", "close"}) {
    // Hour 25 is no time of day: a Time Lapse page that had loaded it would save 1.
    SheetFixture f(vel::kModelQv4000, "[Interval]\nHour=25\n");
    QVERIFY(!f.Button(fw::CPropertySheet::IDOK)->isVisible());
    QCOMPARE(f.Button(fw::CPropertySheet::IDCANCEL)->text(), "Exit");
    f.ShowPage(2);
    f.ShowPage(0);
    // Changes that no page has stored yet, on the page on top and on one behind it.
    qobject_cast<QCheckBox*>(fw::qt::ControlWidget(*f.Sheet().OptionsPage(), vel::kCopyFileCheck))
        ->setChecked(true);
    f.Item<QComboBox>(vel::kExposureList)->setCurrentIndex(2);
    if (how == "exit")
      QTest::mouseClick(f.Button(fw::CPropertySheet::IDCANCEL), Qt::LeftButton);
    else if (how == "esc")
      QTest::keyClick(&f.Dialog(), Qt::Key_Escape);
    else
      f.Dialog().close();
    QVERIFY2(!f.Dialog().isVisible(), qPrintable(how));
    QCOMPARE(f.Dialog().result(), int(QDialog::Rejected));
    QCOMPARE(ExposureMode, 2);
    QCOMPARE(CopyFile, 1);
    QVERIFY(!f.Sheet().TimeLapsePage()->HasWindow());
    QCOMPARE(Hour, 25);
    const int withSheet = OpenHandles(f.Camera().SlavePath());
    f.Close();
    QCOMPARE(OpenHandles(f.Camera().SlavePath()), withSheet - 1);
    QVERIFY(!g_pComPort);
  }
}

// A failed save (a full disk) is shown and exits with 1; a FIFO profile must not hang the start.
void CameraSheetTest::profileThatFailsIsShown() {
  TempDir dir;
  const std::string path = dir / "velorantica.ini";
  MessageBoxRecorder boxes;
  TempDir::WriteFile(path, "[Options]\nModel=2\n");
  QVERIFY(CCameraApp::LoadSettings(path));
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit full{0, limit.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &full);
  const int status = CCameraApp::SaveSettings(path, path);
  setrlimit(RLIMIT_FSIZE, &limit);
  QCOMPARE(status, 1);
  std::filesystem::remove(path);
  QCOMPARE(mkfifo(path.c_str(), 0600), 0);
  QVERIFY(!CCameraApp::LoadSettings(path));
  QCOMPARE(Model, 7);
  QCOMPARE(boxes.Boxes().size(), std::size_t{2});
  for (const RecordedBox& box : boxes.Boxes())
    QVERIFY(box.text.contains(QString::fromStdString(path)) && box.icon == fw::BoxIcon::Error);
}

// A key held during a nested loop (a box, a sub-dialog) is sampled only in the sheet's own loop.
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

// Steps: +-1 an arrow clicked (a disabled buddy too, as in the system), +-2 an arrow key in it.
void CameraSheetTest::upDownStepsItsBuddyWithinItsRange() {
  const auto stepped = [](int lower, int upper, const QString& start, int step) {
    QWidget parent;
    QLineEdit edit(start, &parent);
    fw::UpDown upDown(Qt::Vertical, &parent);
    upDown.SetBuddy(&edit);
    upDown.SetRange(lower, upper);
    edit.setEnabled(step == 2 || step == -2);
    if (step == 1 || step == -1)
      QTest::mouseClick(step > 0 ? upDown.IncreaseArrow() : upDown.DecreaseArrow(), Qt::LeftButton);
    else
      QTest::keyClick(&edit, step > 0 ? Qt::Key_Up : Qt::Key_Down);
    return edit.text();
  };
  QCOMPARE(stepped(0, 10, "4", 1), "5");
  QCOMPARE(stepped(0, 10, "10", 2), "10");
  QCOMPARE(stepped(0, 10, "0", -1), "0");
  QCOMPARE(stepped(0, 10, "99999", -2), "10");  // typed beyond the range
  QCOMPARE(stepped(10, 0, "4", 1), "3");        // up moves towards upper
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
