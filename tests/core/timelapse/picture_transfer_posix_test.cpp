// The picture transfer on real files: a camera drive in a temporary folder,
// made known through a fixture mount table, and a destination folder.

#include "core/timelapse/picture_transfer.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "fixtures/volume_fixture.h"

namespace {

namespace fs = std::filesystem;
using velotest::FakeVolumes;
using velotest::TempDir;

constexpr const char* kDriveLetterMessage =
    "Detecting USB drive letter failed.\nSwitching REC -> USB failed.\n"
    "Increase \"Delay REC -> USB\" value (see \"Config\").";
constexpr const char* kDriveTypeMessage =
    "Detecting USB drive type failed.\nSwitching REC -> USB failed.\n"
    "Increase \"Delay REC -> USB\" value (see \"Config\").";

std::string CopyErrorMessage(int error) {
  return std::string("Copy error.\nSystem error message:\n\n") + std::strerror(error);
}

// Seconds since 1970 for a day of January 2001, long before any test runs.
std::time_t Day(int day) {
  return 978307200 + (day - 1) * 86400;
}

void SetLastWrite(const std::string& path, std::time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file below folder, as paths relative to it.
std::set<std::string> FilesBelow(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (!entry.is_directory())
      files.insert(fs::relative(entry.path(), folder).string());
  return files;
}

// The entries of a folder in the system's listing order.
std::vector<std::string> ListedNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir)
    return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

class SettingsGuard {
 public:
  SettingsGuard()
      : m_dest(vel::DestFileDir),
        m_copyAndDelete(vel::CopyAndDelete),
        m_delete(vel::DeleteAfterCopy) {}
  ~SettingsGuard() {
    vel::DestFileDir = m_dest;
    vel::CopyAndDelete = m_copyAndDelete;
    vel::DeleteAfterCopy = m_delete;
  }

 private:
  std::string m_dest;
  int m_copyAndDelete;
  int m_delete;
};

enum CopyAndDeleteChoice { kPictureAndThumbnail = 0, kPictureOnly = 1, kThumbnailOnly = 2 };

class PictureTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    velotest::AddUsbCamera(m_volumes);
    // The camera's mount point has a blank, which the mount table escapes.
    m_camera = m_volumes.dir() + "/camera drive";
    m_dest = m_volumes.dir() + "/destination";
    fs::create_directories(m_camera);
    fs::create_directories(m_dest);
    vel::DestFileDir = m_dest;
    vel::CopyAndDelete = kPictureOnly;
    vel::DeleteAfterCopy = 0;
    m_atStart = vel::TakeDriveSnapshot(m_volumes.Sources());
  }

  // The camera switched to USB mode: its drive appears as a USB disk.
  void AttachCamera() { m_volumes.Mount("8:17", m_camera, "vfat", "/dev/sdb1"); }

  // A file on the camera, path relative to its root.
  std::string PutOnCamera(const std::string& relative, const std::string& content,
                          std::time_t lastWrite) {
    const std::string path = m_camera + "/" + relative;
    velotest::WriteFile(path, content);
    SetLastWrite(path, lastWrite);
    return path;
  }

  std::string OnCamera(const std::string& relative) const { return m_camera + "/" + relative; }
  std::string InDest(const std::string& relative) const { return m_dest + "/" + relative; }

  vel::TransferResult Transfer() {
    return m_transfer.CopyNewestPicture(m_atStart, m_volumes.Sources());
  }

  SettingsGuard m_settings;
  FakeVolumes m_volumes;
  std::string m_camera;
  std::string m_dest;
  vel::DriveSnapshot m_atStart;
  vel::PictureTransfer m_transfer;
};

void ExpectSuccess(const vel::TransferResult& result) {
  EXPECT_EQ(result.ok, 1);
  EXPECT_EQ(result.message, "");
  EXPECT_EQ(result.detail, "");
}

// ---- what is copied and deleted ----

