#include "qvsim/card.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "qvsim/jpeg_writer.h"
#include "qvsim/picture.h"
#include "qvsim/run_program.h"

namespace qvsim {
namespace {

constexpr off_t kCardBytes = 32 * 1024 * 1024;
constexpr const char* kNamePrefix = "CIMG";
constexpr const char* kNameSuffix = ".JPG";
constexpr int kLastNumber = 9999;
constexpr const char* kMountOptions = "loop,nosuid,nodev,noatime";

// An unmount that the system refuses because a file is open (a file manager
// looking at the card) is tried again for a while before it is forced.
constexpr int kUnmountTries = 10;
constexpr auto kUnmountPause = std::chrono::milliseconds(300);

std::string SystemError() {
  return std::strerror(errno);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// A folder on another file system than its parent is a mount point.
bool IsMountPoint(const std::string& path) {
  struct stat self {};
  struct stat parent {};
  return ::stat(path.c_str(), &self) == 0 && ::stat((path + "/..").c_str(), &parent) == 0 &&
         (self.st_dev != parent.st_dev || self.st_ino == parent.st_ino);
}

bool MakeFolder(const std::string& path, mode_t mode, std::string& error) {
  if (::mkdir(path.c_str(), mode) == 0 || (errno == EEXIST && IsFolder(path)))
    return true;
  error = "cannot create " + path + ": " + SystemError();
  return false;
}

bool IsEmptyFolder(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir)
    return false;
  bool empty = true;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  ::closedir(dir);
  return empty;
}

bool ParseNumber(std::string_view text, long long& value) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size() && !text.empty();
}

bool Succeeds(const std::vector<std::string>& argv) {
  return RunProgram(argv).exitCode == 0;
}

// ---- the helper process -------------------------------------------------

// The card mounted in a mount namespace of the helper's own, at a
// temporary folder, for as long as this object lives.
class PrivateMount {
 public:
  ~PrivateMount() {
    if (m_mounted)
      Succeeds({FindProgram("umount"), m_folder});
    if (!m_folder.empty())
      ::rmdir(m_folder.c_str());
  }

  bool Mount(const std::string& image, std::string& error) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      error = "cannot make a private mount namespace: " + SystemError();
      return false;
    }
    char pattern[] = "/tmp/qvsim-card-XXXXXX";
    if (!::mkdtemp(pattern)) {
      error = "cannot make a temporary folder: " + SystemError();
      return false;
    }
    m_folder = pattern;
    m_mounted =
        Succeeds({FindProgram("mount"), "-t", "ext4", "-o", kMountOptions, image, m_folder});
    if (!m_mounted)
      error = "cannot mount " + image;
    return m_mounted;
  }

  std::string Path(const std::string& inside) const { return m_folder + "/" + inside; }
  const std::string& Root() const { return m_folder; }

 private:
  std::string m_folder;
  bool m_mounted = false;
};

struct HelperArgs {
  std::string image;
  uid_t uid = 0;
  gid_t gid = 0;
};

bool MakeOwnedFolder(const std::string& path, const HelperArgs& args, std::string& error) {
  if (!MakeFolder(path, 0755, error))
    return false;
  if (::lchown(path.c_str(), args.uid, args.gid) != 0) {
    error = "cannot hand " + path + " to its owner: " + SystemError();
    return false;
  }
  return true;
}

bool MakePictureFolders(const std::string& root, const HelperArgs& args, std::string& error) {
  return MakeOwnedFolder(root + "/DCIM", args, error) &&
         MakeOwnedFolder(root + "/" + kPictureFolder, args, error) &&
         MakeOwnedFolder(root + "/" + kPreviewFolder, args, error);
}

int HighestNumber(const std::string& folder) {
  int highest = 0;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir))
      highest = std::max(highest, PictureNumber(entry->d_name));
    ::closedir(dir);
  }
  return highest;
}

bool WriteOwnedFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    const HelperArgs& args, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  std::size_t written = 0;
  while (ok && written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR)
      continue;
    ok = n > 0;
    if (ok)
      written += static_cast<std::size_t>(n);
  }
  ok = ok && ::fchown(fd, args.uid, args.gid) == 0 && ::fsync(fd) == 0;
  if (!ok)
    error = "cannot write " + path + ": " + SystemError();
  if (fd >= 0)
    ::close(fd);
  if (!ok)
    ::unlink(path.c_str());
  return ok;
}

