#pragma once

#include <memory>

namespace fw {

// The toolkit for the run of the program: made first in main, with the
// command line (the toolkit takes the arguments it knows), gone last.
class Application {
 public:
  Application(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

 private:
  struct Toolkit;
  std::unique_ptr<Toolkit> m_toolkit;
};

}  // namespace fw