TEST_F(PictureTransferTest, FirstTransferTakesTheNewestPictureWhateverItsAge) {
  PutOnCamera("DCIM/100CASIO/CIMG0001.JPG", "oldest", Day(1));
  PutOnCamera("DCIM/100CASIO/CIMG0002.JPG", "newest", Day(3));
  PutOnCamera("DCIM/101CASIO/CIMG0003.JPG", "middle", Day(2));
  velotest::WriteFile(InDest("CIMG0002.JPG"), "an older copy");
  AttachCamera();

  ExpectSuccess(Transfer());
  EXPECT_EQ(m_transfer.LastPath(), OnCamera("DCIM/100CASIO/CIMG0002.JPG"));
  EXPECT_EQ(m_transfer.LastName(), "CIMG0002.JPG");
  EXPECT_EQ(FilesBelow(m_dest), (std::set<std::string>{"CIMG0002.JPG"}));
  EXPECT_EQ(ReadFile(InDest("CIMG0002.JPG")), "newest");
  EXPECT_EQ(fs::last_write_time(InDest("CIMG0002.JPG")),
            fs::last_write_time(OnCamera("DCIM/100CASIO/CIMG0002.JPG")));
  EXPECT_TRUE(fs::exists(OnCamera("DCIM/100CASIO/CIMG0002.JPG")));
}

TEST_F(PictureTransferTest, TheSamePictureIsNotTakenTwiceWhateverTheCaseOfItsPath) {
  PutOnCamera("DCIM/100casio/CIMG0001.JPG", "first", Day(1));
  AttachCamera();
  ExpectSuccess(Transfer());
  fs::remove(InDest("CIMG0001.JPG"));

  // The camera's file system may report the folder's name in another case.
  fs::rename(OnCamera("DCIM/100casio"), OnCamera("DCIM/100CASIO"));
  ExpectSuccess(Transfer());
  EXPECT_TRUE(FilesBelow(m_dest).empty());
  EXPECT_EQ(m_transfer.LastName(), "CIMG0001.JPG");

  PutOnCamera("DCIM/100CASIO/CIMG0002.JPG", "second", Day(2));
  ExpectSuccess(Transfer());
  EXPECT_EQ(FilesBelow(m_dest), (std::set<std::string>{"CIMG0002.JPG"}));
  EXPECT_EQ(m_transfer.LastPath(), OnCamera("DCIM/100CASIO/CIMG0002.JPG"));
}

TEST_F(PictureTransferTest, PictureAndThumbnailWithDeleteLeaveNothingOnTheCamera) {
  vel::CopyAndDelete = kPictureAndThumbnail;
  vel::DeleteAfterCopy = 1;
  PutOnCamera("DCIM/100CASIO/CIMG0001.JPG", "picture", Day(1));
  PutOnCamera("DCIM/100CASIO/PREVIEW/CIMG0001.JPG", "thumbnail", Day(1));
  AttachCamera();

  ExpectSuccess(Transfer());
  EXPECT_EQ(FilesBelow(m_dest), (std::set<std::string>{"CIMG0001.JPG", "PREVIEW/CIMG0001.JPG"}));
  EXPECT_EQ(ReadFile(InDest("CIMG0001.JPG")), "picture");
  EXPECT_EQ(ReadFile(InDest("PREVIEW/CIMG0001.JPG")), "thumbnail");
  EXPECT_TRUE(FilesBelow(OnCamera("DCIM")).empty());
}

TEST_F(PictureTransferTest, ThumbnailOnlyLeavesThePictureOnTheCamera) {
  vel::CopyAndDelete = kThumbnailOnly;
  vel::DeleteAfterCopy = 1;
  PutOnCamera("DCIM/100CASIO/CIMG0001.JPG", "picture", Day(1));
  PutOnCamera("DCIM/100CASIO/PREVIEW/CIMG0001.JPG", "thumbnail", Day(1));
  AttachCamera();

  ExpectSuccess(Transfer());
  EXPECT_EQ(FilesBelow(m_dest), (std::set<std::string>{"PREVIEW/CIMG0001.JPG"}));
  EXPECT_EQ(FilesBelow(OnCamera("DCIM")), (std::set<std::string>{"100CASIO/CIMG0001.JPG"}));
}

TEST_F(PictureTransferTest, NameIsTheFileNameWhateverItsLength) {
  vel::CopyAndDelete = kPictureAndThumbnail;
  vel::DeleteAfterCopy = 1;
  PutOnCamera("DCIM/100CASIO/LONGER_NAME_0001.JPG", "long", Day(1));
  PutOnCamera("DCIM/100CASIO/PREVIEW/LONGER_NAME_0001.JPG", "long thumbnail", Day(1));
  AttachCamera();
  ExpectSuccess(Transfer());
  EXPECT_EQ(m_transfer.LastName(), "LONGER_NAME_0001.JPG");

  PutOnCamera("DCIM/100CASIO/P1.JPG", "short", Day(2));
  PutOnCamera("DCIM/100CASIO/PREVIEW/P1.JPG", "short thumbnail", Day(2));
  ExpectSuccess(Transfer());
  EXPECT_EQ(m_transfer.LastName(), "P1.JPG");
  EXPECT_EQ(FilesBelow(m_dest),
            (std::set<std::string>{"LONGER_NAME_0001.JPG", "PREVIEW/LONGER_NAME_0001.JPG", "P1.JPG",
                                   "PREVIEW/P1.JPG"}));
  EXPECT_EQ(ReadFile(InDest("PREVIEW/P1.JPG")), "short thumbnail");
  EXPECT_TRUE(FilesBelow(OnCamera("DCIM")).empty());
}