int HelperPrepare(const HelperArgs& args) {
  PrivateMount card;
  std::string error;
  if (!card.Mount(args.image, error) || !MakePictureFolders(card.Root(), args, error)) {
    std::fprintf(stderr, "qvsim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%d\n", HighestNumber(card.Path(kPictureFolder)));
  return 0;
}

// Stores the first free picture from number on, with its thumbnail, in the
// card's folders under root; its number, or 0 with the reason in error.
int StorePicture(const std::string& root, int number, std::time_t when, const std::string& model,
                 const HelperArgs& args, std::string& error) {
  const std::string folder = root + "/" + kPictureFolder + "/";
  const std::string previews = root + "/" + kPreviewFolder + "/";
  while (number <= kLastNumber &&
         (Exists(folder + PictureName(number)) || Exists(previews + PictureName(number))))
    ++number;
  if (number > kLastNumber) {
    error = "no free picture number left on the card";
    return 0;
  }
  const ShotInfo shot{number, when, model, PictureName(number)};
  const GrayImage picture = DrawShot(shot);
  if (!WriteOwnedFile(folder + shot.fileName, EncodeJpeg(picture), args, error) ||
      !WriteOwnedFile(previews + shot.fileName, EncodeJpeg(Downscale(picture, kThumbnailFactor)),
                      args, error))
    return 0;
  return number;
}

int HelperShoot(const HelperArgs& args, int number, std::time_t when, const std::string& model) {
  PrivateMount card;
  std::string error;
  int stored = 0;
  if (card.Mount(args.image, error) && MakePictureFolders(card.Root(), args, error))
    stored = StorePicture(card.Root(), number, when, model, args, error);
  if (stored == 0) {
    std::fprintf(stderr, "qvsim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%d\n", stored);
  return 0;
}

}  // namespace

std::string PictureName(int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", number);
  return kNamePrefix + std::string(digits) + kNameSuffix;
}

int PictureNumber(const std::string& name) {
  const std::string expected = PictureName(0);
  if (name.size() != expected.size())
    return 0;
  int number = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    if (expected[i] == '0') {
      if (!std::isdigit(static_cast<unsigned char>(c)))
        return 0;
      number = number * 10 + (c - '0');
    } else if (c != expected[i]) {
      return 0;
    }
  }
  return number;
}

int RunCardHelper(int argc, const char* const* argv) {
  // argv[0] is the helper flag, then the action and its arguments.
  const std::vector<std::string> args(argv, argv + argc);
  long long uid = 0, gid = 0, number = 0, when = 0;
  const bool common = args.size() >= 5 && ParseNumber(args[3], uid) && ParseNumber(args[4], gid);
  const HelperArgs helper{common ? args[2] : std::string(), static_cast<uid_t>(uid),
                          static_cast<gid_t>(gid)};
  if (common && args[1] == "prepare" && args.size() == 5)
    return HelperPrepare(helper);
  if (common && args[1] == "shoot" && args.size() == 8 && ParseNumber(args[5], number) &&
      ParseNumber(args[6], when))
    return HelperShoot(helper, static_cast<int>(number), static_cast<std::time_t>(when), args[7]);
  std::fprintf(stderr, "qvsim: bad card helper call\n");
  return 2;
}

// ---- the card as the simulator sees it ----------------------------------

std::string CardRefusal() {
  if (::geteuid() != 0)
    return "--card needs root: the card image is mounted through a loop device "
           "(run qvsim with sudo)";
  if (::access("/dev/loop-control", F_OK) != 0)
    return "--card needs loop devices, and /dev/loop-control is missing "
           "(load the loop module: modprobe loop)";
  for (const char* program : {"mkfs.ext4", "mount", "umount"}) {
    if (FindProgram(program).empty())
      return std::string("--card needs ") + program + " (Debian packages e2fsprogs, mount)";
  }
  return {};
}

MemoryCard::MemoryCard(CardSettings settings, Log log)
    : m_settings(std::move(settings)), m_log(std::move(log)) {}

