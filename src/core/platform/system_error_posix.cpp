#include <cstring>

#include "core/platform/system_error.h"

namespace vel {

std::string SystemErrorText(int code) {
  return std::strerror(code);
}

}  // namespace vel
