#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QtTest>

#include "core/app/settings.h"
#include "core/weblink/open_link.h"
#include "gui/pages/about_page.h"
#include "gui/widgets/hyperlink.h"
#include "support/sheet_fixture.h"

using vel::test::Bytes;
using vel::test::SheetFixture;

namespace {

constexpr int kAboutPage = 4;
constexpr int kCheck = 1041;
constexpr int kCharacterList = 1043;
constexpr int kCommandCheckLabel = 1065;
constexpr int kLink = 1069;
constexpr int kIcon = 128;

const std::string kWithCommandCheck = "[Options]\nCommandCheck=1\n";

// The sheet on its About page.
struct AboutFixture : SheetFixture {
  explicit AboutFixture(const std::string& profile = {}) : SheetFixture(5, profile) {
    ShowPage(kAboutPage);
  }
  CAbout* About() { return qobject_cast<CAbout*>(Page()); }
  QComboBox* List() { return Page()->Item<QComboBox>(kCharacterList); }
  bool Select(const QString& entry) {
    const int index = List()->findText(entry);
    List()->setCurrentIndex(index);
    return index >= 0;
  }
};

bool Shown(QWidget* control) {
  return control && control->isVisibleTo(control->parentWidget());
}

QWidget* NextTabStop(QWidget* from) {
  QWidget* next = from->nextInFocusChain();
  while (next != from && !(next->focusPolicy() & Qt::TabFocus && next->isVisibleTo(next->window())))
    next = next->nextInFocusChain();
  return next;
}

QStringList LabelTexts(fw::CPropertyPage* page) {
  QStringList texts;
  for (QWidget* control : page->Controls())
    if (auto* label = qobject_cast<QLabel*>(control); label && Shown(label))
      texts << label->text();
  return texts;
}

}  // namespace

class AboutPageTest : public QObject {
  Q_OBJECT
 private slots:
  void withoutCommandCheckOnlyTheProductIsShown();
  void linkShowsTheHostAndOpensTheFullAddress();
  void heldCheckSendsTheSelectedCharacterOnce_data();
  void heldCheckSendsTheSelectedCharacterOnce();
  void releaseByteFollowsTheSelectionAtRelease();
  void checkLeftDownIsReleasedOnlyWhenThePageIsSampledAgain();
  void pageRendersForTheDocumentation_data();
  void pageRendersForTheDocumentation();
};

void AboutPageTest::withoutCommandCheckOnlyTheProductIsShown() {
  AboutFixture f;
  QVERIFY(f.About());
  QCOMPARE(f.Sheet().Tabs()->tabText(kAboutPage), QStringLiteral("About"));
  for (int id : {kCommandCheckLabel, kCharacterList, kCheck})
    QVERIFY(!Shown(f.Page()->GetDlgItem(id)));
  QVERIFY(Shown(f.Page()->GetDlgItem(kIcon)));
  QVERIFY(Shown(f.Page()->GetDlgItem(kLink)));
  QCOMPARE(LabelTexts(f.Page()), (QStringList{"Velorantica Version 1.7.1", QString(),
                                              "Further informations at", "www.example.org"}));
  // The hidden button is sampled but can never show pushed.
  QCOMPARE(f.Idle(2), Bytes{});
}

void AboutPageTest::linkShowsTheHostAndOpensTheFullAddress() {
  AboutFixture f;
  CHyperLink* link = f.About()->Link();
  QCOMPARE(f.Page()->GetDlgItem(kLink), link);
  QCOMPARE(link->text(), QStringLiteral("www.example.org"));
  QCOMPARE(link->toolTip(), QStringLiteral("http://www.example.org"));
  QVERIFY(link->font().underline());
  // Fitted to its text, on the line of its caption, which shows all of its
  // text before the link begins.
  QCOMPARE(link->width(), QFontMetrics(link->font()).horizontalAdvance(link->text()));
  auto* caption = qobject_cast<QLabel*>(f.Page()->Controls().at(2));
  QCOMPARE(caption->text(), QStringLiteral("Further informations at"));
  QCOMPARE(link->y(), caption->y());
  const int captionEnd =
      caption->x() + QFontMetrics(caption->font()).horizontalAdvance(caption->text());
  QVERIFY(captionEnd <= caption->geometry().right() + 1);
  QVERIFY(captionEnd < link->x());

  std::vector<std::string> opened;
  link->SetOpener([&opened](std::string_view address) {
    opened.emplace_back(address);
    return vel::kLinkOpened;
  });
  QTest::mouseClick(link, Qt::LeftButton);
  QCOMPARE(opened, (std::vector<std::string>{"http://www.example.org"}));
  QCOMPARE(link->palette().color(link->foregroundRole()), CHyperLink::kVisitedColour);
  QCOMPARE(f.Idle(), Bytes{});  // the link sends nothing to the camera
}

