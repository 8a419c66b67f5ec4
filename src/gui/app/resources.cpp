#include "gui/app/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static bool RegisterResources() {
  Q_INIT_RESOURCE(velorantica);
  return true;
}

QIcon ProgramIcon() {
  static const bool registered = RegisterResources();
  Q_UNUSED(registered);
  return QIcon(QStringLiteral(":/velorantica.png"));
}
