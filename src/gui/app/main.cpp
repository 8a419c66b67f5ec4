#include "gui/app/camera_app.h"
#include "gui/app/command_line.h"
#include "gui/framework/application.h"

int main(int argc, char* argv[]) {
  // --help and --version answer without a display.
  if (const std::optional<int> status = AnswerInfoOptions(argc, argv))
    return *status;
  fw::Application application(argc, argv);
  CCameraApp app;
  return app.InitInstance();
}
