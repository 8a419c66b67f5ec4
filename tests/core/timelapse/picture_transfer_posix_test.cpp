// The picture transfer on real files, the camera's drive made known by a fixture mount table.

#include "core/timelapse/picture_transfer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <set>
#include <tuple>
#include <utility>

#include "core/platform/clock.h"
#include "fixtures/volume_fixture.h"
#include "support/qvsim_recording.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using Files = std::set<std::string>;

class PictureTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    velotest::AddUsbCamera(m_volumes);
    fs::create_directories(m_dest);
    m_atStart = TakeDriveSnapshot(m_volumes.Sources());
  }

  // The camera switched to USB mode: its drive appears as a USB disk.
  void AttachCamera() { m_volumes.Mount("8:17", m_camera, "vfat", "/dev/sdb1"); }

  // A file on the camera (text nullptr: one there already) written on a day of 2001.
  void Put(const std::string& path, int day, const char* text = "picture") {
    if (text)
      velotest::WriteFile(m_camera + "/" + path, text);
    const timespec times[2] = {{978307200 + day * 86400, 0}, {978307200 + day * 86400, 0}};
    ::utimensat(AT_FDCWD, (m_camera + "/" + path).c_str(), times, AT_SYMLINK_NOFOLLOW);
  }
  // The copy's result; the whole outcome stays in m_outcome.
  Result Transfer(bool deleteAfterCopy, int copyAndDelete, std::uint32_t waitMs = 0) {
    m_outcome = m_transfer.CopyNewestPicture(m_atStart, {m_dest, deleteAfterCopy, copyAndDelete},
                                             m_clock, waitMs, m_volumes.Sources());
    return m_outcome.result;
  }
  static Files Below(const std::string& folder) {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      if (!entry.is_directory())
        files.insert(fs::relative(entry.path(), folder).string());
    return files;
  }

  velotest::FakeVolumes m_volumes;
  const std::string m_camera = m_volumes.dir() + "/camera drive";  // escaped in the mount table
  const std::string m_dest = m_volumes.dir() + "/destination";
  DriveSnapshot m_atStart;
  PictureTransfer m_transfer;
  CopyOutcome m_outcome;
  // Advances by the waits asked for; at half a second it runs what is due then.
  struct PretendClock final : Clock {
    std::int64_t now = 0;
    std::function<void()> atHalfASecond;
    std::int64_t NowMs() override { return now; }
    void WaitMs(std::uint32_t ms) override {
      now += ms;
      if (now >= 500 && atHalfASecond)
        std::exchange(atHalfASecond, nullptr)();
    }
  } m_clock;
};

// Only regular "JPG" files (of either case) in DCIM's folders but HTML count; of equal times the
// first listed.
TEST_F(PictureTransferTest, TheNewestPictureIsTheOneTaken) {
  Put("DCIM/100CASIO/A.JPG", 1);
  Put("DCIM/100CASIO/B1.jpg", 4);
  Put("DCIM/100CASIO/B2.jpg", 4);
  Put("DCIM/100CASIO/C.AVI", 5);
  Put("DCIM/HTML/D.JPG", 6);
  Put("DCIM/E.JPG", 7);
  fs::create_symlink(m_camera + "/DCIM/100CASIO/A.JPG", m_camera + "/DCIM/100CASIO/LINK.JPG");
  ASSERT_EQ(::mkfifo((m_camera + "/DCIM/100CASIO/FIFO.JPG").c_str(), 0600), 0);
  fs::create_directories(m_camera + "/DCIM/100CASIO/FOLDER.JPG");
  for (const char* name : {"LINK.JPG", "FIFO.JPG", "FOLDER.JPG"})
    Put(std::string("DCIM/100CASIO/") + name, 9, nullptr);
  std::string first;
  for (const auto& entry : fs::directory_iterator(m_camera + "/DCIM/100CASIO"))
    if (first.empty() && entry.path().filename().string()[0] == 'B')
      first = entry.path().filename();
  AttachCamera();
  ASSERT_EQ(Transfer(false, 1).Text(), "");
  EXPECT_EQ(m_transfer.LastPath(), m_camera + "/DCIM/100CASIO/" + first);
  EXPECT_EQ(Below(m_dest), Files{first});
}

