#pragma once

// Helpers for the Windows tests, which run under Wine here.

#include <windows.h>
#include <winioctl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vel::test {

// Wine marks itself by exports of its ntdll that Windows does not have.
inline bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// The value of an environment variable, empty when it is not set.
inline std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The system's text for an error code, exactly as FormatMessage gives it in
// the user's default language.
inline std::string FormatSystemText(DWORD code) {
  char* text = nullptr;
  ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
      nullptr);
  std::string result = text ? text : "";
  if (text)
    ::LocalFree(text);
  return result;
}

// The Unix path Wine maps a Windows path to; empty outside Wine.
inline std::string UnixPath(const std::string& windowsPath) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
  // Through the generic function pointer type, which any function pointer
  // may be cast to and from.
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel32, "wine_get_unix_file_name")));
  if (!toUnix)
    return {};
  wchar_t wide[MAX_PATH] = {};
  if (!::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
    return {};
  char* unixPath = toUnix(wide);
  if (!unixPath)
    return {};
  std::string result = unixPath;
  ::HeapFree(::GetProcessHeap(), 0, unixPath);
  return result;
}

// A drive letter lent for a test through Wine's mount manager, the way
// winecfg adds a drive: the letter stands for a Unix folder and has the
// drive type given (DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_CDROM, ...). Windows
// has no such request; there Define fails.
class WineDriveLetter {
 public:
  WineDriveLetter() = default;
  ~WineDriveLetter() { Remove(); }
  WineDriveLetter(const WineDriveLetter&) = delete;
  WineDriveLetter& operator=(const WineDriveLetter&) = delete;

  // letter is 'A' to 'Z'; folder is a Windows path, which Wine maps to Unix.
  bool Define(char letter, const std::string& folder, UINT driveType) {
    const std::string unixFolder = UnixPath(folder);
    if (unixFolder.empty() || !Send(letter, unixFolder.c_str(), driveType))
      return false;
    m_letter = letter;
    return true;
  }

  void Remove() {
    if (m_letter)
      Send(m_letter, nullptr, DRIVE_NO_ROOT_DIR);
    m_letter = 0;
  }

  std::string Root() const { return std::string(1, m_letter) + ":\\"; }

 private:
  // The request and its layout as Wine's mount manager takes them; the Unix
  // path follows the fixed part.
  struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
  };
  static constexpr DWORD kMountManagerType = 0x6d;
  static constexpr DWORD kDefineUnixDrive =
      CTL_CODE(kMountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

  static bool Send(char letter, const char* unixFolder, UINT driveType) {
    const std::size_t pathSize = unixFolder ? std::strlen(unixFolder) + 1 : 0;
    std::vector<char> request(sizeof(UnixDrive) + pathSize);
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(request.size());
    drive.type = driveType;
    drive.letter = static_cast<WCHAR>(letter - 'A' + 'a');
    if (unixFolder) {
      drive.mountPointOffset = sizeof(UnixDrive);
      std::memcpy(request.data() + sizeof(UnixDrive), unixFolder, pathSize);
    }
    std::memcpy(request.data(), &drive, sizeof drive);
    const HANDLE manager =
        ::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
      return false;
    DWORD returned = 0;
    const BOOL ok =
        ::DeviceIoControl(manager, kDefineUnixDrive, request.data(),
                          static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(manager);
    return ok;
  }

  char m_letter = 0;
};

// The letters C to Z that name no drive now, in order.
inline std::vector<char> FreeDriveLetters() {
  std::vector<char> letters;
  const DWORD present = ::GetLogicalDrives();
  for (char letter = 'C'; letter <= 'Z'; ++letter)
    if (!(present & (DWORD{1} << (letter - 'A'))))
      letters.push_back(letter);
  return letters;
}

}  // namespace vel::test
