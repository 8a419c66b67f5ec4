#include <QEnterEvent>
#include <QtTest>

#include "gui/framework/data_exchange.h"
#include "gui/framework/property_page.h"
#include "gui/framework/qt/link_label.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/widgets/hyperlink.h"
#include "support/gui_support.h"

namespace {

const QString kHost = QStringLiteral("www.example.org");
const QString kTarget = QStringLiteral("http://www.example.org/velorantica");
constexpr int kLinkId = 1;

// A page that binds its link when told to, so that the place the template
// gives it can be seen first.
class LinkPage : public fw::CPropertyPage {
 public:
  LinkPage(const vel::DialogTemplate& dialog, CHyperLink& link)
      : fw::CPropertyPage(dialog), m_link(link) {}
  bool bind = false;

 protected:
  void DoDataExchange(fw::DataExchange& dx) override {
    if (bind)
      DDX_Control(dx, kLinkId, m_link);
  }

 private:
  CHyperLink& m_link;
};

// A link bound on a page of its own, its opener recording instead of starting a browser.
struct LinkWindow {
  LinkWindow(const QString& text, const QString& target = {}, unsigned flags = vel::kNoFlags)
      : text(text.toStdString()) {
    control[0] = {kLinkId, vel::ControlKind::HyperLink, this->text, 10, 20, 120, 24, flags};
    page = std::make_unique<LinkPage>(dialog, link);
    page->EnsureWindow();
    widget = qobject_cast<fw::qt::LinkLabel*>(fw::qt::ControlWidget(*page, kLinkId));
    area = widget->geometry();
    link.SetOpener([this](const std::string& address) {
      opened << QString::fromStdString(address);
      return opens ? vel::Result::Success() : vel::Result::Failure("Unable to open: no browser");
    });
    link.SetLinkTarget(target.toStdString());
    page->bind = true;
    page->UpdateData(false);
  }
  QColor Colour() const { return widget->palette().color(widget->foregroundRole()); }
  void Click() { QTest::mouseClick(widget, Qt::LeftButton); }

  std::string text;
  vel::ControlTemplate control[1];
  vel::DialogTemplate dialog{"Link", 230, 110, control};
  CHyperLink link;
  std::unique_ptr<LinkPage> page;
  fw::qt::LinkLabel* widget = nullptr;
  QRect area;
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
