#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QtTest>
#include <memory>

#include "core/weblink/open_link.h"
#include "gui/framework/message_box.h"
#include "gui/widgets/hyperlink.h"
#include "support/gui_support.h"

using vel::test::MessageBoxRecorder;

namespace {

// A dialog-like window with one link placed on it, its opener recording
// instead of starting a browser.
struct LinkWindow {
  explicit LinkWindow(const QString& text, QRect area = {10, 20, 200, 40},
                      Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    window.resize(300, 200);
    edit = new QLineEdit(&window);
    link = new CHyperLink(text, &window);
    link->setAlignment(alignment);
    link->setGeometry(area);
    link->SetOpener([this](std::string_view address) {
      opened.emplace_back(address);
      return openResult;
    });
  }

  // The colour the label's text is drawn in; the underline shows it on the
  // rendered label as solid pixels.
  QColor PaintColour() const {
    const QColor colour = link->palette().color(link->foregroundRole());
    const QImage image = link->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y).rgb() == colour.rgb())
          return colour;
    return Qt::transparent;  // the palette says a colour the label does not draw
  }

  QWidget window;
  QLineEdit* edit;
  CHyperLink* link;
  int openResult = vel::kLinkOpened;
  std::vector<std::string> opened;
};

void Enter(CHyperLink* link) {
  const QPointF inside = link->rect().center();
  QEnterEvent enter(inside, link->mapTo(link->window(), inside), link->mapToGlobal(inside));
  QApplication::sendEvent(link, &enter);
}

void Leave(CHyperLink* link) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(link, &leave);
}

QSize TextSize(const CHyperLink* link) {
  const QFontMetrics metrics(link->font());
  return {metrics.horizontalAdvance(link->text()), metrics.height()};
}

}  // namespace

class HyperLinkTest : public QObject {
  Q_OBJECT
 private slots:
  void boundLabelLooksLikeALink();
  void hoverColourOnlyWhileThePointerIsOver();
  void successfulClickShowsTheVisitedColour();
  void failedClickBeepsExplainsAndClearsVisited_data();
  void failedClickBeepsExplainsAndClearsVisited();
  void keyboardReachesAndActivatesTheLink();
  void assistiveTechnologySeesAPressableLink();
  void fitKeepsTheAnchorOfEachAlignment_data();
  void fitKeepsTheAnchorOfEachAlignment();
  void hostTextKeepsShowingWhenTheTargetIsSetLater();
  void textAndTargetStandInForEachOther();
};

void HyperLinkTest::boundLabelLooksLikeALink() {
  LinkWindow w(QStringLiteral("www.example.org"));
  QVERIFY(!w.link->font().underline());
  w.link->PreSubclassWindow();
  QVERIFY(w.link->font().underline());
  QCOMPARE(w.link->cursor().shape(), Qt::PointingHandCursor);
  QCOMPARE(w.PaintColour(), CHyperLink::kLinkColour);
  QVERIFY(w.link->HoverColour() != CHyperLink::kLinkColour);
  QVERIFY(w.link->HoverColour() != CHyperLink::kVisitedColour);
}

void HyperLinkTest::hoverColourOnlyWhileThePointerIsOver() {
  LinkWindow w(QStringLiteral("www.example.org"));
  w.link->PreSubclassWindow();
  Enter(w.link);
  QVERIFY(w.link->IsHovering());
  QCOMPARE(w.PaintColour(), w.link->HoverColour());
  Leave(w.link);
  QCOMPARE(w.PaintColour(), CHyperLink::kLinkColour);

  // Hover overrides the visited colour too, and leaving brings it back.
  w.link->SetVisitedState(true);
  QCOMPARE(w.PaintColour(), CHyperLink::kVisitedColour);
  Enter(w.link);
  QCOMPARE(w.PaintColour(), w.link->HoverColour());
  Leave(w.link);
  QCOMPARE(w.PaintColour(), CHyperLink::kVisitedColour);
}

