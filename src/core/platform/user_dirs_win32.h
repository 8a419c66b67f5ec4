#pragma once

// The Windows profile's choice, with the system's folders given, for its test.

#include <string>

#include "core/platform/user_dirs.h"

namespace vel::win32 {

// LocateProfile with the Windows directory, %APPDATA% and %LOCALAPPDATA%
// given (the last holds the per-user copies of the Windows directory's files
// that programs without a manifest wrote).
ProfileLocation LocateProfileIn(const std::string& windowsFolder, const std::string& appDataFolder,
                                const std::string& localAppDataFolder, const std::string& appName);

}  // namespace vel::win32
