#pragma once

#include "core/camera/models.h"

namespace pages {

// The pages ask the core's rule: the QV-2000UX and the QV-8000SX have no
// REC/USB switch.
inline bool HasUsbSwitch(int model) {
  return vel::HasUsbSwitch(model);
}

}  // namespace pages
