#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "gui/framework/data_exchange.h"
#include "gui/framework/dialog_units.h"
#include "gui/framework/property_page.h"
#include "gui/framework/property_sheet.h"
#include "support/gui_support.h"

namespace {

constexpr vel::ControlTemplate kControls[] = {
    {0, vel::ControlKind::Static, "Count", 3, 8, 20, 8},
    {998, vel::ControlKind::Edit, "", 40, 5, 40, 13, vel::kDigitsOnly},
    {1034, vel::ControlKind::CheckBox, "Infinity", 95, 7, 36, 10},
};
constexpr vel::DialogTemplate kTemplate{500, "Numbers", 230, 110, kControls};

int g_count = 0;
int g_flag = 0;

// A page bound to two settings that counts what happens to it.
class CountingPage : public fw::CPropertyPage {
 public:
  explicit CountingPage(const char* caption = "Numbers")
      : fw::CPropertyPage({kTemplate.id, caption, 230, 110, kControls}) {}
  int idlePasses = 0;
  int loads = 0;
  int saves = 0;
  std::function<void()> onIdle;
  int OnKickIdle(int) override {
    ++idlePasses;
    if (onIdle)
      onIdle();
    return 0;
  }

 protected:
  void DoDataExchange(fw::CDataExchange& dx) override {
    ++(dx.m_bSaveAndValidate ? saves : loads);
    fw::DDX_TextUnsigned(dx, 998, g_count);
    fw::DDX_Check(dx, 1034, g_flag);
  }
};

}  // namespace

class PropertySheetTest : public QObject {
  Q_OBJECT
 private slots:
  void pagesGetTheirWindowWhenFirstShown();
  void leavingAPageSavesItAndComingBackLoadsIt();
  void unreadableNumberStopsTheTransfer();
  void idlePassGoesToTheActivePageOnly();
  void nestedModalLoopRunsNoIdlePass();
  void dialogUnitsFollowTheFont();
  void controlsAreNamedForAssistiveTechnology();
};

void PropertySheetTest::pagesGetTheirWindowWhenFirstShown() {
  fw::CPropertySheet sheet;
  auto* first = new CountingPage("One");
  auto* second = new CountingPage("Two");
  sheet.AddPage(first);
  sheet.AddPage(second);
  sheet.SetActivePage(1);
  sheet.show();
  QCOMPARE(sheet.GetActiveIndex(), 1);
  QVERIFY(second->HasWindow());
  QVERIFY(!first->HasWindow());
  QCOMPARE(second->loads, 1);
  QVERIFY(!first->UpdateData(true));
  QCOMPARE(first->saves, 0);
}

void PropertySheetTest::leavingAPageSavesItAndComingBackLoadsIt() {
  g_count = 5;
  fw::CPropertySheet sheet;
  auto* first = new CountingPage("One");
  auto* second = new CountingPage("Two");
  sheet.AddPage(first);
  sheet.AddPage(second);
  sheet.show();
  auto* edit = first->Item<QLineEdit>(998);
  QCOMPARE(edit->text(), QStringLiteral("5"));
  edit->setText(QStringLiteral("42"));
  sheet.Tabs()->setCurrentIndex(1);
  QCOMPARE(g_count, 42);
  QCOMPARE(first->saves, 1);
  // Both pages edit the same setting: what the second saves, the first shows.
  second->Item<QLineEdit>(998)->setText(QStringLiteral("7"));
  sheet.Tabs()->setCurrentIndex(0);
  QCOMPARE(edit->text(), QStringLiteral("7"));
  QCOMPARE(first->loads, 2);
}

void PropertySheetTest::unreadableNumberStopsTheTransfer() {
  vel::test::MessageBoxRecorder boxes;
  g_count = 3;
  g_flag = 0;
  fw::CPropertySheet sheet;
  auto* page = new CountingPage;
  sheet.AddPage(page);
  sheet.show();
  page->Item<QLineEdit>(998)->setText(QString());
  page->Item<QCheckBox>(1034)->setChecked(true);
  QVERIFY(!page->UpdateData(true));
  QCOMPARE(g_count, 3);
  QCOMPARE(g_flag, 0);  // after the failing field: not transferred
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  QCOMPARE(boxes.Boxes()[0].caption, fw::AppName());
}

void PropertySheetTest::idlePassGoesToTheActivePageOnly() {
  fw::CPropertySheet sheet;
  auto* first = new CountingPage("One");
  auto* second = new CountingPage("Two");
  sheet.AddPage(first);
  sheet.AddPage(second);
  sheet.show();
  vel::test::IdleOnce();
  QVERIFY(first->idlePasses >= 1);
  QCOMPARE(second->idlePasses, 0);
  sheet.Tabs()->setCurrentIndex(1);
  const int before = first->idlePasses;
  vel::test::IdleOnce();
  QVERIFY(second->idlePasses >= 1);
  QCOMPARE(first->idlePasses, before);
}

void PropertySheetTest::nestedModalLoopRunsNoIdlePass() {
  fw::CPropertySheet sheet;
  auto* page = new CountingPage;
  sheet.AddPage(page);
  sheet.show();
  int passesInsideBox = -1;
  bool boxShown = false;
  page->onIdle = [&] {
    if (boxShown)
      return;
    boxShown = true;
    QMessageBox box(QMessageBox::NoIcon, "nested", "nested", QMessageBox::Ok, &sheet);
    const int start = page->idlePasses;
    QTimer::singleShot(50, &box, [&] {
      passesInsideBox = page->idlePasses - start;
      box.accept();
    });
    box.exec();
  };
  vel::test::IdleOnce(100);
  QVERIFY(boxShown);
  QCOMPARE(passesInsideBox, 0);
}

void PropertySheetTest::dialogUnitsFollowTheFont() {
  QFont small = QApplication::font();
  small.setPixelSize(10);
  QFont large = small;
  large.setPixelSize(20);
  const fw::DialogUnits a(small), b(large);
  QVERIFY(b.X(100) > a.X(100));
  QVERIFY(b.Y(100) > a.Y(100));
  QCOMPARE(a.X(4), a.BaseX());
  QCOMPARE(a.Y(8), a.BaseY());
  // Adjacent controls meet without gaps or overlaps.
  QCOMPARE(a.Rect(10, 10, 20, 20).right() + 1, a.Rect(30, 10, 20, 20).left());
}

void PropertySheetTest::controlsAreNamedForAssistiveTechnology() {
  fw::CPropertySheet sheet;
  auto* page = new CountingPage;
  sheet.AddPage(page);
  sheet.show();
  QCOMPARE(page->GetDlgItem(998)->accessibleName(), QStringLiteral("Count"));
  QCOMPARE(page->GetDlgItem(998)->objectName(), QStringLiteral("ctl998"));
  QVERIFY(page->GetDlgItem(998)->focusPolicy() & Qt::TabFocus);
}

QTEST_MAIN(PropertySheetTest)
#include "property_sheet_test.moc"
