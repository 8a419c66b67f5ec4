#include <windows.h>

#include "core/platform/user_dirs.h"

namespace vel {

std::string ProfilePath(const std::string& appName) {
  char folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  std::string path(folder, length);
  if (!path.empty() && path.back() != '\\')
    path += '\\';
  return path + appName + ".INI";
}

std::string SeriesLogFolder(const std::string& appName) {
  char folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return "C:\\" + appName;
  return std::string(folder, length) + "\\" + appName;
}

std::string DefaultDestinationFolder() {
  return "C:\\";
}

}  // namespace vel
