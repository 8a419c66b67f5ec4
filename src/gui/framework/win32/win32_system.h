#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The framework has a MessageBox of its own.
#undef MessageBox

namespace fw::win32 {

// Closes the message boxes this thread has open, the one on top first, as
// Esc or No would: for the sheet at its end.
void CloseBoxesOfThisThread(HWND sheet);

}  // namespace fw::win32
