// The link opened on a real X11 display (Xvfb) by the desktop's opener, a script on the search
// path here: a link it cannot open is not shown as opened, and the box says why.
#include <QFile>
#include <QTest>

#include "support/link_window.h"
#include "support/temp_dir.h"

class HyperLinkX11Test : public QObject {
  Q_OBJECT
 private slots:
  void theOpenersAnswerDecides() {
    vel::test::TempDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.Path()));
    qunsetenv("BROWSER");
    // xdg-open's status, and the box shown ("" none, the link then visited).
    for (const auto& [status, box] :
         {std::pair{4, QStringLiteral("Unable to open hyperlink:\n\nThere is no application "
                                      "associated\nwith the given filename extension.")},
          std::pair{0, QString()}}) {
      vel::test::TempDir::WriteFile(bin / "xdg-open", "#!/bin/sh\nexit " + std::to_string(status));
      QFile::setPermissions(QString::fromStdString(bin / "xdg-open"),
                            QFile::ExeOwner | QFile::ReadOwner);
      vel::test::LinkWindow w("http://www.example.org/velorantica", {}, vel::kNoFlags, true);
      w.Click();
      QCOMPARE(w.boxes.Boxes().empty() ? QString() : w.boxes.Boxes()[0].text, box);
      QCOMPARE(w.Colour(), box.isEmpty() ? w.widget->VisitedColour() : w.widget->LinkColour());
    }
    qputenv("PATH", path);
  }
};

QTEST_MAIN(HyperLinkX11Test)
#include "hyperlink_x11_test.moc"