// A picture is copied with its thumbnail, then deleted, and not taken twice; without its thumbnail
// nothing is deleted (a full destination is the system calls' test).
TEST_F(PictureTransferTest, PictureAndThumbnailAreCopiedThenDeletedAndNotTakenTwiceOrAlone) {
  Put("DCIM/100CASIO/CIMG0001.JPG", 1, "picture");
  Put("DCIM/100CASIO/PREVIEW/CIMG0001.JPG", 1, "thumbnail");
  AttachCamera();
  ASSERT_EQ(Transfer(true, 0).Text(), "");
  EXPECT_EQ(m_transfer.LastName(), "CIMG0001.JPG");
  EXPECT_EQ(Below(m_dest), (Files{"CIMG0001.JPG", "PREVIEW/CIMG0001.JPG"}));
  EXPECT_EQ(velotest::TempDir::ReadFile(m_dest + "/PREVIEW/CIMG0001.JPG"), "thumbnail");
  EXPECT_EQ(Below(m_camera), Files{});

  Put("DCIM/100CASIO/CIMG0002.JPG", 2);
  ASSERT_EQ(Transfer(false, 1).Text(), "");
  fs::remove(m_dest + "/CIMG0002.JPG");
  ASSERT_EQ(Transfer(false, 1).Text(), "");
  EXPECT_FALSE(fs::exists(m_dest + "/CIMG0002.JPG")) << "taken twice";
  EXPECT_EQ(Below(m_camera), Files{"DCIM/100CASIO/CIMG0002.JPG"});

  Put("DCIM/100CASIO/CIMG0003.JPG", 3, "picture");
  EXPECT_EQ(Transfer(true, 0).Text(),
            "Copy error.\nSystem error message:\n\n" + std::string(std::strerror(ENOENT)) +
                "\n\nPicture: " + m_camera + "/DCIM/100CASIO/PREVIEW/CIMG0003.JPG" +
                "\nDestination folder: " + m_dest + "/PREVIEW");
  EXPECT_EQ(velotest::TempDir::ReadFile(m_camera + "/DCIM/100CASIO/CIMG0003.JPG"), "picture");
  EXPECT_EQ(Below(m_dest), (Files{"CIMG0001.JPG", "PREVIEW/CIMG0001.JPG", "CIMG0003.JPG"}));
}

// Links on the card leading outside it are never followed: nothing outside is copied or deleted.
TEST_F(PictureTransferTest, LinksOnTheCardLeadNowhere) {
  const std::string outside = m_volumes.dir() + "/outside";
  const Files outsideFiles{"100CASIO/CIMG0001.JPG", "100CASIO/PREVIEW/CIMG0001.JPG", "CIMG0001.JPG",
                           "private"};
  // A picture on the card, a link below the camera's drive, its target below outside.
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {nullptr, "DCIM", ""},
      {"DCIM/100CASIO/CIMG0001.JPG", "DCIM/100CASIO/PREVIEW", ""},
      {"DCIM/100CASIO/CIMG0001.JPG", "DCIM/100CASIO/PREVIEW/CIMG0001.JPG", "private"},
  };
  AttachCamera();
  for (const auto& [card, link, target] : cases) {
    SCOPED_TRACE(link);
    for (const std::string& folder : {m_camera, m_dest, outside}) fs::remove_all(folder);
    for (const std::string& file : outsideFiles) velotest::WriteFile(outside + "/" + file, "out");
    if (card)
      Put(card, 1, "picture");
    fs::create_directories(fs::path(m_camera + "/" + link).parent_path());
    fs::create_directories(m_dest);
    fs::create_symlink(outside + "/" + target, m_camera + "/" + link);
    m_transfer = PictureTransfer();
    (void)Transfer(true, 0);
    EXPECT_EQ(Below(outside), outsideFiles);
    for (const std::string& file : Below(m_dest))
      EXPECT_EQ(velotest::TempDir::ReadFile(m_dest + "/" + file), "picture") << file;
  }
}