// ---- which picture is the newest ----

TEST_F(PictureTransferTest, HtmlIsSkippedButHtmlInLowerCaseIsSearched) {
  PutOnCamera("DCIM/HTML/NEWEST.JPG", "html pages", Day(3));
  PutOnCamera("DCIM/html/MIDDLE.JPG", "middle", Day(2));
  PutOnCamera("DCIM/100CASIO/OLDEST.JPG", "oldest", Day(1));
  AttachCamera();

  ExpectSuccess(Transfer());
  EXPECT_EQ(m_transfer.LastPath(), OnCamera("DCIM/html/MIDDLE.JPG"));
}

TEST_F(PictureTransferTest, OnlyNamesEndingInJpgInPictureFoldersCount) {
  PutOnCamera("DCIM/100CASIO/A.jpg", "a", Day(1));
  PutOnCamera("DCIM/100CASIO/B.Jpg", "b", Day(2));
  PutOnCamera("DCIM/100CASIO/C.AVI", "movie", Day(5));
  PutOnCamera("DCIM/100CASIO/D.JPEG", "other ending", Day(6));
  PutOnCamera("DCIM/100CASIO/E.JPG.txt", "text", Day(7));
  PutOnCamera("DCIM/LOOSE.JPG", "directly in DCIM", Day(8));
  PutOnCamera("DCIM/100CASIO/PREVIEW/F.JPG", "a thumbnail", Day(9));
  AttachCamera();

  ExpectSuccess(Transfer());
  EXPECT_EQ(m_transfer.LastPath(), OnCamera("DCIM/100CASIO/B.Jpg"));
}

TEST_F(PictureTransferTest, BetweenEqualTimesTheFirstListedStays) {
  for (const char* folder : {"100CASIO", "101CASIO"})
    for (const char* name : {"P1.JPG", "P2.JPG", "P3.JPG"})
      PutOnCamera(std::string("DCIM/") + folder + "/" + name, name, Day(4));
  AttachCamera();
  const std::string firstFolder = ListedNames(OnCamera("DCIM")).front();
  const std::string firstName = ListedNames(OnCamera("DCIM/" + firstFolder)).front();

  ExpectSuccess(Transfer());
  EXPECT_EQ(m_transfer.LastPath(), OnCamera("DCIM/" + firstFolder + "/" + firstName));
}

TEST_F(PictureTransferTest, EntriesThatAreNoRegularFilesAreNoPictures) {
  PutOnCamera("DCIM/100CASIO/REAL.JPG", "picture", Day(1));
  const std::string folder = OnCamera("DCIM/100CASIO/");
  velotest::WriteFile(m_volumes.dir() + "/elsewhere.jpg", "not on the camera");
  fs::create_symlink(m_volumes.dir() + "/elsewhere.jpg", folder + "LINK.JPG");
  ASSERT_EQ(::mkfifo((folder + "FIFO.JPG").c_str(), 0600), 0);
  fs::create_directory(folder + "FOLDER.JPG");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = folder + "SOCKET.JPG";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  AttachCamera();

  ExpectSuccess(Transfer());
  ::close(sock);
  EXPECT_EQ(m_transfer.LastPath(), OnCamera("DCIM/100CASIO/REAL.JPG"));
}

// ---- failures ----

TEST_F(PictureTransferTest, NoNewDriveGivesTheDriveLetterMessage) {
  PutOnCamera("DCIM/100CASIO/CIMG0001.JPG", "picture", Day(1));
  const vel::TransferResult result = Transfer();
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message, kDriveLetterMessage);
  EXPECT_EQ(m_transfer.LastPath(), "");
}

