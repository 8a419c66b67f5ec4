#include "core/platform/system_calls_win32.h"

namespace vel {
namespace {

BOOL WINAPI SetState(HANDLE port, LPDCB dcb) {
  return ::SetCommState(port, dcb);
}
BOOL WINAPI SetTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) {
  return ::SetCommTimeouts(port, timeouts);
}

}  // namespace

// Nothing else may live in this file: a test program that defines its own
// table must be able to leave it out.
constinit const SystemCalls kSystemCalls = {SetState, SetTimeouts};

}  // namespace vel
