#pragma once

// The Windows backend of the web link, as far as its test needs to see it.
// ShellExecute and WinExec report failure with codes of 32 and below; the
// backend turns them into the text of a Result, and no code leaves it.

#include <string>

namespace vel::win32 {

// The reason for a failure code, "Unknown Error (<code>) occurred." for codes
// without one of their own.
std::string ShellErrorReason(int code);

}  // namespace vel::win32
