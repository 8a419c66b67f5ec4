// Drives on Linux: the mounted volumes of the mount table that sit on a block
// device, a network file system or a FUSE file system, typed by what sysfs
// says about the device.

#include <dirent.h>
#include <libmount/libmount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "core/timelapse/volumes.h"

namespace vel {
namespace {

// File systems that never stand for a drive even when a device number or a
// /dev source is shown for them: kernel interfaces, memory file systems, and
// read-only images (snap packages and the like) that are no storage.
constexpr std::array<std::string_view, 28> kPseudoFileSystems = {
    "proc",    "sysfs",     "tmpfs",       "devtmpfs",        "devpts", "cgroup",
    "cgroup2", "overlay",   "squashfs",    "erofs",           "autofs", "mqueue",
    "debugfs", "tracefs",   "securityfs",  "pstore",          "bpf",    "configfs",
    "fusectl", "hugetlbfs", "binfmt_misc", "efivarfs",        "ramfs",  "rpc_pipefs",
    "nsfs",    "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse",
};

constexpr std::array<std::string_view, 15> kNetworkFileSystems = {
    "nfs",  "nfs4",      "cifs",           "smb3", "smbfs", "sshfs",          "fuse.sshfs", "9p",
    "ceph", "glusterfs", "fuse.glusterfs", "afs",  "ncpfs", "fuse.curlftpfs", "davfs",
};

// Kernel names of whole disks that are optical drives or memory-backed.
constexpr std::array<std::string_view, 1> kCdromDiskPrefixes = {"sr"};
constexpr std::array<std::string_view, 3> kRamDiskPrefixes = {"zram", "ram", "pmem"};

// Where the desktop mounts hot-plugged drives: <prefix><user>/<volume>.
constexpr std::array<std::string_view, 2> kAutomountPrefixes = {"/media/", "/run/media/"};

struct MountEntry {
  std::string mountPoint;
  std::string source;
  std::string fsType;
  unsigned devMajor = 0;
  unsigned devMinor = 0;
  bool network = false;
  bool pseudo = false;
};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

template <std::size_t N>
bool StartsWithAny(std::string_view text, const std::array<std::string_view, N>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](std::string_view prefix) { return text.starts_with(prefix); });
}

std::string Text(const char* text) {
  return text ? text : "";
}

// A file system run by a program (FUSE), which shows a device number of its
// own and any source name it likes.
bool IsFuseType(std::string_view fsType) {
  return fsType == "fuse" || fsType == "fuseblk" || fsType.starts_with("fuse.");
}

MountEntry ToEntry(libmnt_fs* fs) {
  MountEntry entry;
  entry.mountPoint = Text(mnt_fs_get_target(fs));
  entry.source = Text(mnt_fs_get_source(fs));
  entry.fsType = Text(mnt_fs_get_fstype(fs));
  const dev_t device = mnt_fs_get_devno(fs);
  entry.devMajor = major(device);
  entry.devMinor = minor(device);
  entry.network = mnt_fs_is_netfs(fs) || Contains(kNetworkFileSystems, entry.fsType);
  // libmount counts the bare "fuse" type a pseudo file system; what a FUSE
  // file system is shows only in what it holds.
  entry.pseudo = (mnt_fs_is_pseudofs(fs) && !IsFuseType(entry.fsType)) ||
                 Contains(kPseudoFileSystems, entry.fsType);
  return entry;
}

// The mount table in its own order. libmount undoes the octal escapes
// (\040 for a blank and so on) of the mountinfo format.
std::vector<MountEntry> ReadMountTable(const std::string& path) {
  std::vector<MountEntry> entries;
  std::unique_ptr<libmnt_table, decltype(&mnt_unref_table)> table(
      mnt_new_table_from_file(path.c_str()), &mnt_unref_table);
  if (!table)
    return entries;
  std::unique_ptr<libmnt_iter, decltype(&mnt_free_iter)> iter(mnt_new_iter(MNT_ITER_FORWARD),
                                                              &mnt_free_iter);
  if (!iter)
    return entries;
  libmnt_fs* fs = nullptr;
  while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) entries.push_back(ToEntry(fs));
  return entries;
}

bool IsBlockBacked(const MountEntry& entry) {
  return !entry.pseudo && (entry.devMajor != 0 || entry.source.starts_with("/dev/"));
}

// A FUSE file system that is neither a desktop service nor a network share:
// what it holds tells whether it is a drive.
bool IsUserSpace(const MountEntry& entry) {
  return !entry.pseudo && !entry.network && IsFuseType(entry.fsType);
}

