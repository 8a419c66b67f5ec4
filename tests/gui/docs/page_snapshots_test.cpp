// The pictures of docs/, checked for what the eye would see: every control
// on its window, apart from the others, its text uncut and its name there
// for assistive technology. With VELORANTICA_DOCS_DIR set, the pictures are
// written there.
#include <QtTest>
#include <QtWidgets>

#include "gui/direct/mode_dialog.h"
#include "support/sheet_fixture.h"

namespace {

void CheckAndSave(const std::vector<QWidget*>& controls, QWidget& picture, const QString& name) {
  std::vector<QWidget*> placed;
  for (QWidget* control : controls) {
    const QString what = name + ": " + control->objectName();
    QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), qPrintable(what));
    if (!control->isVisible() || qobject_cast<QGroupBox*>(control))
      continue;
    for (QWidget* other : placed)
      QVERIFY2(!other->geometry().intersects(control->geometry()), qPrintable(what));
    placed.push_back(control);
    // Labels and check boxes; the link fits itself to its text.
    if (qobject_cast<QCheckBox*>(control) || control->metaObject() == &QLabel::staticMetaObject)
      QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(what));
    if (qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) ||
        qobject_cast<QTimeEdit*>(control))
      QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(what));
  }
  if (const QString folder = qEnvironmentVariable("VELORANTICA_DOCS_DIR"); !folder.isEmpty())
    QVERIFY(QDir().mkpath(folder) && picture.grab().save(folder + "/" + name + ".png"));
}

}  // namespace

class PageSnapshotsTest : public QObject {
  Q_OBJECT
 private slots:
  void sheetPages_data();
  void sheetPages();
  void modeDialogs();
};

void PageSnapshotsTest::sheetPages_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("profile");
  const auto row = [](const char* name, int model, int page, const char* profile = "") {
    QTest::newRow(name) << model << page << profile;
  };
  row("direct_control_qv3000ex", 5, 0);
  row("direct_control_qv2000ux", 0, 0);
  row("direct_control_qv2300ux", 1, 0);
  row("direct_control_qv3500ex", 6, 0);
  row("direct_control_qv4000", 7, 0);
  row("direct_control_qv8000sx", 9, 0);
  row("time_lapse_page", 5, 1, "[Interval]\nCount=10\nSecond=30\nFocus=1\n");
  row("options_page", 5, 2,
      "[Options]\nCopyFile=1\nDestFileDir=/home/camera/Pictures/timelapse\nDeleteAfterCopy=1\n"
      "CopyAndDelete=1\nUseExternalCommand=1\nCommand=/home/camera/bin/after-shot.sh\n");
  row("config_page", 5, 3, "[Options]\nDelayRecUsb=12\nDelayUsbRec=4\nDelayBulb=60\n");
  row("about_page", 5, 4);
  row("about_page_command_check", 5, 4, "[Options]\nCommandCheck=1\n");
}

void PageSnapshotsTest::sheetPages() {
  QFETCH(int, model);
  QFETCH(int, page);
  QFETCH(QString, profile);
  vel::test::SheetFixture f(model, profile.toStdString());
  ComPort = "COM2";  // what the Config page shows in place of the terminal's name
  f.ShowPage(page);
  f.Sheet().adjustSize();
  vel::test::IdleOnce();
  CheckAndSave(f.Page()->Controls(), f.Sheet(), QTest::currentDataTag());
}

void PageSnapshotsTest::modeDialogs() {
  vel::test::SheetFixture f(7);
  const char* names[] = {"mode_dialog_149", "mode_dialog_152", "mode_dialog_153",
                         "mode_dialog_154"};
  for (const vel::ModeDialogLayout& layout : vel::ModeDialogs()) {
    const std::unique_ptr<ModeDialog> dialog = CreateModeDialog(layout.kind, &f.Sheet());
    dialog->show();
    std::vector<QWidget*> controls;
    for (const vel::ControlTemplate& control : layout.dialog.controls)
      controls.push_back(dialog->GetDlgItem(control.id));
    CheckAndSave(controls, *dialog, names[static_cast<int>(layout.kind)]);
  }
}

QTEST_MAIN(PageSnapshotsTest)
#include "page_snapshots_test.moc"
