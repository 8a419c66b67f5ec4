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
    vel::test::TempDir::WriteFile(bin / "xdg-open", "#!/bin/sh\nexit 4\n");  // no application
    QFile::setPermissions(QString::fromStdString(bin / "xdg-open"),
                          QFile::ExeOwner | QFile::ReadOwner);
    vel::test::LinkWindow w("http://www.example.org/velorantica", {}, vel::kNoFlags, true);
    w.Click();
    qputenv("PATH", path);
    QCOMPARE(w.boxes.Boxes().size(), std::size_t{1});
    QCOMPARE(w.boxes.Boxes()[0].text,
             "Unable to open hyperlink:\n\nThere is no application "
             "associated\nwith the given filename extension.");
    QCOMPARE(w.Colour(), w.widget->LinkColour());
  }
};

QTEST_MAIN(HyperLinkX11Test)
#include "hyperlink_x11_test.moc"