// A dead process's temporary files older than a minute go; fresh, living or other names stay.
TEST_F(PictureTransferTest, CopiesLeftByADeadProcessAreRemoved) {
  const pid_t dead = ::fork();
  if (dead == 0)
    ::_exit(0);
  ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
  const auto part = [](pid_t pid, const std::string& n) {
    return ".velorantica-" + std::to_string(pid) + "-" + n + ".part";
  };
  const std::pair<std::string, bool> files[] = {
      {part(dead, "1"), true},
      {"PREVIEW/" + part(dead, "2"), true},
      {".velorantica-" + std::to_string(dead) + "-3.jpeg", false},
      {part(dead, ""), false},
      {part(::getpid(), "4"), false},
      {"picture-copy-" + part(dead, "5").substr(13), false},
      {part(dead, "6") + "/x", false}};
  Files kept{"CIMG0001.JPG", "PREVIEW/CIMG0001.JPG", "PREVIEW/" + part(dead, "8")};
  for (const auto& [name, stale] : files) {
    velotest::WriteFile(m_dest + "/" + name, "left");
    const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, (m_dest + "/" + name.substr(0, name.find("/x"))).c_str(), hourAgo, 0);
    if (!stale)
      kept.insert(name);
  }
  velotest::WriteFile(m_dest + "/PREVIEW/" + part(dead, "8"), "fresh");
  Put("DCIM/100CASIO/CIMG0001.JPG", 1);
  Put("DCIM/100CASIO/PREVIEW/CIMG0001.JPG", 1);
  AttachCamera();
  ASSERT_EQ(Transfer(false, 0).Text(), "");
  EXPECT_EQ(Below(m_dest), kept);
}

TEST_F(PictureTransferTest, ADriveThatIsNoCameraIsRefusedWithItsText) {
  const std::string retry =
      "\nSwitching REC -> USB failed.\nIncrease \"Delay REC -> USB\" value"
      " (see \"Config\").";
  Put("MISC/CIMG0001.JPG", 1);
  EXPECT_EQ(Transfer(true, 0).Text(), "Detecting USB drive letter failed." + retry);
  m_volumes.Mount("254:0", m_camera, "ext4", "/dev/vda");
  const Result fixed = Transfer(true, 0);
  EXPECT_EQ(fixed.Text(), "Detecting USB drive type failed." + retry + "\n\nFound " + m_camera +
                              " (ext4 from /dev/vda), of type DRIVE_FIXED.");
  EXPECT_EQ(fixed.Detail(),
            "Internal error during detecting drive type of calculated USB drive letter. It should "
            "be of type DRIVE_REMOVABLE but it is of type DRIVE_FIXED.\n");
  m_volumes.Unmount(m_camera);
  // A FUSE file system is a drive whatever its source is called; a camera's by its DCIM.
  m_volumes.Mount("0:45", m_camera, "fuse.fusefat", "fusefat");
  EXPECT_EQ(Transfer(true, 0).Text(),
            "Detecting USB drive type failed." + retry + "\n\nFound " + m_camera +
                " (fuse.fusefat from fusefat), of type UNKNOWN"
                ": a FUSE file system without a DCIM folder of a camera.");
  m_volumes.Unmount(m_camera);
  AttachCamera();
  EXPECT_EQ(Transfer(true, 0).Text(), "Detecting USB drive letter failed." + retry);
  EXPECT_EQ(m_outcome.drive, "");
}

