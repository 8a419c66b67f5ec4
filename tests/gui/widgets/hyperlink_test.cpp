#include <QEnterEvent>
#include <QtTest>

#include "gui/widgets/hyperlink.h"
#include "support/gui_support.h"

namespace {

const QString kHost = QStringLiteral("www.example.org");
const QString kTarget = QStringLiteral("http://www.example.org/velorantica");
const QRect kArea(10, 20, 200, 40);

// A link bound on a window, its opener recording instead of starting a browser.
struct LinkWindow {
  LinkWindow(const QString& text, const QString& target = {}, int align = Qt::AlignLeft) {
    link = new CHyperLink(text, &window);
    link->setAlignment(Qt::Alignment(align));
    link->setGeometry(kArea);
    link->SetOpener([this](const QString& address) {
      opened << address;
      return opens ? vel::Result::Success() : vel::Result::Failure("Unable to open: no browser");
    });
    link->SetLinkTarget(target);
    link->PreSubclassWindow();
  }
  QColor Colour() const { return link->palette().color(link->foregroundRole()); }
  void Click() { QTest::mouseClick(link, Qt::LeftButton); }
  QWidget window;
  CHyperLink* link;
  bool opens = true;
  QStringList opened;
  vel::test::MessageBoxRecorder boxes;
};

}  // namespace

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
      QCOMPARE(w.link->text(), shown);
      QCOMPARE(w.link->toolTip(), opened);
      QVERIFY(w.link->font().underline());
      w.Click();
      QCOMPARE(w.opened, QStringList{opened});
    }
  }
  // Fitted to its text, the link keeps its top left corner, or its centre
  // and any odd pixel when centred.
  void fitToTextKeepsTheAnchor() {
    for (const int align : {int(Qt::AlignLeft | Qt::AlignTop), int(Qt::AlignCenter)}) {
      LinkWindow w(kHost, {}, align);
      const QFontMetrics metrics(w.link->font());
      const QRect fitted = w.link->geometry();
      const QSize extra = fitted.size() - QSize(metrics.horizontalAdvance(kHost), metrics.height());
      const bool centred = align == Qt::AlignCenter;
      QCOMPARE(centred ? fitted.center() : fitted.topLeft(),
               centred ? kArea.center() : kArea.topLeft());
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
        w.link->SetVisitedState(role == QPalette::LinkVisited);
        QCOMPARE(w.Colour(), palette.color(role));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(w.link, &enter);
        QCOMPARE(w.Colour(), palette.color(QPalette::Highlight));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w.link, &leave);
        QCOMPARE(w.Colour(), palette.color(role));
      }
    }
    QApplication::setPalette(light);
  }
  // Enter and Space open the link as a click does.
  void visitedFollowsTheLastAttemptAndFailuresExplain() {
    LinkWindow w(kHost);
    w.Click();
    QCOMPARE(w.Colour(), w.link->VisitedColour());
    w.opens = false;
    w.Click();
    QCOMPARE(w.Colour(), w.link->LinkColour());
    QCOMPARE(w.boxes.Boxes().size(), std::size_t(1));
    QCOMPARE(w.boxes.Boxes()[0].text, QStringLiteral("Unable to open: no browser"));
    QCOMPARE(w.boxes.Boxes()[0].icon, fw::BoxIcon::Exclamation);
    QTest::keyClick(w.link, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(w.link, Qt::Key_Space);
    QTest::keyClick(w.link, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(w.opened.size(), 4);
  }
};

QTEST_MAIN(HyperLinkTest)
#include "hyperlink_test.moc"
