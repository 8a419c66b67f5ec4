#include "gui/framework/desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "core/weblink/open_link.h"
#include "gui/framework/qt/qt_window.h"

namespace fw {

void Beep() {
  QApplication::beep();
}

// The shell and the program registered for web pages on Windows; elsewhere
// whatever the desktop opens web addresses with.
vel::Result OpenAddress(std::string_view address) {
#ifdef Q_OS_WIN
  return vel::OpenLinkWithShell(address);
#else
  if (QDesktopServices::openUrl(QUrl(qt::ToQt(address))))
    return vel::Result::Success();
  return vel::Result::Failure(vel::LinkErrorText(vel::kNoHandlerReason));
#endif
}

std::string FileAddress(std::string_view path) {
  return qt::FromQt(QUrl::fromLocalFile(qt::ToQt(path)).toString());
}

WaitCursor::WaitCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
  QApplication::restoreOverrideCursor();
}

}  // namespace fw
