// The serial port, the picture copy and the profile save seen through their system calls: this
// program links a table of its own in place of the real one, which records what each call did
// and can make writes fail or copies come out short.

#include "core/platform/system_calls_posix.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/app/ini_profile.h"
#include "core/camera/com_port.h"
#include "core/platform/clock.h"
#include "core/platform/system_error.h"
#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/picture_transfer_files.h"
#include "support/pseudo_terminal.h"
#include "timelapse/fixtures/volume_fixture.h"

namespace vel {
namespace {

struct Watch {
  std::map<int, std::string> paths;  // the file each descriptor was opened on
  std::map<int, int> modemLines;     // as the modem-line requests left them
  std::set<std::string> flushed;     // files flushed since they were opened
  std::vector<std::string> named;    // files given their name, " unflushed" after such a one
  int writeError = 0;                // when set, writes to the files opened here fail with it
  long copyLeft = -1;                // when not negative, a copy ends early after so many bytes
  int linkError = 0;    // when set, a file system without hard links: renameat2 fails with EINVAL,
                        // link with linkError
  int renameError = 0;  // when set, rename fails with it
} watch;

int Open(const char* path, int flags, mode_t mode) {
  const int fd = ::open(path, flags, mode);
  if (fd >= 0)
    watch.paths[fd] = path, watch.flushed.erase(path);
  return fd;
}

// A pseudo-terminal has no modem lines: they are kept here.
int Ioctl(int fd, unsigned long request, void* argument) {
  const int given = argument ? *static_cast<int*>(argument) : 0;
  if (request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET) {
    int& lines = watch.modemLines[fd];
    lines = request == TIOCMSET ? given : request == TIOCMBIS ? lines | given : lines & ~given;
    return 0;
  }
  return ::ioctl(fd, request, argument);
}

ssize_t Write(int fd, const void* data, size_t size) {
  if (watch.writeError && watch.paths.count(fd))
    return errno = watch.writeError, -1;
  return ::write(fd, data, size);
}

int Fsync(int fd) {
  const int result = ::fsync(fd);
  if (result == 0 && watch.paths.count(fd))
    watch.flushed.insert(watch.paths[fd]);
  return result;
}

// A copy that ends early without an error, as a read does when the camera's drive goes away.
ssize_t CopyFileRange(int in, off64_t* inAt, int out, off64_t* outAt, size_t size, unsigned flags) {
  if (watch.writeError && watch.paths.count(out))
    return errno = watch.writeError, -1;
  if (watch.copyLeft < 0)
    return ::copy_file_range(in, inAt, out, outAt, size, flags);
  char buffer[4096];
  const ssize_t n = ::read(in, buffer, std::min({size, sizeof buffer, size_t(watch.copyLeft)}));
  watch.copyLeft -= std::max<ssize_t>(n, 0);
  return n > 0 ? ::write(out, buffer, size_t(n)) : n;
}

int Named(int result, const char* from, const char* to) {
  if (result == 0)
    watch.named.push_back(to + std::string(watch.flushed.count(from) ? "" : " unflushed"));
  return result;
}
int Renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
  if (watch.linkError)
    return errno = EINVAL, -1;
  return Named(::renameat2(fromDir, from, toDir, to, flags), from, to);
}
int Link(const char* from, const char* to) {
  if (watch.linkError)
    return errno = watch.linkError, -1;
  return Named(::link(from, to), from, to);
}
int Rename(const char* from, const char* to) {
  if (watch.renameError)
    return errno = watch.renameError, -1;
  return Named(::rename(from, to), from, to);
}

class SystemCallsTest : public ::testing::Test {
 protected:
  void SetUp() override { watch = {}; }
};

TEST_F(SystemCallsTest, ThePortRaisesDtrAndRts) {
  test::PseudoTerminal line;
  CComPort port;
  ASSERT_TRUE(port.Open(line.SlavePath()));
  const auto opened = std::find_if(watch.paths.begin(), watch.paths.end(), [&](const auto& entry) {
    return entry.second == line.SlavePath();
  });
  ASSERT_NE(opened, watch.paths.end());
  EXPECT_EQ(watch.modemLines[opened->first], TIOCM_DTR | TIOCM_RTS);
}

// Each copy is flushed before it gets its name: beside an earlier copy, the next free name, which
// its thumbnail takes too. One that came out short or met a full disk gets none, leaves nothing
// behind, and the picture stays on the camera.
TEST_F(SystemCallsTest, OnlyAWholeFlushedCopyIsNamedAndLetsThePictureBeDeleted) {
  velotest::FakeVolumes volumes;
  velotest::AddUsbCamera(volumes);
  const DriveSnapshot atStart = TakeDriveSnapshot(volumes.Sources());
  const std::string camera = volumes.dir() + "/camera", dest = volumes.dir() + "/dest";
  const std::string picture = camera + "/DCIM/100CASIO/CIMG0001.JPG";
  velotest::WriteFile(picture, std::string(100000, 'p'));
  velotest::WriteFile(camera + "/DCIM/100CASIO/PREVIEW/CIMG0001.JPG", "thumbnail");
  velotest::WriteFile(dest + "/CIMG0001.JPG", "an earlier copy");
  volumes.Mount("8:17", camera, "vfat", "/dev/sdb1");
  for (const auto& [copyLeft, writeError, failure] :
       {std::tuple{1000L, 0, EIO}, {-1L, ENOSPC, ENOSPC}, {-1L, 0, 0}}) {
    watch.copyLeft = copyLeft, watch.writeError = writeError;
    PictureTransfer transfer;
    EXPECT_EQ(
        transfer.CopyNewestPicture(atStart, {dest, true, 0}, SteadyClock(), 0, volumes.Sources())
            .result.Text(),
        failure ? "Copy error.\nSystem error message:\n\n" + SystemErrorText(failure) +
                      "\n\nPicture: " + picture + "\nDestination folder: " + dest
                : "");
    EXPECT_EQ(std::filesystem::exists(picture), failure != 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dest), {}), failure ? 1 : 3);
  }
  EXPECT_EQ(test::TempDir::ReadFile(dest + "/CIMG0001.JPG"), "an earlier copy");
  EXPECT_EQ(watch.named,
            (std::vector<std::string>{dest + "/CIMG0001-2.JPG", dest + "/PREVIEW/CIMG0001-2.JPG"}));
}

