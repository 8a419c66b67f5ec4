#pragma once

// Helpers for the Windows tests, which run under Wine here.

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

namespace vel::test {

// Wine marks itself by exports of its ntdll that Windows does not have.
inline bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// A drive letter of a type for a folder, lent by Wine's mount manager (on Windows Define fails).
class WineDriveLetter {
 public:
  ~WineDriveLetter() { Remove(); }

  // Lends the first free letter from C on to a folder (a Windows path).
  bool Define(const std::string& folder, UINT driveType) {
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* unixFolder =
        toUnix ? toUnix(std::wstring(folder.begin(), folder.end()).c_str()) : nullptr;
    for (char letter = 'C'; unixFolder && !m_letter && letter <= 'Z'; ++letter)
      if (!(::GetLogicalDrives() & (1u << (letter - 'A'))) && Send(letter, unixFolder, driveType))
        m_letter = letter;
    if (unixFolder)
      ::HeapFree(::GetProcessHeap(), 0, unixFolder);
    return m_letter != 0;
  }
  void Remove() {
    if (m_letter)
      Send(m_letter, nullptr, DRIVE_NO_ROOT_DIR);
    m_letter = 0;
  }
  std::string Root() const { return std::string(1, m_letter) + ":\\"; }

  // Lends letter to a Unix folder, or takes it back without one.
  static bool Send(char letter, const char* unixFolder, UINT driveType) {
    const std::size_t pathSize = unixFolder ? std::strlen(unixFolder) + 1 : 0;
    std::vector<char> request(sizeof(UnixDrive) + pathSize);
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(request.size());
    drive.type = driveType;
    drive.letter = static_cast<WCHAR>(letter - 'A' + 'a');
    drive.mountPointOffset = unixFolder ? sizeof drive : 0;
    std::memcpy(request.data(), &drive, sizeof drive);
    if (unixFolder)
      std::memcpy(request.data() + sizeof drive, unixFolder, pathSize);
    const HANDLE manager =
        ::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    constexpr DWORD kDefineUnixDrive =
        CTL_CODE(0x6d, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    DWORD returned = 0;
    const BOOL ok = manager != INVALID_HANDLE_VALUE &&
                    ::DeviceIoControl(manager, kDefineUnixDrive, request.data(),
                                      DWORD(request.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(manager);
    return ok;
  }

 private:
  // Wine's mount manager's request: this fixed part, then the Unix path.
  struct UnixDrive {
    ULONG size, type, fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset, deviceOffset, labelOffset;
  };

  char m_letter = 0;
};

}  // namespace vel::test