void HyperLinkTest::successfulClickShowsTheVisitedColour() {
  MessageBoxRecorder boxes;
  LinkWindow w(QStringLiteral("http://www.example.org/page"));
  w.link->PreSubclassWindow();
  QTest::mouseClick(w.link, Qt::LeftButton);
  QCOMPARE(w.opened, (std::vector<std::string>{"http://www.example.org/page"}));
  QVERIFY(w.link->IsVisited());
  QCOMPARE(w.PaintColour(), CHyperLink::kVisitedColour);
  QVERIFY(boxes.Boxes().empty());
}

void HyperLinkTest::failedClickBeepsExplainsAndClearsVisited_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("reason");
  QTest::newRow("file not found") << 2 << "The specified file was not found.";
  QTest::newRow("no association")
      << 31 << "There is no application associated\nwith the given filename extension.";
  QTest::newRow("code without text") << 4 << "Unknown Error (4) occurred.";
}

void HyperLinkTest::failedClickBeepsExplainsAndClearsVisited() {
  QFETCH(int, code);
  QFETCH(QString, reason);
  MessageBoxRecorder boxes;
  LinkWindow w(QStringLiteral("www.example.org"));
  w.link->PreSubclassWindow();
  QTest::mouseClick(w.link, Qt::LeftButton);
  QCOMPARE(w.PaintColour(), CHyperLink::kVisitedColour);

  w.openResult = code;
  QTest::mouseClick(w.link, Qt::LeftButton);
  QVERIFY(!w.link->IsVisited());
  QCOMPARE(w.PaintColour(), CHyperLink::kLinkColour);
  QCOMPARE(boxes.Boxes().size(), std::size_t(1));
  const fw::MessageBoxRequest& box = boxes.Boxes().front();
  QCOMPARE(box.text, "Unable to open hyperlink:\n\n" + reason);
  QCOMPARE(box.caption, fw::AppName());
  QCOMPARE(box.icon, fw::BoxIcon::Exclamation);

  // The link stays usable: the next click opens again.
  w.openResult = vel::kLinkOpened;
  QTest::mouseClick(w.link, Qt::LeftButton);
  QCOMPARE(w.opened.size(), std::size_t(3));
  QCOMPARE(w.PaintColour(), CHyperLink::kVisitedColour);
}

