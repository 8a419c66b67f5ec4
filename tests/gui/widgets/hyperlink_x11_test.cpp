// The link opened on a real X11 display (Xvfb) by the desktop's opener, a script on the search
// path here: a link it cannot open is not shown as opened, and the box says why.
#include <QApplication>
#include <QTest>

#include "gui/widgets/hyperlink.h"
#include "support/gui_support.h"
#include "support/temp_dir.h"

class HyperLinkX11Test : public QObject {
  Q_OBJECT
 private slots:
  void theOpenersAnswerDecides() {
    vel::test::TempDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.Path()));
    qunsetenv("BROWSER");
    // xdg-open's status, the box shown ("" none) and whether the link is then visited.
    const std::tuple<int, QString, bool> cases[] = {
        {4,
         "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
         "filename extension.",
         false},
        {0, "", true},
    };
    for (const auto& [status, box, visited] : cases) {
      vel::test::TempDir::WriteFile(bin / "xdg-open",
                                    "#!/bin/sh\nexit " + std::to_string(status) + "\n");
      QFile::setPermissions(QString::fromStdString(bin / "xdg-open"),
                            QFile::ExeOwner | QFile::ReadOwner);
      vel::test::MessageBoxRecorder boxes;
      QWidget window;
      auto* link = new CHyperLink(QStringLiteral("www.example.org"), &window);
      link->SetLinkTarget(QStringLiteral("http://www.example.org/velorantica"));
      link->PreSubclassWindow();
      window.show();
      QTest::mouseClick(link, Qt::LeftButton);
      QCOMPARE(boxes.Boxes().empty() ? QString() : boxes.Boxes()[0].text, box);
      QCOMPARE(link->palette().color(link->foregroundRole()),
               visited ? link->VisitedColour() : link->LinkColour());
    }
    qputenv("PATH", path);
  }
};

QTEST_MAIN(HyperLinkX11Test)
#include "hyperlink_x11_test.moc"
