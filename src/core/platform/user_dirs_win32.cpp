#include "core/platform/user_dirs_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cctype>

#include "core/platform/wide_text_win32.h"

namespace vel {
namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
    folder += '\\';
  return folder;
}

// A folder of the shell (CSIDL_APPDATA, ...); empty when there is none.
std::string ShellFolder(int id) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return Narrow(folder, static_cast<int>(::wcslen(folder)));
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether this user may save the profile at path: a save writes a new file
// beside it that then replaces it, so the folder must take a new file, and
// the file, when it is there, writes. The trial file goes again when its
// handle closes, also when the program dies.
bool MaySave(const std::string& path) {
  const std::wstring trial = Widen(path + "." + std::to_string(::GetCurrentProcessId()) + ".trial");
  HANDLE file = ::CreateFileW(trial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  ::CloseHandle(file);
  file = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  ::CloseHandle(file);
  return true;
}

}  // namespace

namespace win32 {

ProfileLocation LocateProfileIn(const std::string& windowsFolder, const std::string& appDataFolder,
                                const std::string& localAppDataFolder, const std::string& appName) {
  const std::string shared = WithSlash(windowsFolder) + appName + ".INI";
  if (MaySave(shared))
    return {shared, {}, "the Windows folder's profile, which this user may write"};
  std::string folder = appName;
  if (!folder.empty())
    folder[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0])));
  ProfileLocation location{WithSlash(appDataFolder) + folder + "\\" + appName + ".ini",
                           {},
                           "this user's own profile: this user may not write " + shared};
  // Where the writes of a program without a manifest went instead: what that
  // program read back, so the newer settings.
  const std::string shadow = windowsFolder.size() > 2 && windowsFolder[1] == ':'
                                 ? WithSlash(localAppDataFolder) + "VirtualStore" +
                                       WithSlash(windowsFolder.substr(2)) + appName + ".INI"
                                 : std::string();
  if (!shadow.empty() && Exists(shadow))
    location.firstReadFrom = shadow;
  else if (Exists(shared))
    location.firstReadFrom = shared;
  if (!location.firstReadFrom.empty())
    location.note += "; while it is missing, the settings are read from " + location.firstReadFrom;
  return location;
}

}  // namespace win32

ProfileLocation LocateProfile(const std::string& appName) {
  wchar_t windows[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
  return win32::LocateProfileIn(Narrow(windows, static_cast<int>(length < MAX_PATH ? length : 0)),
                                ShellFolder(CSIDL_APPDATA), ShellFolder(CSIDL_LOCAL_APPDATA),
                                appName);
}

std::string ProfilePath(const std::string& appName) {
  return LocateProfile(appName).path;
}

std::string ProfileSource(const ProfileLocation& location) {
  if (location.firstReadFrom.empty() || Exists(location.path))
    return location.path;
  return location.firstReadFrom;
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
