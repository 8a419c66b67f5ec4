#pragma once

// The calls by which the serial port sets up its line, gathered in one table
// so that a test can see what the port asked of the driver (a line's modem
// lines cannot be read back from every driver). The program links the real
// calls (system_calls_win32.cpp); the one test program that watches them
// links a table of its own in that file's place.

#include <windows.h>

namespace vel {

struct SystemCalls {
  BOOL(WINAPI* setCommState)(HANDLE port, LPDCB dcb);
  BOOL(WINAPI* setCommTimeouts)(HANDLE port, LPCOMMTIMEOUTS timeouts);
};

extern const SystemCalls kSystemCalls;

}  // namespace vel
