#include <QEnterEvent>
#include <QtTest>

#include "support/link_window.h"

using vel::test::LinkWindow;

const QString kHost = QStringLiteral("www.example.org");
const QString kTarget = QStringLiteral("http://www.example.org/velorantica");

class HyperLinkTest : public QObject {
  Q_OBJECT
 private slots:
  // The text shown is the text, else the target; the target opened and
  // shown as the tip is the target, else the text.
  void showsTextTipsAndOpensTarget() {
    const QString rows[][4] = {{kHost, kTarget, kHost, kTarget},
                               {kHost, {}, kHost, kHost},
                               {{}, kTarget, kTarget, kTarget}};
    for (const auto& [text, target, shown, opened] : rows) {
      LinkWindow w(text, target);
      QCOMPARE(w.widget->text(), shown);
      QCOMPARE(w.widget->toolTip(), opened);
      QVERIFY(w.widget->font().underline());
      w.Click();
      QCOMPARE(w.opened, QStringList{opened});
    }
  }
  // Fitted to its text, the link keeps its top left corner, or its centre
  // and any odd pixel when centred.
  void fitToTextKeepsTheAnchor() {
    for (const unsigned flags :
         {unsigned(vel::kNoFlags), unsigned(vel::kCentered | vel::kVCentered)}) {
      LinkWindow w(kHost, {}, flags);
      const QFontMetrics metrics(w.widget->font());
      const QRect fitted = w.widget->geometry();
      const QSize extra = fitted.size() - QSize(metrics.horizontalAdvance(kHost), metrics.height());
      const bool centred = flags != vel::kNoFlags;
      QCOMPARE(centred ? fitted.center() : fitted.topLeft(),
               centred ? w.area.center() : w.area.topLeft());
      QVERIFY(extra.width() >= 0 && extra.height() >= 0);
      QVERIFY(extra.width() <= int(centred) && extra.height() <= int(centred));
    }
  }
  // The colours are the desktop palette's link, visited-link and highlight
  // colours, and follow a change of palette (a dark theme) at once.
  void coloursComeFromThePaletteAndFollowIt() {
    LinkWindow w(kHost);
    const QPalette light = QApplication::palette();
    for (const QPalette& palette : {light, vel::test::DarkPalette()}) {
      QApplication::setPalette(palette);
      for (const auto role : {QPalette::Link, QPalette::LinkVisited}) {
        w.link.SetVisitedState(role == QPalette::LinkVisited);
        QCOMPARE(w.Colour(), palette.color(role));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(w.widget, &enter);
        QCOMPARE(w.Colour(), palette.color(QPalette::Highlight));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w.widget, &leave);
        QCOMPARE(w.Colour(), palette.color(role));
      }
    }
    QApplication::setPalette(light);
  }
  // Enter and Space open the link as a click does.
  void visitedFollowsTheLastAttemptAndFailuresExplain() {
    LinkWindow w(kHost);
    w.Click();
    QCOMPARE(w.Colour(), w.widget->VisitedColour());
    w.opens = false;
    w.Click();
    QCOMPARE(w.Colour(), w.widget->LinkColour());
    QCOMPARE(w.boxes.Boxes().size(), std::size_t(1));
    QCOMPARE(w.boxes.Boxes()[0].text, QStringLiteral("Unable to open: no browser"));
    QCOMPARE(w.boxes.Boxes()[0].icon, fw::BoxIcon::Exclamation);
    QTest::keyClick(w.widget, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(w.widget, Qt::Key_Space);
    QTest::keyClick(w.widget, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(w.opened.size(), 4);
  }
};

QTEST_MAIN(HyperLinkTest)
#include "hyperlink_test.moc"
