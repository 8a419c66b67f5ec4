#include <windows.h>

#include <algorithm>
#include <atomic>

#include "core/platform/end_signals.h"

namespace vel {
namespace {

std::atomic<int> g_requests{0};
HANDLE g_wake = nullptr;  // set on every request

// Runs on a thread of its own. The console's close gives the program a few
// seconds before it is ended: the handler holds it that long, so that a
// series can let the camera go first.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
    return FALSE;
  ++g_requests;
  ::SetEvent(g_wake);
  if (event == CTRL_CLOSE_EVENT)
    ::Sleep(4000);
  return TRUE;
}

}  // namespace

EndSignals::EndSignals() {
  g_requests = 0;
  g_wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

EndSignals::~EndSignals() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  ::CloseHandle(g_wake);
  g_wake = nullptr;
}

void EndSignals::Drain() {
  m_count = g_requests;
}

void EndSignals::SleepUntilWoken(std::int64_t ms) {
  ::WaitForSingleObject(g_wake, static_cast<DWORD>(std::min<std::int64_t>(ms, 1 << 30)));
}

int EndSignals::WakeDescriptor() const {
  return -1;
}

}  // namespace vel
