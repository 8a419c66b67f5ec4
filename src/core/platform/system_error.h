#pragma once

#include <string>

namespace vel {

// The system's own message for an error code (errno on POSIX, GetLastError
// on Windows), in the user's language, without a line end.
std::string SystemErrorText(int code);

}  // namespace vel
