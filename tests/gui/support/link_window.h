#pragma once

#include <QTest>
#include <memory>

#include "gui/framework/data_exchange.h"
#include "gui/framework/property_page.h"
#include "gui/framework/qt/link_label.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/widgets/hyperlink.h"
#include "support/gui_support.h"

namespace vel::test {

constexpr int kLinkId = 1;

// A page that binds its link when told to, so that the place the template
// gives it can be seen first.
class LinkPage : public fw::CPropertyPage {
 public:
  LinkPage(const DialogTemplate& dialog, CHyperLink& link)
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

// A link bound on a page of its own, its opener recording instead of starting a browser (or the
// desktop's, when told).
struct LinkWindow {
  LinkWindow(const QString& text, const QString& target = {}, unsigned flags = kNoFlags,
             bool desktopOpener = false)
      : text(text.toStdString()) {
    control[0] = {kLinkId, ControlKind::HyperLink, this->text, 10, 20, 120, 24, flags};
    page = std::make_unique<LinkPage>(dialog, link);
    page->EnsureWindow();
    widget = qobject_cast<fw::qt::LinkLabel*>(fw::qt::ControlWidget(*page, kLinkId));
    area = widget->geometry();
    if (!desktopOpener)
      link.SetOpener([this](const std::string& address) {
        opened << QString::fromStdString(address);
        return opens ? Result::Success() : Result::Failure("Unable to open: no browser");
      });
    link.SetLinkTarget(target.toStdString());
    page->bind = true;
    page->UpdateData(false);
  }
  QColor Colour() const { return widget->palette().color(widget->foregroundRole()); }
  void Click() { QTest::mouseClick(widget, Qt::LeftButton); }

  std::string text;
  ControlTemplate control[1];
  DialogTemplate dialog{"Link", 230, 110, control};
  CHyperLink link;
  std::unique_ptr<LinkPage> page;
  fw::qt::LinkLabel* widget = nullptr;
  QRect area;
  bool opens = true;
  QStringList opened;
  MessageBoxRecorder boxes;
};

}  // namespace vel::test
