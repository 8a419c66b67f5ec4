#include "gui/framework/desktop.h"

#include <QApplication>
#include <QUrl>

#include "core/weblink/open_link.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/framework/ui_clock.h"

namespace fw {

void Beep() {
  QApplication::beep();
}

// The shell and the program registered for web pages on Windows; elsewhere
// the desktop's opener, whose answer is waited for, so a failure is told.
vel::Result OpenAddress(std::string_view address) {
#ifdef Q_OS_WIN
  return vel::OpenLinkWithShell(address);
#else
  return vel::OpenLinkWithDesktop(address, TheUiClock());
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
