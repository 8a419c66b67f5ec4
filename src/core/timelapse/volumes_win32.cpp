// Drives on Windows: the logical drive letters and their drive types.

#include <windows.h>

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

}  // namespace vel
