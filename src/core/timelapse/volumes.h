#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

// What kind of drive a volume is, in the system's own terms: the drive type
// on Windows; on Linux the block device behind the mount as the desktop's
// disk service sees it.
enum class DriveType { Unknown, Removable, Fixed, Remote, Cdrom, Ramdisk };

// "DRIVE_REMOVABLE", "DRIVE_FIXED", "DRIVE_REMOTE", "DRIVE_CDROM",
// "DRIVE_RAMDISK", and "UNKNOWN" for anything else.
std::string_view DriveTypeName(DriveType type);

// Where the volume information is read from. Linux reads the mount table and
// sysfs; tests point both at fixture files. Windows asks the system and
// ignores these.
struct VolumeSources {
  std::string mountInfoPath = "/proc/self/mountinfo";
  std::string sysfsRoot = "/sys";
};

// A drive present now. root is "X:\" on Windows and the mount point on Linux;
// it stands for the drive in every path and message.
struct Drive {
  std::string root;
  DriveType type = DriveType::Unknown;
};

// The drives present at one moment, taken when a series starts so that the
// camera's drive can later be told apart as the one that was not there.
struct DriveSnapshot {
  std::set<std::string> roots;
};

// The drives present now, in the system's order: letters A to Z on Windows,
// the mount table's order on Linux. Only volumes on a block device or a
// network file system are drives; pseudo file systems (proc, tmpfs, cgroup,
// overlay, squashfs images, ...) are not. An unreadable table gives none.
std::vector<Drive> ListDrives(const VolumeSources& sources = {});

DriveSnapshot TakeDriveSnapshot(const VolumeSources& sources = {});

// The drives, in ListDrives order, that are present now and were not present
// at the snapshot.
std::vector<Drive> FindNewDrives(const DriveSnapshot& atStart, const VolumeSources& sources = {});

// The first of FindNewDrives; nothing when there is none.
std::optional<Drive> FindNewDrive(const DriveSnapshot& atStart, const VolumeSources& sources = {});

// The roots of the removable drives present now. Comparing two of these lists
// tells the main window that a removable volume went away.
std::vector<std::string> RemovableMountPoints(const VolumeSources& sources = {});

}  // namespace vel