TEST_F(PictureTransferTest, NewDriveThatIsNotRemovableGivesTheDriveTypeMessage) {
  struct Case {
    const char* majorMinor;
    const char* fsType;
    const char* source;
    const char* typeName;
  };
  for (const Case& drive : {Case{"254:0", "ext4", "/dev/vda", "DRIVE_FIXED"},
                            Case{"0:60", "nfs4", "server:/camera", "DRIVE_REMOTE"}}) {
    SCOPED_TRACE(drive.typeName);
    m_volumes.Mount(drive.majorMinor, m_camera, drive.fsType, drive.source);
    const vel::TransferResult result = Transfer();
    m_volumes.Unmount(m_camera);
    EXPECT_EQ(result.ok, 0);
    EXPECT_EQ(result.message, kDriveTypeMessage);
    EXPECT_EQ(result.detail,
              std::string("Internal error during detecting drive type of calculated USB drive "
                          "letter. It should be of type DRIVE_REMOVABLE but it is of type ") +
                  drive.typeName + ".\n");
  }
}

TEST_F(PictureTransferTest, DriveWithoutDcimGivesNoFilesFound) {
  PutOnCamera("MISC/CIMG0001.JPG", "not in DCIM", Day(1));
  AttachCamera();
  const vel::TransferResult result = Transfer();
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message, "No files found in " + m_camera + "/DCIM/*.* !?");
  EXPECT_EQ(result.detail, "");
}

TEST_F(PictureTransferTest, MissingThumbnailFailsBeforeAnyDelete) {
  vel::CopyAndDelete = kPictureAndThumbnail;
  vel::DeleteAfterCopy = 1;
  PutOnCamera("DCIM/100CASIO/CIMG0001.JPG", "picture", Day(1));
  AttachCamera();

  const vel::TransferResult result = Transfer();
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message, CopyErrorMessage(ENOENT));
  EXPECT_EQ(FilesBelow(m_dest), (std::set<std::string>{"CIMG0001.JPG"}));
  EXPECT_TRUE(fs::exists(OnCamera("DCIM/100CASIO/CIMG0001.JPG")));
}

TEST_F(PictureTransferTest, MissingDestinationFolderFailsAndThePictureIsNotTriedAgain) {
  vel::DestFileDir = m_dest + "/missing";
  vel::DeleteAfterCopy = 1;
  PutOnCamera("DCIM/100CASIO/CIMG0001.JPG", "picture", Day(1));
  AttachCamera();

  const vel::TransferResult result = Transfer();
  EXPECT_EQ(result.ok, 0);
  EXPECT_EQ(result.message, CopyErrorMessage(ENOENT));
  EXPECT_TRUE(fs::exists(OnCamera("DCIM/100CASIO/CIMG0001.JPG")));
  EXPECT_EQ(m_transfer.LastName(), "CIMG0001.JPG");

  ExpectSuccess(Transfer());
  EXPECT_TRUE(FilesBelow(m_dest).empty());
}