void AboutPageTest::heldCheckSendsTheSelectedCharacterOnce_data() {
  QTest::addColumn<QString>("entry");
  QTest::addColumn<int>("press");
  QTest::addColumn<int>("release");
  QTest::newRow("A, the first selection") << QString() << 0x41 << 0x61;
  QTest::newRow("grave accent, the last entry") << "`" << 0x60 << 0x80;
  QTest::newRow("<, the first entry") << "<" << 0x3C << 0x5C;
  QTest::newRow("M, the REC/USB switch") << "M" << 0x4D << 0x6D;
}

void AboutPageTest::heldCheckSendsTheSelectedCharacterOnce() {
  QFETCH(QString, entry);
  QFETCH(int, press);
  QFETCH(int, release);
  AboutFixture f(kWithCommandCheck);
  for (int id : {kCommandCheckLabel, kCharacterList, kCheck})
    QVERIFY(Shown(f.Page()->GetDlgItem(id)));
  QCOMPARE(f.List()->count(), 37);
  QCOMPARE(f.List()->currentText(), QStringLiteral("A"));
  if (!entry.isEmpty())
    QVERIFY(f.Select(entry));

  QAbstractButton* check = f.Button(kCheck);
  QCOMPARE(check->text(), QStringLiteral("Check"));
  // Tab goes from the link to the list and on to the button.
  QCOMPARE(NextTabStop(f.About()->Link()), f.List());
  QCOMPARE(NextTabStop(f.List()), check);
  QTest::mousePress(check, Qt::LeftButton);
  QCOMPARE(f.Idle(1, 1), (Bytes{std::uint8_t(press)}));
  QCOMPARE(f.Idle(3), Bytes{});
  QTest::mouseRelease(check, Qt::LeftButton);
  QCOMPARE(f.Idle(1, 1), (Bytes{std::uint8_t(release)}));
  QCOMPARE(f.Idle(3), Bytes{});
}

void AboutPageTest::releaseByteFollowsTheSelectionAtRelease() {
  AboutFixture f(kWithCommandCheck);
  QAbstractButton* check = f.Button(kCheck);
  check->setDown(true);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x41}));
  QVERIFY(f.Select(QStringLiteral("Z")));
  QCOMPARE(f.Idle(2), Bytes{});  // a new selection alone sends nothing
  check->setDown(false);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x7A}));
  // The next press takes the selection as it now is.
  check->setDown(true);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x5A}));
  check->setDown(false);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x7A}));
}

void AboutPageTest::checkLeftDownIsReleasedOnlyWhenThePageIsSampledAgain() {
  AboutFixture f(kWithCommandCheck);
  QAbstractButton* check = f.Button(kCheck);
  QVERIFY(f.Select(QStringLiteral("@")));
  check->setDown(true);
  QCOMPARE(f.Idle(1, 1), (Bytes{0x40}));
  f.ShowPage(0);
  check->setDown(false);
  QCOMPARE(f.Idle(3), Bytes{});
  f.ShowPage(kAboutPage);
  QCOMPARE(f.List()->currentText(), QStringLiteral("@"));  // kept while away
  QCOMPARE(f.Idle(1, 1), (Bytes{0x60}));
}

// Renders the sheet on its About page. With VELORANTICA_DOCS_DIR set, the
// pictures are written there for the documentation.
void AboutPageTest::pageRendersForTheDocumentation_data() {
  QTest::addColumn<QString>("profile");
  QTest::addColumn<QString>("file");
  QTest::newRow("plain") << QString() << "about_page.png";
  QTest::newRow("command check") << QString::fromStdString(kWithCommandCheck)
                                 << "about_page_command_check.png";
}

void AboutPageTest::pageRendersForTheDocumentation() {
  QFETCH(QString, profile);
  QFETCH(QString, file);
  // The icon comes from the front end's resources, which a test program
  // links only when asked to, and the program sets it on the application.
  Q_INIT_RESOURCE(velorantica);
  QVERIFY(QFile::exists(QStringLiteral(":/velorantica.png")));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velorantica.png")));
  AboutFixture f(profile.toStdString());
  vel::test::IdleOnce();
  const QImage picture = f.Sheet().grab().toImage();
  QVERIFY(!picture.isNull());

  // The link is drawn in the link colour where the page places it.
  CHyperLink* link = f.About()->Link();
  const QRect linkArea(link->mapTo(&f.Sheet(), QPoint(0, 0)), link->size());
  bool linkDrawn = false;
  for (int y = linkArea.top(); y <= linkArea.bottom() && !linkDrawn; ++y)
    for (int x = linkArea.left(); x <= linkArea.right() && !linkDrawn; ++x)
      linkDrawn = picture.pixelColor(x, y).rgb() == CHyperLink::kLinkColour.rgb();
  QVERIFY(linkDrawn);

  const QString folder = qEnvironmentVariable("VELORANTICA_DOCS_DIR");
  if (folder.isEmpty())
    return;
  QDir().mkpath(folder);
  QVERIFY(picture.save(QDir(folder).filePath(file)));
}

QTEST_MAIN(AboutPageTest)
#include "about_page_test.moc"