void HyperLinkTest::keyboardReachesAndActivatesTheLink() {
  LinkWindow w(QStringLiteral("www.example.org"));
  w.link->PreSubclassWindow();
  w.window.show();
  QVERIFY(QTest::qWaitForWindowActive(&w.window));
  w.edit->setFocus();
  QTest::keyClick(w.edit, Qt::Key_Tab);
  QVERIFY(w.link->hasFocus());
  QTest::keyClick(w.link, Qt::Key_Return);
  QTest::keyClick(w.link, Qt::Key_Space);
  QTest::keyClick(w.link, Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(w.opened.size(), std::size_t(3));
  QTest::keyClick(w.link, Qt::Key_A);
  QTest::keyClick(w.link, Qt::Key_Return, Qt::ControlModifier);
  QCOMPARE(w.opened.size(), std::size_t(3));
}

void HyperLinkTest::assistiveTechnologySeesAPressableLink() {
  LinkWindow w(QStringLiteral("www.example.org"));
  w.link->PreSubclassWindow();
  w.link->SetLinkTarget(QStringLiteral("http://www.example.org"));
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(w.link);
  QVERIFY(access);
  QCOMPARE(access->role(), QAccessible::Link);
  QCOMPARE(access->text(QAccessible::Name), QStringLiteral("www.example.org"));
  QCOMPARE(access->text(QAccessible::Description), QStringLiteral("http://www.example.org"));
  QAccessibleActionInterface* actions = access->actionInterface();
  QVERIFY(actions);
  QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
  actions->doAction(QAccessibleActionInterface::pressAction());
  QCOMPARE(w.opened, (std::vector<std::string>{"http://www.example.org"}));
}

void HyperLinkTest::fitKeepsTheAnchorOfEachAlignment_data() {
  QTest::addColumn<int>("alignment");
  QTest::addColumn<QRect>("area");
  const QRect wide(10, 20, 200, 40);
  QTest::newRow("left, top") << int(Qt::AlignLeft | Qt::AlignTop) << wide;
  QTest::newRow("centred, top") << int(Qt::AlignHCenter | Qt::AlignTop) << wide;
  QTest::newRow("right, top") << int(Qt::AlignRight | Qt::AlignTop) << wide;
  QTest::newRow("left, vertically centred") << int(Qt::AlignLeft | Qt::AlignVCenter) << wide;
  QTest::newRow("centred both ways") << int(Qt::AlignCenter) << wide;
  QTest::newRow("left, grows from a narrow static")
      << int(Qt::AlignLeft | Qt::AlignTop) << QRect(40, 30, 12, 4);
}

void HyperLinkTest::fitKeepsTheAnchorOfEachAlignment() {
  QFETCH(int, alignment);
  QFETCH(QRect, area);
  const auto align = Qt::Alignment(alignment);
  LinkWindow w(QStringLiteral("www.example.org"), area, align);
  w.link->PreSubclassWindow();
  const QRect fitted = w.link->geometry();
  const QSize text = TextSize(w.link);

  // The odd pixel of a centred fit stays with the label.
  if (align & Qt::AlignHCenter) {
    QVERIFY(fitted.width() - text.width() == 0 || fitted.width() - text.width() == 1);
    QVERIFY(std::abs(fitted.center().x() - area.center().x()) <= 1);
  } else {
    QCOMPARE(fitted.width(), text.width());
    if (align & Qt::AlignRight)
      QCOMPARE(fitted.right(), area.right());
    else
      QCOMPARE(fitted.left(), area.left());
  }
  if (align & Qt::AlignVCenter) {
    QVERIFY(fitted.height() - text.height() == 0 || fitted.height() - text.height() == 1);
    QVERIFY(std::abs(fitted.center().y() - area.center().y()) <= 1);
  } else {
    QCOMPARE(fitted.height(), text.height());
    QCOMPARE(fitted.top(), area.top());
  }
}

void HyperLinkTest::hostTextKeepsShowingWhenTheTargetIsSetLater() {
  LinkWindow w(QStringLiteral("www.example.org"));
  w.link->PreSubclassWindow();
  QCOMPARE(w.link->toolTip(), QStringLiteral("www.example.org"));
  const int hostWidth = w.link->width();
  w.link->SetLinkTarget(QStringLiteral("http://www.example.org/velorantica"));
  QCOMPARE(w.link->text(), QStringLiteral("www.example.org"));
  QCOMPARE(w.link->width(), hostWidth);  // refitted to the text, not the target
  QCOMPARE(w.link->toolTip(), QStringLiteral("http://www.example.org/velorantica"));
  QTest::mouseClick(w.link, Qt::LeftButton);
  QCOMPARE(w.opened, (std::vector<std::string>{"http://www.example.org/velorantica"}));
}

void HyperLinkTest::textAndTargetStandInForEachOther() {
  LinkWindow withText(QStringLiteral("www.example.org"));
  withText.link->PreSubclassWindow();
  QCOMPARE(withText.link->LinkTarget(), QStringLiteral("www.example.org"));
  QCOMPARE(withText.link->toolTip(), QStringLiteral("www.example.org"));

  LinkWindow withTarget(QString{});
  withTarget.link->SetLinkTarget(QStringLiteral("http://www.example.org"));
  QVERIFY(withTarget.link->toolTip().isEmpty());  // not bound yet: nothing shown
  withTarget.link->PreSubclassWindow();
  QCOMPARE(withTarget.link->text(), QStringLiteral("http://www.example.org"));
  QCOMPARE(withTarget.link->toolTip(), QStringLiteral("http://www.example.org"));
  QCOMPARE(withTarget.link->size(), TextSize(withTarget.link));
}

QTEST_MAIN(HyperLinkTest)
#include "hyperlink_test.moc"
