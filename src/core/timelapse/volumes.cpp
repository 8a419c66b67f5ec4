#include "core/timelapse/volumes.h"

#include <array>
#include <utility>

namespace vel {
namespace {

constexpr std::array<std::pair<DriveType, std::string_view>, 5> kDriveTypeNames = {{
    {DriveType::Removable, "DRIVE_REMOVABLE"},
    {DriveType::Fixed, "DRIVE_FIXED"},
    {DriveType::Remote, "DRIVE_REMOTE"},
    {DriveType::Cdrom, "DRIVE_CDROM"},
    {DriveType::Ramdisk, "DRIVE_RAMDISK"},
}};

}  // namespace

std::string_view DriveTypeName(DriveType type) {
  for (const auto& [known, name] : kDriveTypeNames)
    if (known == type)
      return name;
  return "UNKNOWN";
}

DriveSnapshot TakeDriveSnapshot(const VolumeSources& sources) {
  DriveSnapshot snapshot;
  for (const Drive& drive : ListDrives(sources)) snapshot.roots.insert(drive.root);
  return snapshot;
}

std::vector<Drive> FindNewDrives(const DriveSnapshot& atStart, const VolumeSources& sources) {
  std::vector<Drive> drives = ListDrives(sources);
  std::erase_if(drives, [&](const Drive& drive) { return atStart.roots.contains(drive.root); });
  return drives;
}

std::optional<Drive> FindNewDrive(const DriveSnapshot& atStart, const VolumeSources& sources) {
  std::vector<Drive> drives = FindNewDrives(atStart, sources);
  if (drives.empty())
    return std::nullopt;
  return std::move(drives.front());
}

std::vector<std::string> RemovableMountPoints(const VolumeSources& sources) {
  std::vector<std::string> roots;
  for (Drive& drive : ListDrives(sources))
    if (drive.type == DriveType::Removable)
      roots.push_back(std::move(drive.root));
  return roots;
}

}  // namespace vel