// FAT keeps times to two seconds: of equal times the higher folder, then file number is the
// newer, and a picture copied in this series is not new again when a newer one goes.
TEST_F(PictureTransferTest, PicturesOfEqualTimesAreTakenByTheirNumbers) {
  AttachCamera();
  Put("DCIM/100CASIO/IMAGE.JPG", 2);
  for (const std::string picture : {"100CASIO/CIMG0009.JPG", "100CASIO/CIMG0010.JPG",
                                    "101CASIO/CIMG0001.JPG", "101CASIO/CIMG0002.JPG"}) {
    Put("DCIM/" + picture, 2, picture.c_str());
    ASSERT_EQ(Transfer(false, 1).Text(), "");
    EXPECT_EQ(m_outcome.storedName, picture.substr(9)) << picture << " not taken";
    EXPECT_EQ(velotest::TempDir::ReadFile(m_outcome.StoredPath()), picture);
  }
  fs::remove(m_camera + "/DCIM/101CASIO/CIMG0002.JPG");
  ASSERT_EQ(Transfer(false, 1).Text(), "");
  EXPECT_FALSE(m_outcome.storedNew) << m_outcome.storedName << " was taken twice";
}

// Once a series has copied from a drive, a second camera's drive is passed over, beside it or
// in its place (another volume at its root).
TEST_F(PictureTransferTest, ASeriesKeepsToTheDriveItCopiedFromFirst) {
  m_volumes.AddPartition("8:33", "devices/pci0000:00/0000:00:14.0/usb1/1-3/block/sdc", "sdc1");
  m_volumes.NameUuid("1111-AAAA", "sdb1");
  m_volumes.NameUuid("2222-BBBB", "sdc1");
  Put("DCIM/100CASIO/CIMG0001.JPG", 1);
  AttachCamera();
  ASSERT_EQ(Transfer(true, 1).Text(), "");
  m_volumes.Unmount(m_camera);
  for (const std::string& root : {m_volumes.dir() + "/second camera", m_camera}) {
    SCOPED_TRACE(root);
    velotest::WriteFile(root + "/DCIM/100CASIO/CIMG0005.JPG", "second camera");
    m_volumes.Mount("8:33", root, "vfat", "/dev/sdc1");
    m_clock = {};
    const Result result = Transfer(true, 1, 1000);
    EXPECT_NE(result.Text().find("\n\nPassed over: " + root + ". This series takes pictures only " +
                                 "from " + m_camera + ", the camera's drive it copied from first."),
              std::string::npos)
        << result.Text();
    EXPECT_EQ(m_clock.now, 1000);
    EXPECT_EQ(Below(root), Files{"DCIM/100CASIO/CIMG0005.JPG"});
    m_volumes.Unmount(root);
  }
}

// A copy onto the camera's own drive (named so, through a link, or in a folder not made yet) or
// into a folder gone with the volume it lay on (root only: a mount of its own) is refused and
// deletes nothing.
TEST_F(PictureTransferTest, ACopyWhereItWouldNotBeSafeIsRefused) {
  Put("DCIM/100CASIO/CIMG0001.JPG", 1);
  AttachCamera();
  const std::string onCamera = m_camera + "/backup", link = m_volumes.dir() + "/to camera";
  fs::create_directories(onCamera);
  fs::create_symlink(onCamera, link);
  const std::string lies = " lies on the camera's own drive " + m_camera + ", so a copy";
  const std::string onStick = m_dest + "/pictures";
  const std::pair<std::string, std::string> cases[] = {
      {onCamera, lies},
      {link, lies},
      {m_camera + "/not made", lies},
      {onStick, " is no longer on the drive it was on when the series started"},
  };
  for (const auto& [destination, says] : cases) {
    SCOPED_TRACE(destination);
    if (destination == onStick) {
      if (!test::CanMountCards())
        GTEST_SKIP() << "the unmounted destination needs root";
      ASSERT_TRUE(test::IsolateMounts());
      ASSERT_EQ(::mount("tmpfs", m_dest.c_str(), "tmpfs", 0, nullptr), 0);
      fs::create_directories(onStick);
    }
    m_transfer.StartSeries({destination, true, 0});
    if (destination == onStick) {
      ASSERT_EQ(::umount(m_dest.c_str()), 0);
    }
    const Result refused =
        m_transfer
            .CopyNewestPicture(m_atStart, {destination, true, 0}, m_clock, 0, m_volumes.Sources())
            .result;
    EXPECT_NE(refused.Text().find(destination + says), std::string::npos) << refused.Text();
    EXPECT_EQ(Below(m_camera), Files{"DCIM/100CASIO/CIMG0001.JPG"});
    EXPECT_EQ(Below(m_dest), Files{});
  }
}