// The copy runs in a child whose files may not grow past 64 KiB, so the
// destination "fills up" in the middle of a 256 KiB picture.
TEST_F(PictureTransferTest, DestinationFillingUpLeavesThePictureAndNoPartialFile) {
  vel::CopyAndDelete = kPictureOnly;
  vel::DeleteAfterCopy = 1;
  const std::string picture(256 * 1024, 'p');
  velotest::WriteFile(InDest("CIMG0001.JPG"), "the copy of an earlier run");
  PutOnCamera("DCIM/100CASIO/CIMG0001.JPG", picture, Day(1));
  AttachCamera();

  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const vel::TransferResult result = Transfer();
    const std::string report = std::to_string(result.ok) + "\n" + result.message;
    const ssize_t written = ::write(channel[1], report.data(), report.size());
    ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  ::close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(channel[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  EXPECT_EQ(report, "0\n" + CopyErrorMessage(EFBIG));
  EXPECT_EQ(ReadFile(OnCamera("DCIM/100CASIO/CIMG0001.JPG")), picture);
  EXPECT_EQ(FilesBelow(m_dest), (std::set<std::string>{"CIMG0001.JPG"}));
  EXPECT_EQ(ReadFile(InDest("CIMG0001.JPG")), "the copy of an earlier run");
}

// ---- a real removable volume ----

std::string FindTool(const std::string& name) {
  std::string path = ::getenv("PATH") ? ::getenv("PATH") : "";
  path += ":/usr/sbin:/sbin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(':', start), path.size());
    const std::string candidate = path.substr(start, end - start) + "/" + name;
    if (end > start && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

// Runs a program and waits for it; its standard output goes to output when
// given, else with its error output to nowhere. The exit code, -1 when it
// could not run.
int RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr) {
  int channel[2];
  if (::pipe(channel) != 0)
    return -1;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addclose(&actions, channel[0]);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(channel[1]);
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(channel[0]);
  if (spawned != 0)
    return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
    return -1;
  if (output)
    *output = text.substr(0, text.find('\n'));
  return WEXITSTATUS(status);
}

// Undoes, in reverse order, whatever of the mount set-up was done.
class RealMount {
 public:
  ~RealMount() {
    if (mounted && ::umount2(mountPoint.c_str(), 0) != 0)
      ::umount2(mountPoint.c_str(), MNT_DETACH);
    if (!loopDevice.empty())
      RunProgram({losetup, "-d", loopDevice});
    if (!mountPoint.empty())
      ::rmdir(mountPoint.c_str());
    if (createdUserFolder)
      ::rmdir(userFolder.c_str());
  }

  std::string losetup;
  std::string loopDevice;
  std::string userFolder;
  bool createdUserFolder = false;
  std::string mountPoint;
  bool mounted = false;
};

std::string UserName() {
  const passwd* user = ::getpwuid(::geteuid());
  return user ? user->pw_name : "root";
}

TEST(PictureTransferRealMountTest, LoopMountedCameraUnderMediaIsFoundCopiedAndDeleted) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs root to attach a loop device and mount it";
  const std::string mkfs = FindTool("mkfs.ext4");
  RealMount real;
  real.losetup = FindTool("losetup");
  if (mkfs.empty() || real.losetup.empty())
    GTEST_SKIP() << "needs mkfs.ext4 and losetup (e2fsprogs, mount)";

  TempDir dir;
  SettingsGuard settings;
  const std::string staging = dir.Path() + "/staging";
  const std::string dest = dir.Path() + "/destination";
  fs::create_directories(dest);
  velotest::WriteFile(staging + "/DCIM/100CASIO/CIMG0001.JPG", "first");
  velotest::WriteFile(staging + "/DCIM/100CASIO/CIMG0002.JPG", "second");
  velotest::WriteFile(staging + "/DCIM/100CASIO/PREVIEW/CIMG0002.JPG", "second thumbnail");
  SetLastWrite(staging + "/DCIM/100CASIO/CIMG0001.JPG", Day(1));
  SetLastWrite(staging + "/DCIM/100CASIO/CIMG0002.JPG", Day(2));
  const std::string image = dir.Path() + "/camera.img";
  if (RunProgram({mkfs, "-q", "-F", "-L", "CAMERA", "-d", staging, image, "8M"}) != 0)
    GTEST_SKIP() << "mkfs.ext4 cannot build an image filled from a folder here";

  const vel::DriveSnapshot atStart = vel::TakeDriveSnapshot();
  if (RunProgram({real.losetup, "-f", "--show", image}, &real.loopDevice) != 0 ||
      real.loopDevice.empty()) {
    real.loopDevice.clear();
    GTEST_SKIP() << "no loop device can be attached here";
  }
  real.userFolder = "/media/" + UserName();
  ::mkdir("/media", 0755);
  real.createdUserFolder = ::mkdir(real.userFolder.c_str(), 0755) == 0;
  const std::string mountPoint = real.userFolder + "/VELO CAM " + std::to_string(::getpid());
  ASSERT_EQ(::mkdir(mountPoint.c_str(), 0755), 0) << std::strerror(errno);
  real.mountPoint = mountPoint;
  if (::mount(real.loopDevice.c_str(), mountPoint.c_str(), "ext4", 0, nullptr) != 0)
    GTEST_SKIP() << "cannot mount an ext4 loop device here: " << std::strerror(errno);
  real.mounted = true;

  vel::DestFileDir = dest;
  vel::CopyAndDelete = kPictureAndThumbnail;
  vel::DeleteAfterCopy = 1;
  vel::PictureTransfer transfer;
  ExpectSuccess(transfer.CopyNewestPicture(atStart));

  EXPECT_EQ(transfer.LastPath(), mountPoint + "/DCIM/100CASIO/CIMG0002.JPG");
  EXPECT_EQ(ReadFile(dest + "/CIMG0002.JPG"), "second");
  EXPECT_EQ(ReadFile(dest + "/PREVIEW/CIMG0002.JPG"), "second thumbnail");
  EXPECT_FALSE(fs::exists(mountPoint + "/DCIM/100CASIO/CIMG0002.JPG"));
  EXPECT_FALSE(fs::exists(mountPoint + "/DCIM/100CASIO/PREVIEW/CIMG0002.JPG"));
  EXPECT_TRUE(fs::exists(mountPoint + "/DCIM/100CASIO/CIMG0001.JPG"));
}

}  // namespace
