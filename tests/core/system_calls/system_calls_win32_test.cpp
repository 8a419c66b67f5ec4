// The serial port seen through the calls that set up its line: this program links a table of its
// own in place of the real one, which records what the port asked for and passes it on. Under
// Wine a COM port's modem lines cannot be read back, so only this shows them.

#include "core/platform/system_calls_win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/camera/com_port.h"

namespace vel {
namespace {

std::vector<DCB> asked;

BOOL WINAPI SetState(HANDLE port, LPDCB dcb) {
  asked.push_back(*dcb);
  return ::SetCommState(port, dcb);
}
BOOL WINAPI SetTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) {
  return ::SetCommTimeouts(port, timeouts);
}

TEST(SystemCallsWin32, ThePortRaisesDtrAndRts) {
  const char* name = std::getenv("VELORANTICA_TEST_COM_PORT");
  if (!name)
    GTEST_SKIP() << "no COM port given (scripts/wine-tests.sh sets one up)";
  CComPort port;
  ASSERT_TRUE(port.Open(name));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].fDtrControl, DWORD{DTR_CONTROL_ENABLE});
  EXPECT_EQ(asked[0].fRtsControl, DWORD{RTS_CONTROL_ENABLE});
}

}  // namespace

constinit const SystemCalls kSystemCalls = {SetState, SetTimeouts};

}  // namespace vel
