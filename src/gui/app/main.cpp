#include <QApplication>
#include <QIcon>

#include "gui/app/camera_app.h"
#include "gui/app/resources.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  LoadProgramResources();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velorantica.png")));
  CCameraApp app;
  return app.InitInstance();
}
