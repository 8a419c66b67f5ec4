#include "gui/framework/qt/resources.h"

#include <QDir>
#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static bool RegisterResources() {
  Q_INIT_RESOURCE(velorantica);
  return true;
}

QIcon ProgramIcon() {
  static const bool registered = RegisterResources();
  Q_UNUSED(registered);
  // Every rendered size, so that title bars, task bars and the About page
  // each get a sharp picture instead of a scaled one.
  QIcon icon;
  const QDir icons(QStringLiteral(":/icons"));
  for (const QString& name : icons.entryList({QStringLiteral("velorantica-*.png")}))
    icon.addFile(icons.filePath(name));
  return icon;
}
