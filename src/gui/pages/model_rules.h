#pragma once

namespace pages {

// The QV-2000UX (0) and the QV-8000SX (9) are never switched between REC and
// USB mode by this program: they get no manual switch, no picture copy and
// no switch delays.
inline bool HasUsbSwitch(int model) {
  return model != 0 && model != 9;
}

}  // namespace pages
