#include "core/timelapse/volumes.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/timelapse/picture_transfer_files.h"

namespace vel {
namespace {

constexpr std::array<std::pair<DriveType, std::string_view>, 5> kDriveTypeNames = {{
    {DriveType::Removable, "DRIVE_REMOVABLE"},
    {DriveType::Fixed, "DRIVE_FIXED"},
    {DriveType::Remote, "DRIVE_REMOTE"},
    {DriveType::Cdrom, "DRIVE_CDROM"},
    {DriveType::Ramdisk, "DRIVE_RAMDISK"},
}};

constexpr std::size_t kFolderNumberDigits = 3;
constexpr std::size_t kFolderNameLength = 8;

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool IsCameraFolderName(std::string_view name) {
  const auto isNameChar = [](char c) { return IsAsciiDigit(c) || IsAsciiLetter(c) || c == '_'; };
  return name.size() == kFolderNameLength &&
         std::all_of(name.begin(), name.begin() + kFolderNumberDigits, IsAsciiDigit) &&
         std::all_of(name.begin() + kFolderNumberDigits, name.end(), isNameChar);
}

bool HasCameraPictureFolder(const std::string& root) {
  std::string dcim = root;
  if (dcim.empty() || dcim.back() != kPathSeparator)
    dcim += kPathSeparator;
  const ResultOf<FolderListing> folders = ListFolder(dcim + "DCIM");
  return folders && std::any_of(folders->begin(), folders->end(), [](const FolderEntry& entry) {
           return entry.kind == EntryKind::Folder && IsCameraFolderName(entry.name);
         });
}

std::string DescribeDrive(const Drive& drive) {
  std::string text = drive.root;
  if (!drive.fileSystem.empty())
    text += " (" + drive.fileSystem + (drive.source.empty() ? "" : " from " + drive.source) + ")";
  text += ", of type " + std::string(DriveTypeName(drive.type));
  if (drive.fileSystem.starts_with("fuse") && drive.type != DriveType::Removable)
    text += ": a FUSE file system without a DCIM folder of a camera";
  return text;
}

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
