// Drive detection on fixture mount tables and sysfs trees.

#include "core/timelapse/volumes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fixtures/volume_fixture.h"

namespace {

using vel::DriveType;
using velotest::FakeVolumes;

std::vector<std::string> Roots(const std::vector<vel::Drive>& drives) {
  std::vector<std::string> roots;
  for (const vel::Drive& drive : drives) roots.push_back(drive.root);
  return roots;
}

std::map<std::string, DriveType> TypesByRoot(const std::vector<vel::Drive>& drives) {
  std::map<std::string, DriveType> types;
  for (const vel::Drive& drive : drives) types[drive.root] = drive.type;
  return types;
}

TEST(VolumesTest, OnlyBlockDevicesAndNetworkFileSystemsAreDrives) {
  FakeVolumes volumes;
  volumes.Mount("0:40", "/run", "tmpfs", "tmpfs");
  volumes.Mount("0:41", "/sys/fs/cgroup/cpu", "cgroup", "cgroup");
  volumes.Mount("0:42", "/var/lib/docker/overlay2/abc/merged", "overlay", "overlay");
  volumes.Mount("7:1", "/snap/core22/1380", "squashfs", "/dev/loop1");
  volumes.Mount("0:43", "/proc/sys/fs/binfmt_misc", "autofs", "systemd-1");
  volumes.Mount("0:44", "/dev/mqueue", "mqueue", "mqueue");
  volumes.Mount("0:45", "/sys/kernel/debug", "debugfs", "debugfs");
  volumes.Mount("0:46", "/media/anna/RAM", "tmpfs", "tmpfs");
  volumes.Mount("0:60", "/mnt/nfs", "nfs4", "server:/export");
  volumes.Mount("0:61", "/mnt/share", "cifs", "//server/share");
  volumes.Mount("0:62", "/mnt/ssh", "fuse.sshfs", "anna@server:");
  volumes.Mount("0:63", "/mnt/9p", "9p", "hostshare");
  volumes.Mount("8:17", "/mnt/data", "ext4", "/dev/sdb1");
  // btrfs shows numbers of its own; its /dev source still makes it a drive.
  volumes.Mount("0:70", "/mnt/pool", "btrfs", "/dev/velorantica-no-such-disk");

  EXPECT_EQ(Roots(vel::ListDrives(volumes.Sources())),
            (std::vector<std::string>{"/", "/mnt/nfs", "/mnt/share", "/mnt/ssh", "/mnt/9p",
                                      "/mnt/data", "/mnt/pool"}));
}

TEST(VolumesTest, DriveTypesFollowSysfsAndTheDesktopsMountPlaces) {
  FakeVolumes volumes;
  velotest::AddUsbCamera(volumes);
  const std::string cardReader = "devices/platform/mmc0/mmc_host/mmc0/mmc0:0001/block/mmcblk0";
  volumes.AddBlockDevice("179:0", cardReader, {{"removable", "1"}});
  volumes.AddPartition("179:1", cardReader, "mmcblk0p1");
  volumes.AddBlockDevice("7:0", "devices/virtual/block/loop0", {{"removable", "0"}});
  volumes.AddBlockDevice("11:0", "devices/pci0000:00/0000:00:1f.2/ata1/host0/block/sr0",
                         {{"removable", "1"}});
  volumes.AddBlockDevice("253:0", "devices/virtual/block/zram0", {{"removable", "0"}});

  volumes.Mount("8:17", "/mnt/usb", "vfat", "/dev/sdb1");
  volumes.Mount("179:1", "/mnt/card", "vfat", "/dev/mmcblk0p1");
  volumes.Mount("7:0", "/media/anna/CAMERA", "ext4", "/dev/loop0");
  volumes.Mount("7:0", "/run/media/anna/STICK", "ext4", "/dev/loop0");
  volumes.Mount("7:0", "/media/CAMERA", "ext4", "/dev/loop0");
  volumes.Mount("11:0", "/media/anna/DVD", "iso9660", "/dev/sr0");
  volumes.Mount("253:0", "/mnt/zram", "ext4", "/dev/zram0");
  volumes.Mount("0:60", "/media/anna/NAS", "nfs", "server:/export");
  volumes.Mount("8:33", "/mnt/gone", "ext4", "/dev/sdc1");

  const std::map<std::string, DriveType> expected = {
      {"/", DriveType::Fixed},
      {"/mnt/usb", DriveType::Removable},
      {"/mnt/card", DriveType::Removable},
      {"/media/anna/CAMERA", DriveType::Removable},
      {"/run/media/anna/STICK", DriveType::Removable},
      {"/media/CAMERA", DriveType::Fixed},
      {"/media/anna/DVD", DriveType::Cdrom},
      {"/mnt/zram", DriveType::Ramdisk},
      {"/media/anna/NAS", DriveType::Remote},
      {"/mnt/gone", DriveType::Unknown},
  };
  EXPECT_EQ(TypesByRoot(vel::ListDrives(volumes.Sources())), expected);
  EXPECT_EQ(vel::RemovableMountPoints(volumes.Sources()),
            (std::vector<std::string>{"/mnt/usb", "/mnt/card", "/media/anna/CAMERA",
                                      "/run/media/anna/STICK"}));
}

TEST(VolumesTest, EscapedCharactersInMountPointsComeOutRight) {
  FakeVolumes volumes;
  velotest::AddUsbCamera(volumes);
  volumes.Mount("8:17", "/media/anna/MY CAMERA", "vfat", "/dev/sdb1");
  volumes.Mount("8:17", "/mnt/tab\there", "vfat", "/dev/sdb1");
  volumes.Mount("8:17", "/mnt/back\\slash", "vfat", "/dev/sdb1");

  // The table holds the kernel's escapes, not the characters themselves.
  std::ifstream in(volumes.MountInfoPath());
  const std::string table(std::istreambuf_iterator<char>(in), {});
  ASSERT_NE(table.find("/media/anna/MY\\040CAMERA"), std::string::npos);
  ASSERT_NE(table.find("/mnt/tab\\011here"), std::string::npos);
  ASSERT_NE(table.find("/mnt/back\\134slash"), std::string::npos);

  EXPECT_EQ(
      vel::RemovableMountPoints(volumes.Sources()),
      (std::vector<std::string>{"/media/anna/MY CAMERA", "/mnt/tab\there", "/mnt/back\\slash"}));
}

TEST(VolumesTest, NewDriveIsTheFirstOneMountedSinceTheSnapshot) {
  FakeVolumes volumes;
  velotest::AddUsbCamera(volumes);
  volumes.Mount("8:17", "/media/anna/OLDSTICK", "vfat", "/dev/sdb1");
  const vel::DriveSnapshot atStart = vel::TakeDriveSnapshot(volumes.Sources());
  EXPECT_FALSE(vel::FindNewDrive(atStart, volumes.Sources()));

  // A pseudo file system appearing is no drive.
  volumes.Mount("0:50", "/media/anna/TMP", "tmpfs", "tmpfs");
  EXPECT_FALSE(vel::FindNewDrive(atStart, volumes.Sources()));

  volumes.Mount("8:17", "/media/anna/CAMERA", "vfat", "/dev/sdb1");
  volumes.Mount("254:0", "/mnt/backup", "ext4", "/dev/vda");
  const std::optional<vel::Drive> found = vel::FindNewDrive(atStart, volumes.Sources());
  ASSERT_TRUE(found);
  EXPECT_EQ(found->root, "/media/anna/CAMERA");
  EXPECT_EQ(found->type, DriveType::Removable);

  volumes.Unmount("/media/anna/CAMERA");
  const std::optional<vel::Drive> next = vel::FindNewDrive(atStart, volumes.Sources());
  ASSERT_TRUE(next);
  EXPECT_EQ(next->root, "/mnt/backup");
  EXPECT_EQ(next->type, DriveType::Fixed);

  // A drive already there at the snapshot never counts as new, even when it
  // is remounted.
  volumes.Unmount("/mnt/backup");
  volumes.Unmount("/media/anna/OLDSTICK");
  volumes.Mount("8:17", "/media/anna/OLDSTICK", "vfat", "/dev/sdb1");
  EXPECT_FALSE(vel::FindNewDrive(atStart, volumes.Sources()));
}

TEST(VolumesTest, UnreadableMountTableGivesNoDrives) {
  vel::VolumeSources sources{"/nonexistent/velorantica/mountinfo", "/nonexistent/sys"};
  EXPECT_TRUE(vel::ListDrives(sources).empty());
  EXPECT_TRUE(vel::RemovableMountPoints(sources).empty());
  EXPECT_FALSE(vel::FindNewDrive({}, sources));
}

}  // namespace
