// The pictures of docs/, checked for what the eye would see: every control
// on its window, apart from the others, its text uncut and its name there
// for assistive technology. With VELORANTICA_DOCS_DIR set, the pictures are
// written there.
#include <QtTest>
#include <QtWidgets>

#include "gui/direct/mode_dialog.h"
#include "gui/timelapse/film_dialogs.h"
#include "gui/timelapse/schedule_dialog.h"
#include "gui/timelapse/time_lapse_page.h"
#include "support/sheet_fixture.h"
#include "support/usb_camera_card.h"

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
    // A list shows its entry whole.
    if (auto* list = qobject_cast<QComboBox*>(control)) {
      QStyleOptionComboBox option;
      option.initFrom(list);
      const QSize text(list->fontMetrics().horizontalAdvance(list->currentText()),
                       list->fontMetrics().height());
      QVERIFY2(
          list->width() >=
              list->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, list).width(),
          qPrintable(what + ": " + list->currentText()));
    }
    // What lies in a group box keeps off its frame and title.
    for (QWidget* box : controls)
      if (auto* group = qobject_cast<QGroupBox*>(box);
          group && group->geometry().contains(control->geometry()))
        QVERIFY2(group->contentsRect().translated(group->pos()).contains(control->geometry()),
                 qPrintable(what));
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
  void filmDialogs();
  void runningSeriesWithItsLastPicture();
};

void PageSnapshotsTest::sheetPages_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("profile");
  QTest::addColumn<bool>("dark");
  const auto row = [](const char* name, int model, int page, const char* profile = "",
                      bool dark = false) {
    QTest::newRow(name) << model << page << profile << dark;
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
  row("dark_direct_control_qv4000", 7, 0, "", true);
  row("dark_time_lapse_page", 5, 1, "[Interval]\nCount=10\nSecond=30\nFocus=1\n", true);
  row("dark_options_page", 5, 2,
      "[Options]\nCopyFile=1\nDestFileDir=/home/camera/Pictures/timelapse\n"
      "UseExternalCommand=1\nCommand=/home/camera/bin/after-shot.sh\n",
      true);
  row("dark_about_page", 5, 4, "", true);
}

void PageSnapshotsTest::sheetPages() {
  QFETCH(int, model);
  QFETCH(int, page);
  QFETCH(QString, profile);
  QFETCH(bool, dark);
  const QPalette light = QApplication::palette();
  if (dark)
    QApplication::setPalette(vel::test::DarkPalette());
  vel::test::SheetFixture f(model, profile.toStdString());
  ComPort = "COM2";  // what the Config page shows in place of the terminal's name
  f.ShowPage(page);
  f.Dialog().adjustSize();
  vel::test::IdleOnce();
  CheckAndSave(fw::qt::ControlWidgets(*f.Page()), f.Dialog(), QTest::currentDataTag());
  QApplication::setPalette(light);
}

void PageSnapshotsTest::runningSeriesWithItsLastPicture() {
  vel::test::UsbCameraCard card;
  QVERIFY(card.SavePictures(QColor(0x30, 0x60, 0x90), QColor(0x30, 0x60, 0x90)));
  vel::test::SheetFixture f(5, "[Options]\nCopyFile=1\nDelayRecUsb=2\nDelayUsbRec=0\nDestFileDir=" +
                                   card.pictures + "\n[Interval]\nCount=3\nSecond=10\n");
  f.ShowPage(1);
  card.MountLaterFor(*dynamic_cast<CTimeLapse*>(f.Page()));
  f.Click(vel::kStartButton);
  QTRY_VERIFY(f.Item<QLabel>(vel::kLastPictureLine)->isVisible());
  f.Dialog().adjustSize();
  vel::test::IdleOnce(50);
  CheckAndSave(fw::qt::ControlWidgets(*f.Page()), f.Dialog(),
               QStringLiteral("time_lapse_running_series"));
  f.Click(vel::kCancelButton);
}

void PageSnapshotsTest::modeDialogs() {
  vel::test::SheetFixture f(7);
  const char* names[] = {"mode_dialog_149", "mode_dialog_152", "mode_dialog_153",
                         "mode_dialog_154"};
  for (const vel::ModeDialogLayout& layout : vel::ModeDialogs()) {
    const std::unique_ptr<ModeDialog> dialog = CreateModeDialog(layout.kind, &f.Sheet());
    QWidget* widget = fw::qt::WidgetOf(dialog.get());
    widget->show();
    std::vector<QWidget*> controls;
    for (const vel::ControlTemplate& control : layout.dialog.controls)
      controls.push_back(fw::qt::ControlWidget(*dialog, control.id));
    CheckAndSave(controls, *widget, names[static_cast<int>(layout.kind)]);
  }
  ScheduleDialog schedule(&f.Sheet());
  fw::qt::WidgetOf(&schedule)->show();
  CheckAndSave(fw::qt::ControlWidgets(schedule), *fw::qt::WidgetOf(&schedule), "schedule_dialog");
}

// The film's choices for a series of a few pictures, one left out, and its progress.
void PageSnapshotsTest::filmDialogs() {
  vel::test::SheetFixture f(5);
  vel::FilmFrames frames;
  frames.pictures = {"/home/camera/Pictures/timelapse/CIMG0001.JPG"};
  frames.skipped = {{2, "/home/camera/Pictures/timelapse/CIMG0002.JPG", "missing"}};
  frames.size = {2048, 1536};
  CFilmDialog choices(frames, &f.Sheet());
  CFilmProgressDialog progress(frames, {}, &f.Sheet());
  for (auto [dialog, name] : {std::pair<fw::CDialog*, QString>{&choices, "film_dialog"},
                              {&progress, "film_progress_dialog"}}) {
    fw::qt::WidgetOf(dialog)->show();
    CheckAndSave(fw::qt::ControlWidgets(*dialog), *fw::qt::WidgetOf(dialog), name);
  }
}

QTEST_MAIN(PageSnapshotsTest)
#include "page_snapshots_test.moc"
