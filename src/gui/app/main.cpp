#include <QApplication>

#include "gui/app/camera_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  CCameraApp app;
  return app.InitInstance();
}
