// Drives on Windows: the logical drive letters and their drive types.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "core/platform/wide_text_win32.h"
#include "core/timelapse/volumes.h"

namespace vel {
namespace {

DriveType FromSystemType(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return DriveType::Removable;
    case DRIVE_FIXED:
      return DriveType::Fixed;
    case DRIVE_REMOTE:
      return DriveType::Remote;
    case DRIVE_CDROM:
      return DriveType::Cdrom;
    case DRIVE_RAMDISK:
      return DriveType::Ramdisk;
    default:
      return DriveType::Unknown;
  }
}

// "A:\" for bit 0, "B:\" for bit 1, and so on.
std::string DriveRoot(int bit) {
  std::string root = "A:\\";
  root[0] = static_cast<char>('A' + bit);
  return root;
}

}  // namespace

// The drive mask in bit order 0 to 31, so the first drive not present at the
// snapshot is the lowest new letter.
std::vector<Drive> ListDrives(const VolumeSources&) {
  std::vector<Drive> drives;
  const DWORD mask = ::GetLogicalDrives();
  for (int bit = 0; bit < 32; ++bit) {
    if (!(mask & (DWORD{1} << bit)))
      continue;
    Drive drive;
    drive.root = DriveRoot(bit);
    drive.type = FromSystemType(::GetDriveTypeA(drive.root.c_str()));
    drives.push_back(std::move(drive));
  }
  return drives;
}

std::string VolumeIdentity(const Drive& drive, const VolumeSources&) {
  DWORD serial = 0;
  if (!::GetVolumeInformationW(Widen(drive.root).c_str(), nullptr, 0, &serial, nullptr, nullptr,
                               nullptr, 0))
    return {};
  char text[24];
  std::snprintf(text, sizeof text, "serial:%08lX", static_cast<unsigned long>(serial));
  return text;
}

std::optional<FolderPlace> PlaceOf(const std::string& folder) {
  std::unique_ptr<void, decltype(&::CloseHandle)> handle(
      ::CreateFileW(Widen(folder).c_str(), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr),
      &::CloseHandle);
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.release();
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle.get(), &info))
    return std::nullopt;
  const DWORD length = ::GetFinalPathNameByHandleW(handle.get(), nullptr, 0, VOLUME_NAME_DOS);
  if (length == 0)
    return std::nullopt;
  std::vector<wchar_t> path(length + 1);
  const DWORD written =
      ::GetFinalPathNameByHandleW(handle.get(), path.data(), length + 1, VOLUME_NAME_DOS);
  if (written == 0 || written > length)
    return std::nullopt;
  std::string resolved = Narrow(path.data(), static_cast<int>(written));
  // "\\?\C:\x" for a drive, "\\?\UNC\server\share" for a share.
  if (resolved.starts_with("\\\\?\\UNC\\"))
    resolved = "\\" + resolved.substr(7);
  else if (resolved.starts_with("\\\\?\\"))
    resolved = resolved.substr(4);
  return FolderPlace{resolved, info.dwVolumeSerialNumber};
}

}  // namespace vel
