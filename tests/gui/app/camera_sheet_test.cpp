#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "gui/app/camera_app.h"
#include "gui/app/camera_sheet.h"
#include "gui/app/volume_watcher.h"
#include "gui/framework/property_page.h"
#include "support/gui_support.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

using vel::test::MessageBoxRecorder;

class CameraSheetTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void freshProfileComesUpForTheQv4000();
  void modelChoosesTitle_data();
  void modelChoosesTitle();
  void portFailureShowsItsBoxAndOpensOnConfig();
  void exitEscAndCloseBoxAllEndThroughOnExit_data();
  void exitEscAndCloseBoxAllEndThroughOnExit();
  void pageNeverShownTransfersNothing();
  void runWritesAllSettingsBackAndKeepsForeignContent();
  void closeForeignDialogSparesTheProgramsOwn();
  void closeForeignDialogSeesModelessBoxesOnTop();
  void removedRemovableVolumeIsNoticed();

 private:
  std::unique_ptr<vel::test::TempDir> m_dir;
  std::unique_ptr<vel::test::PseudoTerminal> m_pty;
};

void CameraSheetTest::init() {
  m_dir = std::make_unique<vel::test::TempDir>();
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir->Path()));
  m_pty = std::make_unique<vel::test::PseudoTerminal>();
  vel::LoadSettings(vel::IniProfile());
  vel::ComPort = m_pty->SlavePath();
}

void CameraSheetTest::freshProfileComesUpForTheQv4000() {
  MessageBoxRecorder boxes;
  CCameraSheet sheet;
  sheet.show();
  QCOMPARE(sheet.windowTitle(), QStringLiteral("Velorantica for Casio QV-4000"));
  QStringList captions;
  for (int i = 0; i < sheet.Tabs()->count(); ++i) captions << sheet.Tabs()->tabText(i);
  QCOMPARE(captions, (QStringList{"Direct Control", "Time Lapse", "Options", "Config", "About"}));
  QCOMPARE(sheet.GetActiveIndex(), 0);
  QVERIFY(!sheet.OkButton()->isVisible());
  QVERIFY(sheet.CancelButton()->isVisible());
  QCOMPARE(sheet.CancelButton()->text(), QStringLiteral("Exit"));
  QVERIFY(sheet.windowFlags() & Qt::WindowMinimizeButtonHint);
  QVERIFY(!sheet.windowIcon().availableSizes().isEmpty());
  QVERIFY(!sheet.windowIcon().pixmap(32).isNull());
  QVERIFY(vel::g_pComPort && vel::g_pComPort->IsOpen());
  QVERIFY(boxes.Boxes().empty());
}

void CameraSheetTest::modelChoosesTitle_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<QString>("title");
  QTest::newRow("QV-5700") << 8 << "Velorantica for Casio QV-5700";
  QTest::newRow("unknown 42") << 42 << "Velorantica for Casio QV-3000EX";
  QTest::newRow("QV-2000UX") << 0 << "Velorantica for Casio QV-2000UX";
  QTest::newRow("QV-8000SX") << 9 << "Velorantica for Casio QV-8000SX";
}

void CameraSheetTest::modelChoosesTitle() {
  QFETCH(int, model);
  QFETCH(QString, title);
  vel::Model = model;
  CCameraSheet sheet;
  QCOMPARE(sheet.windowTitle(), title);
}

void CameraSheetTest::portFailureShowsItsBoxAndOpensOnConfig() {
  MessageBoxRecorder boxes;
  vel::ComPort = "/dev/velorantica-missing";
  CCameraSheet sheet;
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  const fw::MessageBoxRequest& box = boxes.Boxes()[0];
  QCOMPARE(box.caption, QStringLiteral("Velorantica"));
  QCOMPARE(box.icon, fw::BoxIcon::Error);
  QVERIFY(box.owner == nullptr);
  QVERIFY(box.text.startsWith("ComPort opening error. System error message:\n\nNo such file"));
  QVERIFY(box.text.endsWith("- ComPort is not in use by another application\n"));
  sheet.show();
  QCOMPARE(sheet.GetActiveIndex(), CCameraSheet::kConfigPageIndex);
  QVERIFY(!vel::g_pComPort->IsOpen());
}

void CameraSheetTest::exitEscAndCloseBoxAllEndThroughOnExit_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Exit button") << "exit";
  QTest::newRow("Esc") << "esc";
  QTest::newRow("close box") << "close";
}

void CameraSheetTest::exitEscAndCloseBoxAllEndThroughOnExit() {
  QFETCH(QString, how);
  vel::Model = 7;
  struct Sheet : CCameraSheet {
    int exits = 0;
    void OnExit() override {
      ++exits;
      CCameraSheet::OnExit();
    }
  } sheet;
  int result = -1;
  QTimer::singleShot(20, &sheet, [&] {
    // A change the page has not stored yet: only the exit's transfer saves it.
    auto* exposure = sheet.GetActivePage()->Item<QComboBox>(1061);
    QSignalBlocker quiet(exposure);
    exposure->setCurrentIndex(2);
    if (how == "exit")
      QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
    if (how == "esc")
      QTest::keyClick(&sheet, Qt::Key_Escape);
    if (how == "close")
      sheet.close();
  });
  QTimer::singleShot(2000, &sheet, [&] { sheet.done(99); });  // never hang the suite
  result = sheet.DoModal();
  QCOMPARE(sheet.exits, 1);
  QCOMPARE(result, int(QDialog::Rejected));
  QCOMPARE(vel::ExposureMode, 2);
  QVERIFY(!sheet.isVisible());
}

