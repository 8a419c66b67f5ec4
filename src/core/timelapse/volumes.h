#pragma once

#include <cstdint>
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
  std::string devRoot = "/dev";  // its disk/by-uuid names the volumes
};

// A drive present now. root is "X:\" on Windows and the mount point on Linux;
// it stands for the drive in every path and message. On Linux the mount
// table also tells its file system and where it comes from (a device, an
// image, a name of the file system's own); Windows leaves both empty.
struct Drive {
  std::string root;
  DriveType type = DriveType::Unknown;
  std::string fileSystem;
  std::string source;
};

// One line on what a drive is, for the messages: its root, its file system
// and source where known, and its type.
std::string DescribeDrive(const Drive& drive);

// A picture folder named the camera's way: "100CASIO", three digits and five
// letters, digits or underscores.
bool IsCameraFolderName(std::string_view name);

// Whether root's DCIM folder holds a picture folder named the camera's way.
bool HasCameraPictureFolder(const std::string& root);

// Which volume is mounted at a drive, so that a camera's card can be told
// from another one mounted in its place: the volume's UUID where the system
// names one (Linux: /dev/disk/by-uuid; Windows: the volume serial number),
// else the file system's own id; empty when nothing tells.
std::string VolumeIdentity(const Drive& drive, const VolumeSources& sources = {});

// Where a folder lies: its path with every link resolved, and the volume
// (device) that holds it. Nothing when it cannot be found.
struct FolderPlace {
  std::string resolved;
  std::uint64_t volume = 0;
  bool operator==(const FolderPlace&) const = default;
};
std::optional<FolderPlace> PlaceOf(const std::string& folder);

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