// Without hard links the name is reserved by an empty file first, whichever error says so; a
// failed rename takes the reserved name back.
TEST_F(SystemCallsTest, WithoutHardLinksACopyTakesTheNameOrLeavesNone) {
  test::TempDir dir;
  const std::string source = dir / "CIMG0001.JPG", folder = dir / "dest";
  using Files = std::set<std::string>;
  const std::tuple<int, int, bool, std::string, Files> cases[] = {
      {ENOSYS, 0, false, "CIMG0001.JPG", {"CIMG0001.JPG"}},
      {EOPNOTSUPP, 0, true, "CIMG0001-2.JPG", {"CIMG0001.JPG", "CIMG0001-2.JPG"}},
      {EPERM, EIO, false, SystemErrorText(EIO), {}},
      {ENOSYS, EIO, true, SystemErrorText(EIO), {"CIMG0001.JPG"}},
  };
  for (const auto& [linkError, renameError, taken, stored, left] : cases) {
    SCOPED_TRACE(SystemErrorText(linkError) + ", rename: " + SystemErrorText(renameError));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    test::TempDir::WriteFile(source, "picture");
    if (taken)
      test::TempDir::WriteFile(folder + "/CIMG0001.JPG", "earlier");
    watch.linkError = linkError, watch.renameError = renameError;
    const ResultOf<std::string> copy = StoreCopySafely(source, folder, "CIMG0001.JPG");
    watch.linkError = watch.renameError = 0;
    EXPECT_EQ(copy ? copy.Value() : copy.Text(), stored);
    EXPECT_EQ(test::Listing(folder), left);
    if (!renameError) {
      EXPECT_EQ(test::TempDir::ReadFile(folder + "/" + stored), "picture");
    }
  }
}

// A full disk fails the save and leaves the old profile whole: the new one goes to a flushed
// temporary file that then takes the profile's name.
TEST_F(SystemCallsTest, TheProfileIsSavedThroughAFlushedTemporaryFile) {
  test::TempDir dir;
  const std::string path = dir / "velorantica.ini", old = "[Options]\nModel=9\n";
  test::TempDir::WriteFile(path, old);
  const IniProfile profile = IniProfile::FromText("[Options]\nModel=3\n");
  watch.writeError = ENOSPC;
  EXPECT_EQ(profile.Save(path).Text(), SystemErrorText(ENOSPC));
  EXPECT_EQ(test::TempDir::ReadFile(path), old);
  watch.writeError = 0;
  ASSERT_TRUE(profile.Save(path));
  EXPECT_EQ(test::TempDir::ReadFile(path), profile.Text());
  EXPECT_EQ(watch.named, std::vector<std::string>{path});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

}  // namespace

constinit const SystemCalls kSystemCalls = {Open,          Ioctl,     Write, Fsync,
                                            CopyFileRange, Renameat2, Link,  Rename};

}  // namespace vel
