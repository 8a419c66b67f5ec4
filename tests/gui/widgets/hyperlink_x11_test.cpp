// The link opened on a real X11 display (Xvfb) by the desktop's opener, a script on the search
// path here: a link it cannot open is not shown as opened, and the box says why.
#include <QFile>
#include <QTest>

#include "gui/framework/data_exchange.h"
#include "gui/framework/property_page.h"
#include "gui/framework/qt/link_label.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/widgets/hyperlink.h"
#include "support/gui_support.h"
#include "support/temp_dir.h"

namespace {

constexpr int kLinkId = 1;
const vel::ControlTemplate kControls[] = {
    {kLinkId, vel::ControlKind::HyperLink, "http://www.example.org/velorantica", 10, 20, 120, 24,
     vel::kNoFlags}};

class LinkPage : public fw::CPropertyPage {
 public:
  explicit LinkPage(CHyperLink& link)
      : fw::CPropertyPage(vel::DialogTemplate{"Link", 230, 110, kControls}), m_link(link) {}

 protected:
  void DoDataExchange(fw::DataExchange& dx) override { DDX_Control(dx, kLinkId, m_link); }

 private:
  CHyperLink& m_link;
};

}  // namespace

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
      vel::test::MessageBoxRecorder boxes;
      CHyperLink link;
      LinkPage page(link);
      page.EnsureWindow();
      page.UpdateData(false);
      auto* widget = qobject_cast<fw::qt::LinkLabel*>(fw::qt::ControlWidget(page, kLinkId));
      QVERIFY(widget);
      QTest::mouseClick(widget, Qt::LeftButton);
      QCOMPARE(boxes.Boxes().empty() ? QString() : boxes.Boxes()[0].text, box);
      QCOMPARE(widget->palette().color(widget->foregroundRole()),
               box.isEmpty() ? widget->VisitedColour() : widget->LinkColour());
    }
    qputenv("PATH", path);
  }
};

QTEST_MAIN(HyperLinkX11Test)
#include "hyperlink_x11_test.moc"