void CameraSheetTest::pageNeverShownTransfersNothing() {
  MessageBoxRecorder boxes;
  vel::Model = 7;
  vel::ExposureMode = 42;  // the list cannot show it; a transfer would store -1
  vel::ComPort = "/dev/velorantica-missing";
  CCameraSheet sheet;
  QTimer::singleShot(20, &sheet, [&] { sheet.OnExit(); });
  sheet.DoModal();
  QVERIFY(!sheet.DirectControlPage()->HasWindow());
  QCOMPARE(vel::ExposureMode, 42);
}

void CameraSheetTest::runWritesAllSettingsBackAndKeepsForeignContent() {
  const std::string path = CCameraApp::ProfileFile();
  QCOMPARE(QString::fromStdString(path),
           QString::fromStdString(m_dir->Path() + "/") + fw::AppName() + ".ini");
  vel::test::TempDir::WriteFile(path, "; my notes\r\n[Options]\r\nComPort=" + m_pty->SlavePath() +
                                          "\r\nModel=8\r\n[Mine]\r\nKeep=1\r\n");
  QTimer::singleShot(50, [] {
    if (auto* sheet = qobject_cast<CCameraSheet*>(QApplication::activeModalWidget()))
      sheet->OnExit();
  });
  CCameraApp app;
  QCOMPARE(app.InitInstance(), 0);
  const vel::IniProfile saved = vel::IniProfile::Load(path);
  for (const vel::SettingEntry& setting : vel::SettingsTable())
    QVERIFY2(saved.GetString(setting.section, setting.key, "<missing>") != "<missing>",
             std::string(setting.key).c_str());
  const std::string text = vel::test::TempDir::ReadFile(path);
  QVERIFY(text.rfind("; my notes\r\n[Options]\r\n", 0) == 0);
  QVERIFY(text.find("[Mine]\r\nKeep=1\r\n") != std::string::npos);
  QCOMPARE(saved.GetInt("Options", "Model", 0), 8);
  QCOMPARE(saved.GetInt("Interval", "Count", 0), 1);
}

void CameraSheetTest::closeForeignDialogSparesTheProgramsOwn() {
  CCameraSheet sheet;
  sheet.show();
  QDialog foreign(&sheet);
  foreign.setWindowTitle("Focus Mode");
  QMessageBox own(QMessageBox::Critical, "Velorantica", "own box", QMessageBox::Ok, &sheet);
  QMessageBox framework(QMessageBox::Critical, fw::AppName(), "framework box", QMessageBox::Ok,
                        &sheet);
  bool foreignClosed = false, ownSurvived = false, frameworkClosed = false;
  QTimer::singleShot(20, [&] {
    CCameraSheet::CloseForeignDialog();
    foreignClosed = !foreign.isVisible();
  });
  QTimer::singleShot(40, [&] {
    // The program's own box on top: nothing is closed.
    QTimer::singleShot(20, [&] {
      CCameraSheet::CloseForeignDialog();
      ownSurvived = own.isVisible();
      QTimer::singleShot(20, [&] {
        CCameraSheet::CloseForeignDialog();
        frameworkClosed = !framework.isVisible();
        own.accept();
      });
      framework.exec();
    });
    own.exec();
  });
  QTimer::singleShot(3000, [&] {
    foreign.reject();
    own.accept();
    framework.accept();
  });
  foreign.exec();
  QTest::qWait(200);
  QVERIFY(foreignClosed);
  QVERIFY(ownSurvived);
  QVERIFY(frameworkClosed);
}

void CameraSheetTest::closeForeignDialogSeesModelessBoxesOnTop() {
  CCameraSheet sheet;
  bool boxClosed = false, ownKept = false, sheetKept = false;
  QTimer::singleShot(20, &sheet, [&] {
    // A box that does not block, as a failed copy during a series shows.
    auto* box = new QMessageBox(QMessageBox::Critical, fw::AppName(), "copy error", QMessageBox::Ok,
                                &sheet);
    box->setModal(false);
    box->show();
    CCameraSheet::CloseForeignDialog();
    boxClosed = !box->isVisible();
    auto* own = new QMessageBox(QMessageBox::NoIcon, "Velorantica", "own", QMessageBox::Ok, &sheet);
    own->setModal(false);
    own->show();
    CCameraSheet::CloseForeignDialog();
    ownKept = own->isVisible();
    own->close();
    CCameraSheet::CloseForeignDialog();  // the sheet is on top again
    sheetKept = sheet.isVisible();
    sheet.done(0);
  });
  QTimer::singleShot(3000, &sheet, [&] { sheet.done(0); });
  sheet.DoModal();
  QVERIFY(boxClosed);
  QVERIFY(ownKept);
  QVERIFY(sheetKept);
}

void CameraSheetTest::removedRemovableVolumeIsNoticed() {
  const std::string mountinfo = (*m_dir) / "mountinfo";
  const std::string cameraLine = "40 25 8:17 / /media/photo/CAMERA rw,nosuid - ext4 /dev/sdb1 rw\n";
  const std::string rootLine = "25 1 8:1 / / rw - ext4 /dev/sda1 rw\n";
  vel::test::TempDir::WriteFile(mountinfo, rootLine + cameraLine);
  VolumeWatcher watcher(nullptr, {mountinfo, (*m_dir) / "sys"});
  QSignalSpy removed(&watcher, &VolumeWatcher::RemovableVolumeRemoved);
  watcher.Recheck();
  QCOMPARE(removed.count(), 0);
  vel::test::TempDir::WriteFile(mountinfo, rootLine);
  watcher.Recheck();
  QCOMPARE(removed.count(), 1);
  vel::test::TempDir::WriteFile(mountinfo, rootLine + cameraLine);
  watcher.Recheck();
  QCOMPARE(removed.count(), 1);  // arrival does nothing
}

QTEST_MAIN(CameraSheetTest)
#include "camera_sheet_test.moc"
