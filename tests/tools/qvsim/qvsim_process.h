#pragma once

#include "support/child_process.h"

namespace qvsim::test {

// The qvsim program run as a real process.
class QvsimProcess : public vel::test::ChildProcess {
 public:
  explicit QvsimProcess(const std::vector<std::string>& args) : ChildProcess(QVSIM_PROGRAM, args) {}
};

}  // namespace qvsim::test
