// Renders every Direct Control page and the four mode dialogs on the offscreen
// platform. Each picture is checked for what the eye would check: the page
// has its template's size, every key lies on it without overlapping another,
// and the rendering is not blank. With VELORANTICA_DOCS_DIR set, the pictures
// are written there (scripts/update-docs-images.sh does this for docs/).
#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QtTest>

#include "core/direct/direct_pages.h"
#include "gui/direct/direct_control_page.h"
#include "gui/direct/mode_dialog.h"
#include "gui/framework/dialog_units.h"
#include "support/sheet_fixture.h"

namespace {

constexpr std::pair<int, const char*> kModels[] = {
    {5, "direct_control_qv3000ex"}, {0, "direct_control_qv2000ux"}, {1, "direct_control_qv2300ux"},
    {6, "direct_control_qv3500ex"}, {7, "direct_control_qv4000"},   {9, "direct_control_qv8000sx"},
};

bool HasManyColours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  return colours.size() > 8;
}

void Save(const QImage& image, const QString& name) {
  const QString folder = qEnvironmentVariable("VELORANTICA_DOCS_DIR");
  if (folder.isEmpty())
    return;
  QDir().mkpath(folder);
  QVERIFY(image.save(folder + "/" + name + ".png"));
}

}  // namespace

class PageSnapshotsTest : public QObject {
  Q_OBJECT
 private slots:
  void directControlPages();
  void modeDialogs();
};

void PageSnapshotsTest::directControlPages() {
  for (const auto& [model, name] : kModels) {
    vel::test::SheetFixture f(model);
    f.Sheet().adjustSize();
    auto* page = qobject_cast<CDirectControlPage*>(f.Page());
    QVERIFY(page);
    const QSize size =
        fw::DialogUnits(page->font()).Size(page->Page().dialog.width, page->Page().dialog.height);
    QVERIFY(page->width() >= size.width() && page->height() >= size.height());
    std::vector<QRect> keys;
    for (const vel::KeyRow& key : page->Page().keys) {
      QWidget* button = page->GetDlgItem(key.id);
      QVERIFY(button && button->isVisible());
      QVERIFY2(QRect(QPoint(), size).contains(button->geometry()), name);
      for (const QRect& other : keys) QVERIFY2(!other.intersects(button->geometry()), name);
      keys.push_back(button->geometry());
    }
    const QImage image = f.Sheet().grab().toImage();
    QVERIFY(HasManyColours(image));
    Save(image, name);
  }
}

void PageSnapshotsTest::modeDialogs() {
  vel::test::SheetFixture f(7);
  for (const vel::ModeDialog& mode : vel::ModeDialogs()) {
    CModeDialog dialog(mode, &f.Sheet());
    dialog.show();
    QCOMPARE(dialog.windowTitle().toStdString(), std::string(mode.dialog.caption));
    for (const vel::ControlTemplate& control : mode.dialog.controls)
      QVERIFY(QRect(QPoint(), dialog.size()).contains(dialog.GetDlgItem(control.id)->geometry()));
    const QImage image = dialog.grab().toImage();
    QVERIFY(HasManyColours(image));
    Save(image, QString("mode_dialog_%1").arg(mode.dialog.id));
    dialog.hide();
  }
}

QTEST_MAIN(PageSnapshotsTest)
#include "page_snapshots_test.moc"
