#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>

#include "core/weblink/open_link.h"

namespace vel {
namespace {

// Registry values read for the fallback are at most one path long.
constexpr DWORD kRegistryValueSize = MAX_PATH;

// Results above this mean success for ShellExecute; WinExec succeeds above 31.
constexpr UINT_PTR kShellSuccessAbove = 32;
constexpr UINT kWinExecSuccessAbove = 31;

// Reads the default value of a key under HKEY_CLASSES_ROOT. Expandable
// strings get their environment references expanded, as the shell does.
bool ReadClassesRootValue(const std::string& subkey, std::string& value) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  char buffer[kRegistryValueSize] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  const LONG read =
      ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(key);
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  value.assign(buffer, ::strnlen(buffer, size));
  if (type == REG_EXPAND_SZ) {
    char expanded[kRegistryValueSize] = {};
    const DWORD length = ::ExpandEnvironmentStringsA(value.c_str(), expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded)
      return false;
    value = expanded;
  }
  return true;
}

}  // namespace

int OpenLinkWithDesktop(std::string_view address, Clock&) {
  const std::string target(address);
  const HINSTANCE result =
      ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW);
  const auto code = reinterpret_cast<UINT_PTR>(result);
  return code > kShellSuccessAbove ? kLinkOpened : static_cast<int>(code);
}

int OpenLinkFallback(std::string_view address, const XdgDirs&) {
  std::string pageClass;
  if (!ReadClassesRootValue(".htm", pageClass))
    return kOpenNoAssociation;
  std::string command;
  if (!ReadClassesRootValue(pageClass + "\\shell\\open\\command", command)) {
    return kOpenAssociationIncomplete;
  }
  const std::optional<std::string> line = BuildRegisteredCommandLine(command, address);
  if (!line)
    return kOpenOutOfMemory;
  const UINT started = ::WinExec(line->c_str(), SW_SHOW);
  return started > kWinExecSuccessAbove ? kLinkOpened : static_cast<int>(started);
}

}  // namespace vel
