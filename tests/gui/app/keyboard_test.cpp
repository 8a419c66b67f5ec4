#include <QtTest>
#include <QtWidgets>
#include <set>

#include "gui/framework/qt/up_down.h"
#include "support/sheet_fixture.h"

using namespace vel::test;

namespace {

// What a screen reader announces for a widget.
QString Announced(QWidget* w) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

// The arrows of a vertical up-down control, which always has a buddy edit.
bool IsSpinArrow(QWidget* w) {
  auto* upDown = qobject_cast<fw::UpDown*>(w->parentWidget());
  return upDown && upDown->IncreaseArrow()->arrowType() == Qt::UpArrow;
}

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT
 private slots:
  void tabReachesEveryControlAndExitAndWraps_data();
  void tabReachesEveryControlAndExitAndWraps();
};

// Every page of the real window, for the models whose Direct Control pages differ.
void KeyboardTest::tabReachesEveryControlAndExitAndWraps_data() {
  QTest::addColumn<int>("model");
  for (int model : {0, 1, 5, 6, 7, 9}) QTest::newRow(qPrintable(QString::number(model))) << model;
}

// From the tab bar, Tab visits the page's controls, then Exit, then comes
// back to the tab bar; every stop is announced under a name of its own, and
// the arrows of a spin edit are no stops (its Up and Down keys step).
void KeyboardTest::tabReachesEveryControlAndExitAndWraps() {
  QFETCH(int, model);
  SheetFixture f(model);
  QApplication::setActiveWindow(&f.Dialog());
  QVERIFY(QTest::qWaitForWindowActive(&f.Dialog()));
  QTabBar* tabBar = f.Tabs()->findChild<QTabBar*>();
  for (int page = 0; page < f.Tabs()->count(); ++page) {
    f.ShowPage(page);
    QTRY_VERIFY(fw::qt::WidgetOf(f.Page())->isVisible());
    tabBar->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(tabBar));
    std::set<QString> names;
    QWidget* previous = tabBar;
    bool exitReached = false;
    int stops = 0;
    for (; stops < 60; ++stops) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focus = QApplication::focusWidget();
      if (focus == tabBar)
        break;
      exitReached |= focus == f.Button(fw::CPropertySheet::IDCANCEL);
      // Tab steps through the fields of the time picker before it leaves it.
      if (fw::qt::WidgetOf(f.Page())->isAncestorOf(focus) && focus != previous) {
        QVERIFY2(!IsSpinArrow(focus), qPrintable(Announced(focus)));
        const QString name = Announced(focus);
        QVERIFY2(!name.isEmpty(), focus->metaObject()->className());
        QVERIFY2(names.insert(name).second, qPrintable(name + " is announced twice"));
        // A button is named by its own text (no label), a list by its label (not its entry).
        if (qobject_cast<QAbstractButton*>(focus))
          QVERIFY2(
              QAccessible::queryAccessibleInterface(focus)->relations(QAccessible::Label).isEmpty(),
              qPrintable(name));
        if (auto* list = qobject_cast<QComboBox*>(focus))
          QVERIFY2(name != list->currentText(), qPrintable(name));
        if (qobject_cast<QTimeEdit*>(focus))
          QCOMPARE(name + focus->accessibleDescription(), "IntervalHours : Minutes : Seconds");
      }
      previous = focus;
    }
    QVERIFY2(stops < 60, "Tab never came back to the tab bar");
    QVERIFY2(exitReached, qPrintable(QString("Exit not reached on page %1").arg(page)));
  }
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