MemoryCard::~MemoryCard() {
  if (m_lock >= 0)
    ::close(m_lock);
}

std::string MemoryCard::ImagePath() const {
  return m_settings.folder + "/" + kCardImageName;
}

std::string MemoryCard::MountPoint() const {
  if (m_settings.plainFolder)
    return m_settings.folder;
  return "/media/" + m_settings.user + "/" + m_settings.label;
}

std::vector<std::string> MemoryCard::HelperCommand(const std::string& action) const {
  return {m_settings.helper,
          kCardHelperFlag,
          action,
          ImagePath(),
          std::to_string(m_settings.uid),
          std::to_string(m_settings.gid)};
}

bool MemoryCard::CreateImage(std::string& error) {
  const std::string image = ImagePath();
  const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  const bool sized = fd >= 0 && ::ftruncate(fd, kCardBytes) == 0 &&
                     ::fchown(fd, m_settings.uid, m_settings.gid) == 0;
  if (fd >= 0)
    ::close(fd);
  const std::string owner =
      "root_owner=" + std::to_string(m_settings.uid) + ":" + std::to_string(m_settings.gid);
  if (!sized || !Succeeds({FindProgram("mkfs.ext4"), "-q", "-F", "-m", "0", "-L", m_settings.label,
                           "-E", owner, image})) {
    error = "cannot create the card image " + image + (sized ? "" : ": " + SystemError());
    ::unlink(image.c_str());
    return false;
  }
  m_log("Card: new card image " + image);
  return true;
}

// Two simulators on one image would mount it twice and spoil it.
bool MemoryCard::LockImage(std::string& error) {
  m_lock = ::open(ImagePath().c_str(), O_RDONLY | O_CLOEXEC);
  if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? ImagePath() + " is in use by another qvsim"
                                 : "cannot open " + ImagePath() + ": " + SystemError();
    return false;
  }
  return true;
}

bool MemoryCard::ReleaseStaleMount(std::string& error) {
  const std::string mountPoint = MountPoint();
  if (!Exists(mountPoint))
    return true;
  if (IsMountPoint(mountPoint)) {
    m_log("Card: unmounting " + mountPoint + ", left mounted by an earlier run");
    return UnmountFromUsb(error);
  }
  if (!IsEmptyFolder(mountPoint)) {
    error = mountPoint + " exists and is not empty; choose another --label";
    return false;
  }
  return true;
}

bool MemoryCard::Prepare(std::string& error) {
  if (!Exists(m_settings.folder)) {
    // A new card folder belongs to the card's user, like the image in it.
    if (!MakeFolder(m_settings.folder, 0755, error))
      return false;
    if (::chown(m_settings.folder.c_str(), m_settings.uid, m_settings.gid) != 0) {
      error = "cannot hand " + m_settings.folder + " to " + m_settings.user + ": " + SystemError();
      return false;
    }
  }
  if (m_settings.plainFolder) {
    if (!MakePictureFolders(m_settings.folder, {{}, m_settings.uid, m_settings.gid}, error))
      return false;
    m_nextNumber = HighestNumber(m_settings.folder + "/" + kPictureFolder) + 1;
    return true;
  }
  if (!Exists(ImagePath()) && !CreateImage(error))
    return false;
  if (!LockImage(error) || !ReleaseStaleMount(error))
    return false;
  const ProgramResult prepared = RunProgram(HelperCommand("prepare"), true);
  long long highest = 0;
  if (prepared.exitCode != 0 || !ParseNumber(prepared.output, highest)) {
    error = "cannot prepare the card image " + ImagePath();
    return false;
  }
  m_nextNumber = static_cast<int>(highest) + 1;
  return true;
}

void MemoryCard::TakePicture(std::time_t when) {
  if (m_usbMode) {
    m_log("Card: the camera is in USB mode and takes no picture");
    return;
  }
  long long number = 0;
  std::string error = "storing the picture failed";
  if (m_settings.plainFolder) {
    number = StorePicture(m_settings.folder, m_nextNumber, when, m_settings.model,
                          {{}, m_settings.uid, m_settings.gid}, error);
  } else {
    std::vector<std::string> command = HelperCommand("shoot");
    command.push_back(std::to_string(m_nextNumber));
    command.push_back(std::to_string(static_cast<long long>(when)));
    command.push_back(m_settings.model);
    const ProgramResult shot = RunProgram(command, true);
    if (shot.exitCode != 0 || !ParseNumber(shot.output, number))
      number = 0;
  }
  if (number <= 0) {
    m_log("Card: " + error);
    return;
  }
  m_nextNumber = static_cast<int>(number) + 1;
  const std::string name = PictureName(static_cast<int>(number));
  m_log("Card: stored " + std::string(kPictureFolder) + "/" + name + " and " + kPreviewFolder +
        "/" + name);
}

