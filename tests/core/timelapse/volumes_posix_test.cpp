// Drive detection on fixture mount tables and sysfs trees.

#include "core/timelapse/volumes.h"

#include <gtest/gtest.h>

#include "fixtures/volume_fixture.h"

namespace vel {
namespace {

// Block devices and network mounts are drives, typed by sysfs and place; later mounts hide earlier.
TEST(Volumes, DrivesAndTheirTypesComeFromTheMountTableAndSysfs) {
  velotest::FakeVolumes volumes;
  velotest::AddUsbCamera(volumes);
  const std::string cardReader = "devices/platform/mmc0/mmc_host/mmc0/mmc0:0001/block/mmcblk0";
  volumes.AddBlockDevice("179:0", cardReader, {{"removable", "1"}});
  volumes.AddPartition("179:1", cardReader, "mmcblk0p1");
  volumes.AddBlockDevice("7:0", "devices/virtual/block/loop0", {{"removable", "0"}});
  volumes.AddBlockDevice("11:0", "devices/pci0000:00/ata1/host0/block/sr0", {{"removable", "1"}});
  volumes.AddBlockDevice("253:0", "devices/virtual/block/zram0", {{"removable", "0"}});
  volumes.Mount("0:40", "/run", "tmpfs", "tmpfs");
  volumes.Mount("0:42", "/var/lib/docker/merged", "overlay", "overlay");
  volumes.Mount("7:1", "/snap/core", "squashfs", "/dev/loop1");
  volumes.Mount("0:60", "/mnt/nfs", "nfs4", "server:/export");
  volumes.Mount("8:17", "/mnt/usb\\disk", "vfat", "/dev/sdb1");
  volumes.Mount("253:0", "/mnt/card", "ext4", "/dev/zram0");
  volumes.Mount("179:1", "/mnt/card", "vfat", "/dev/mmc\tblk0p1");
  volumes.Mount("7:0", "/media/anna/MY CAMERA", "ext4", "/dev/loop0");
  volumes.Mount("7:0", "/media/CAMERA", "ext4", "/dev/loop0");
  volumes.Mount("11:0", "/mnt/dvd", "iso9660", "/dev/sr0");
  volumes.Mount("253:0", "/mnt/zram", "ext4", "/dev/zram0");
  volumes.Mount("8:33", "/mnt/gone", "ext4", "/dev/sdc1");
  // FUSE file systems name their source as they like: a camera's card by its DCIM.
  const std::string fuseCard = volumes.dir() + "/fuse card";
  velotest::WriteFile(fuseCard + "/DCIM/100CASIO/CIMG0001.JPG", "");
  volumes.Mount("0:45", fuseCard, "fuse.fusefat", "fusefat");
  volumes.Mount("0:46", volumes.dir(), "fuse", "archive.zip");
  std::vector<std::pair<std::string, DriveType>> drives;
  for (const Drive& drive : ListDrives(volumes.Sources()))
    drives.emplace_back(drive.root, drive.type);
  EXPECT_EQ(drives, (std::vector<std::pair<std::string, DriveType>>{
                        {"/", DriveType::Fixed},
                        {"/mnt/nfs", DriveType::Remote},
                        {"/mnt/usb\\disk", DriveType::Removable},
                        {"/mnt/card", DriveType::Removable},
                        {"/media/anna/MY CAMERA", DriveType::Removable},
                        {"/media/CAMERA", DriveType::Fixed},
                        {"/mnt/dvd", DriveType::Cdrom},
                        {"/mnt/zram", DriveType::Ramdisk},
                        {"/mnt/gone", DriveType::Unknown},
                        {fuseCard, DriveType::Removable},
                        {volumes.dir(), DriveType::Unknown}}));
  EXPECT_EQ(
      RemovableMountPoints(volumes.Sources()),
      (std::vector<std::string>{"/mnt/usb\\disk", "/mnt/card", "/media/anna/MY CAMERA", fuseCard}));
}

}  // namespace
}  // namespace vel