// A new volume is a camera by a camera's DCIM folder (CASIO first), awaited until the delay ends.
TEST_F(PictureTransferTest, OnlyTheCamerasDriveIsTakenAmongNewVolumes) {
  const std::string phone = m_volumes.dir() + "/phone";
  m_volumes.AddPartition("8:18", velotest::kUsbDiskPath, "sdb2");
  enum { Never, AtOnce, HalfASecondLater };  // when the camera comes after the phone
  const std::pair<const char*, int> cases[] = {{"DCIM/Camera/IMG_0001.JPG", HalfASecondLater},
                                               {"DCIM/100ANDRO/IMG_0001.JPG", AtOnce},
                                               {"DCIM/Camera/IMG_0001.JPG", Never},
                                               {"DCIM/10_ANDRO/IMG_0001.JPG", Never}};
  for (const auto& [phonePicture, cameraComes] : cases) {
    SCOPED_TRACE(phonePicture);
    for (const std::string& folder : {phone, m_dest}) fs::remove_all(folder);
    fs::create_directories(m_dest);
    velotest::WriteFile(phone + "/" + phonePicture, "phone");
    Put("DCIM/100CASIO/CIMG0001.JPG", 1);
    m_volumes.Mount("8:18", phone, "vfat", "/dev/sdb2");
    m_clock = {};
    if (cameraComes == HalfASecondLater)
      m_clock.atHalfASecond = [this] { AttachCamera(); };
    else if (cameraComes == AtOnce)
      AttachCamera();
    m_transfer = PictureTransfer();
    const Result result = Transfer(true, 1, 8000);
    EXPECT_EQ(result.Ok(), cameraComes != Never) << result.Text();
    EXPECT_EQ(m_outcome.drive, cameraComes != Never ? m_camera : "");
    if (cameraComes == Never)
      EXPECT_EQ(m_clock.now, 8000);
    else
      EXPECT_LE(m_clock.now, 500 + static_cast<std::int64_t>(kDrivePollMs));
    EXPECT_EQ(Below(phone), Files{phonePicture});
    EXPECT_EQ(Below(m_dest), cameraComes != Never ? Files{"CIMG0001.JPG"} : Files{});
    for (const std::string& drive : {phone, m_camera}) m_volumes.Unmount(drive);
  }
}

// A file that took the copied one's place on the camera is not deleted.
TEST(CameraDrive, DeletesOnlyTheFileCopied) {
  velotest::TempDir card, dest;
  CameraDrive camera;
  ASSERT_TRUE(camera.Open(card.Path()));
  const std::string path = card / "DCIM/CIMG0001.JPG";
  velotest::WriteFile(path, "copied");
  const ResultOf<StoredCopy> stored =
      camera.CopyOut({"DCIM", "CIMG0001.JPG"}, dest.Path(), "P.JPG");
  ASSERT_TRUE(stored);
  const FileIdentity copied = stored->source;
  fs::rename(path, card / "old");
  velotest::WriteFile(path, "new");
  EXPECT_FALSE(camera.Remove({"DCIM", "CIMG0001.JPG"}, copied));
  EXPECT_EQ(velotest::TempDir::ReadFile(path), "new");
}

}  // namespace
}  // namespace vel