bool MemoryCard::RunUsbCommand(const char* mode, std::string& error) {
  if (m_settings.usbCommand.empty() || Succeeds({"/bin/sh", "-c", m_settings.usbCommand + " \"$@\"",
                                                 "qvsim", mode, m_settings.folder}))
    return true;
  error = "the USB command failed: " + m_settings.usbCommand + " " + mode + " " + m_settings.folder;
  return false;
}

bool MemoryCard::MountForUsb(std::string& error) {
  if (m_settings.plainFolder)
    return RunUsbCommand("usb", error);
  const std::string userFolder = "/media/" + m_settings.user;
  const std::string mountPoint = MountPoint();
  if (!MakeFolder("/media", 0755, error) || !MakeFolder(userFolder, 0755, error) ||
      !MakeFolder(mountPoint, 0755, error))
    return false;
  if (!Succeeds(
          {FindProgram("mount"), "-t", "ext4", "-o", kMountOptions, ImagePath(), mountPoint})) {
    ::rmdir(mountPoint.c_str());
    error = "cannot mount the card at " + mountPoint;
    return false;
  }
  return true;
}

bool MemoryCard::UnmountFromUsb(std::string& error) {
  if (m_settings.plainFolder)
    return RunUsbCommand("rec", error);
  const std::string mountPoint = MountPoint();
  const std::string umount = FindProgram("umount");
  bool done = false;
  for (int i = 0; i < kUnmountTries && !done; ++i) {
    if (i > 0)
      std::this_thread::sleep_for(kUnmountPause);
    done = Succeeds({umount, mountPoint});
  }
  if (!done) {
    m_log("Warning: the card is busy at " + mountPoint + "; detaching it anyway");
    done = Succeeds({umount, "--lazy", mountPoint});
  }
  if (!done) {
    error = "cannot unmount the card from " + mountPoint;
    return false;
  }
  ::rmdir(mountPoint.c_str());
  return true;
}

void MemoryCard::SwitchUsbRec() {
  std::string error;
  if (!m_usbMode && MountForUsb(error)) {
    m_usbMode = true;
    m_log("Card: USB mode, mounted at " + MountPoint());
  } else if (m_usbMode && UnmountFromUsb(error)) {
    m_usbMode = false;
    m_log("Card: REC mode, unmounted from " + MountPoint());
  }
  if (!error.empty())
    m_log("Card: " + error);
}

void MemoryCard::Eject() {
  if (m_usbMode)
    SwitchUsbRec();
}

// ---- worker ---------------------------------------------------------------

CardWorker::CardWorker(MemoryCard& card, int mountDelayMs)
    : m_card(card), m_mountDelayMs(mountDelayMs), m_thread([this] { Work(); }) {}

CardWorker::~CardWorker() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_one();
  m_thread.join();
  m_card.Eject();
}

void CardWorker::Post(CameraEvent event, std::time_t when) {
  if (event == CameraEvent::None)
    return;
  {
    std::lock_guard lock(m_mutex);
    m_events.emplace_back(event, when);
  }
  m_wake.notify_one();
}

void CardWorker::Work() {
  for (;;) {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_stopping || !m_events.empty(); });
    if (m_events.empty())
      return;  // stopping, and nothing left to do
    const auto [event, when] = m_events.front();
    m_events.pop_front();
    lock.unlock();
    if (event == CameraEvent::ShutterReleased)
      m_card.TakePicture(when);
    else if (event == CameraEvent::UsbRecSwitch) {
      if (!m_card.InUsbMode())
        std::this_thread::sleep_for(std::chrono::milliseconds(m_mountDelayMs));
      m_card.SwitchUsbRec();
    }
  }
}

}  // namespace qvsim
