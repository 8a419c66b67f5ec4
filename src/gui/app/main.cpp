#include <QApplication>
#include <QIcon>

#include "gui/app/camera_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velorantica.png")));
  CCameraApp app;
  return app.InitInstance();
}
