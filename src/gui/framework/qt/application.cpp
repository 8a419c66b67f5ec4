#include "gui/framework/application.h"

#include <QApplication>

namespace fw {

struct Application::Toolkit {
  Toolkit(int& argc, char** argv) : application(argc, argv) {}
  QApplication application;
};

Application::Application(int& argc, char** argv)
    : m_toolkit(std::make_unique<Toolkit>(argc, argv)) {}

Application::~Application() = default;

}  // namespace fw