bool IsDrive(const MountEntry& entry) {
  return !entry.mountPoint.empty() && (entry.network || IsBlockBacked(entry) || IsUserSpace(entry));
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

std::string ParentOf(const std::string& path) {
  return path.substr(0, path.find_last_of('/'));
}

std::string BaseName(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool AttributeIsOne(const std::string& path) {
  std::ifstream in(path);
  std::string value;
  return in >> value && value == "1";
}

// The block device behind a mount as sysfs sees it. File systems such as
// btrfs or a FUSE block mount show numbers of their own, so then the
// device file named as source gives them.
struct BlockDevice {
  std::string sysfsPath;  // resolved path under the sysfs root
  std::string diskPath;   // the whole disk; the device itself when no partition
};

std::optional<BlockDevice> FindBlockDevice(const MountEntry& entry, const std::string& sysfsRoot) {
  unsigned devMajor = entry.devMajor;
  unsigned devMinor = entry.devMinor;
  if (devMajor == 0) {
    struct stat info {};
    if (::stat(entry.source.c_str(), &info) != 0 || !S_ISBLK(info.st_mode))
      return std::nullopt;
    devMajor = major(info.st_rdev);
    devMinor = minor(info.st_rdev);
  }
  const std::string link =
      sysfsRoot + "/dev/block/" + std::to_string(devMajor) + ":" + std::to_string(devMinor);
  BlockDevice device;
  device.sysfsPath = RealPath(link);
  if (device.sysfsPath.empty())
    return std::nullopt;
  const bool isPartition = Exists(device.sysfsPath + "/partition");
  device.diskPath = isPartition ? ParentOf(device.sysfsPath) : device.sysfsPath;
  return device;
}

// True when one of the device's folders below the sysfs root is a USB one
// (usb1, usb2, ...), i.e. the disk hangs on a USB bus.
bool SitsOnUsb(const BlockDevice& device, const std::string& sysfsRoot) {
  std::string_view path = device.sysfsPath;
  const std::string root = RealPath(sysfsRoot);
  if (!root.empty() && path.starts_with(root))
    path.remove_prefix(root.size());
  return path.find("/usb") != std::string_view::npos;
}

bool IsRemovableDevice(const BlockDevice& device, const std::string& sysfsRoot) {
  return AttributeIsOne(device.sysfsPath + "/removable") ||
         AttributeIsOne(device.diskPath + "/removable") || SitsOnUsb(device, sysfsRoot);
}

// /media/<user>/<volume> or /run/media/<user>/<volume>.
bool IsAutomountPoint(std::string_view mountPoint) {
  for (std::string_view prefix : kAutomountPrefixes) {
    if (!mountPoint.starts_with(prefix))
      continue;
    const std::string_view rest = mountPoint.substr(prefix.size());
    const auto slash = rest.find('/');
    if (slash != 0 && slash != std::string_view::npos && slash + 1 < rest.size())
      return true;
  }
  return false;
}

DriveType Classify(const MountEntry& entry, const std::string& sysfsRoot) {
  if (entry.network)
    return DriveType::Remote;
  const std::optional<BlockDevice> device = FindBlockDevice(entry, sysfsRoot);
  const std::string diskName = device ? BaseName(device->diskPath) : std::string();
  if (device && StartsWithAny(diskName, kCdromDiskPrefixes))
    return DriveType::Cdrom;
  if (device && StartsWithAny(diskName, kRamDiskPrefixes))
    return DriveType::Ramdisk;
  if (IsAutomountPoint(entry.mountPoint))
    return DriveType::Removable;
  // A card read through FUSE without a block device (an image, a card
  // reader's own protocol) is a camera's card by its pictures.
  if (!device)
    return IsUserSpace(entry) && HasCameraPictureFolder(entry.mountPoint) ? DriveType::Removable
                                                                          : DriveType::Unknown;
  return IsRemovableDevice(*device, sysfsRoot) ? DriveType::Removable : DriveType::Fixed;
}

}  // namespace

std::vector<Drive> ListDrives(const VolumeSources& sources) {
  std::vector<Drive> drives;
  for (const MountEntry& entry : ReadMountTable(sources.mountInfoPath)) {
    if (!IsDrive(entry))
      continue;
    Drive drive{entry.mountPoint, Classify(entry, sources.sysfsRoot), entry.fsType, entry.source};
    // A volume mounted over another hides it: the later mount wins, in the
    // earlier one's place.
    auto same = std::find_if(drives.begin(), drives.end(),
                             [&](const Drive& known) { return known.root == drive.root; });
    if (same != drives.end())
      *same = std::move(drive);
    else
      drives.push_back(std::move(drive));
  }
  return drives;
}

std::string VolumeIdentity(const Drive& drive, const VolumeSources& sources) {
  // The UUID whose name in dev/disk/by-uuid leads to the drive's device.
  if (drive.source.starts_with("/dev/")) {
    const std::string device = RealPath(sources.devRoot + drive.source.substr(4));
    const std::string uuids = sources.devRoot + "/disk/by-uuid";
    const auto close = [](DIR* dir) { ::closedir(dir); };
    std::unique_ptr<DIR, decltype(close)> dir(::opendir(uuids.c_str()), close);
    while (dir && !device.empty()) {
      const dirent* entry = ::readdir(dir.get());
      if (!entry)
        break;
      if (entry->d_name[0] != '.' && RealPath(uuids + "/" + entry->d_name) == device)
        return std::string("uuid:") + entry->d_name;
    }
  }
  // Else the file system's id, which ext4 and others take from their UUID.
  struct statfs info {};
  if (::statfs(drive.root.c_str(), &info) != 0)
    return {};
  int id[2];
  static_assert(sizeof id == sizeof info.f_fsid);
  std::memcpy(id, &info.f_fsid, sizeof id);
  if (id[0] == 0 && id[1] == 0)
    return {};
  char text[32];
  std::snprintf(text, sizeof text, "fsid:%08x%08x", static_cast<unsigned>(id[0]),
                static_cast<unsigned>(id[1]));
  return text;
}

std::optional<FolderPlace> PlaceOf(const std::string& folder) {
  const std::string resolved = RealPath(folder);
  struct stat info {};
  if (resolved.empty() || ::stat(resolved.c_str(), &info) != 0)
    return std::nullopt;
  return FolderPlace{resolved, static_cast<std::uint64_t>(info.st_dev)};
}

}  // namespace vel
