#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "core/weblink/open_link.h"
#include "core/weblink/open_link_win32.h"

namespace vel {
namespace win32 {
namespace {

struct ShellErrorText {
  int code;
  std::string_view text;
};

constexpr ShellErrorText kShellErrorTexts[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30,
     "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
     "processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};

// What the fallback reports when it started the program; any code above 32
// means success.
constexpr int kStarted = 42;
constexpr int kOutOfMemory = 8;
constexpr int kAssociationIncomplete = 27;
constexpr int kNoAssociation = 31;

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

// The program registered for ".htm" pages (the open command of their class
// under HKEY_CLASSES_ROOT), started with the address: kStarted, WinExec's
// failure code, kOutOfMemory for a command line too long, or
// kNoAssociation / kAssociationIncomplete when there is nothing to start.
int StartRegisteredBrowser(std::string_view address) {
  std::string pageClass;
  if (!ReadClassesRootValue(".htm", pageClass))
    return kNoAssociation;
  std::string command;
  if (!ReadClassesRootValue(pageClass + "\\shell\\open\\command", command))
    return kAssociationIncomplete;
  const std::optional<std::string> line = BuildRegisteredCommandLine(command, address);
  if (!line)
    return kOutOfMemory;
  const UINT started = ::WinExec(line->c_str(), SW_SHOW);
  return started > kWinExecSuccessAbove ? kStarted : static_cast<int>(started);
}

}  // namespace

std::string ShellErrorReason(int code) {
  for (const ShellErrorText& reason : kShellErrorTexts) {
    if (reason.code == code)
      return std::string(reason.text);
  }
  char unknown[48];
  std::snprintf(unknown, sizeof unknown, "Unknown Error (%d) occurred.", code);
  return unknown;
}

}  // namespace win32

// The shell first; when it fails, the registered program. When that finds
// nothing to start, the shell's failure is the one reported.
Result OpenLinkWithShell(std::string_view address) {
  const std::string target(address);
  const auto shell = reinterpret_cast<UINT_PTR>(
      ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW));
  if (shell > win32::kShellSuccessAbove)
    return Result::Success();
  const int fallback = win32::StartRegisteredBrowser(address);
  if (fallback == win32::kStarted)
    return Result::Success();
  const bool nothingToStart =
      fallback == win32::kNoAssociation || fallback == win32::kAssociationIncomplete;
  const int code = nothingToStart ? static_cast<int>(shell) : fallback;
  return Result::Failure(LinkErrorText(win32::ShellErrorReason(code)));
}

}  // namespace vel
