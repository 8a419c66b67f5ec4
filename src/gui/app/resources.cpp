#include "gui/app/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitVeloranticaResources() {
  Q_INIT_RESOURCE(velorantica);
}

void LoadProgramResources() {
  static const bool loaded = (InitVeloranticaResources(), true);
  (void)loaded;
}
