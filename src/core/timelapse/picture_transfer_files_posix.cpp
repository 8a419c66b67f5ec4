// File operations of the picture transfer on POSIX systems.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/system_calls_posix.h"
#include "core/platform/system_error.h"
#include "core/timelapse/picture_transfer_files.h"

namespace vel {

const char kPathSeparator = '/';

namespace {

// 1970-01-01 on the 1601-based file-time scale.
constexpr FileTime kUnixEpochFileTime = 116444736000000000;
constexpr FileTime kFileTimeStepsPerSecond = 10000000;
constexpr FileTime kNanosecondsPerStep = 100;

constexpr std::size_t kCopyChunk = 1 << 20;
constexpr int kTempNameAttempts = 100;

FileTime ToFileTime(const timespec& time) {
  return kUnixEpochFileTime + static_cast<FileTime>(time.tv_sec) * kFileTimeStepsPerSecond +
         time.tv_nsec / kNanosecondsPerStep;
}

EntryKind KindOf(mode_t mode) {
  if (S_ISDIR(mode))
    return EntryKind::Folder;
  if (S_ISREG(mode))
    return EntryKind::RegularFile;
  return EntryKind::Other;
}

Result Fail(int error) {
  return Result::Failure(SystemErrorText(error));
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    std::swap(m_fd, other.m_fd);
    return *this;
  }

  int get() const { return m_fd; }
  int release() { return std::exchange(m_fd, -1); }
  explicit operator bool() const { return m_fd >= 0; }
  // Closes now and tells whether the system took the close, which is where
  // some file systems report late write errors.
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

// A file that is deleted again unless it is kept.
class TempFile {
 public:
  explicit TempFile(std::string path) : m_path(std::move(path)) {}
  ~TempFile() {
    if (!m_kept)
      ::unlink(m_path.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& path() const { return m_path; }
  void Keep() { m_kept = true; }

 private:
  std::string m_path;
  bool m_kept = false;
};

// Opens a new temporary file in folder (PartFileName). The file gets the usual 0666 less the
// umask.
int CreateTempIn(const std::string& folder, std::string& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    tempPath = folder + "/" + PartFileName(static_cast<std::uint32_t>(::getpid()), ++counter);
    const int fd =
        kSystemCalls.open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

// Writes all of data; false with errno set when the system took less.
bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = kSystemCalls.write(fd, data, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      if (n == 0)
        errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// One step of the plain copy: bytes moved, 0 at the end, -1 on error.
ssize_t CopyChunkThroughBuffer(int in, int out, std::vector<char>& buffer) {
  ssize_t n;
  do {
    n = ::read(in, buffer.data(), buffer.size());
  } while (n < 0 && errno == EINTR);
  if (n > 0 && !WriteAll(out, buffer.data(), static_cast<std::size_t>(n)))
    return -1;
  return n;
}

// Errors with which the kernel refuses to copy between these two files at
// all (different file systems, a file system without support).
bool KernelCopyRefused(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF;
}

// Copies in to out to the end of in, in the kernel where it can, else
// through a buffer. copied counts the bytes written.
bool CopyContents(int in, int out, off_t& copied) {
  copied = 0;
  bool kernelCopy = true;
  std::vector<char> buffer;
  for (;;) {
    ssize_t n;
    if (kernelCopy) {
      n = kSystemCalls.copyFileRange(in, nullptr, out, nullptr, kCopyChunk, 0);
      // Some file systems refuse, others report nothing to copy where there
      // is data: both only before the first byte, so the buffer takes over.
      if (copied == 0 && (n == 0 || (n < 0 && KernelCopyRefused(errno)))) {
        kernelCopy = false;
        continue;
      }
    } else {
      if (buffer.empty())
        buffer.resize(kCopyChunk);
      n = CopyChunkThroughBuffer(in, out, buffer);
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    if (n == 0)
      return true;
    copied += n;
  }
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

bool SyncFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd)
    return false;
  // Some file systems cannot flush a folder; the file itself is on disk.
  return kSystemCalls.fsync(fd.get()) == 0 || errno == EINVAL || errno == EOPNOTSUPP;
}

// The data of in is fully in out (already flushed) and in did not change
// size while it was read.
bool SameSize(int in, int out, off_t copied) {
  struct stat source {};
  struct stat copy {};
  if (::fstat(in, &source) != 0 || ::fstat(out, &copy) != 0)
    return false;
  if (source.st_size == copied && copy.st_size == copied)
    return true;
  errno = EIO;
  return false;
}

// Errors with which a file system says it has no such call at all.
bool CallUnsupported(int error) {
  return error == ENOSYS || error == EOPNOTSUPP;
}

// Removes the empty file reserved at target, unless something else has taken
// its place; errno stays as it was.
void ReleaseReservedName(const UniqueFd& reserved, const std::string& target) {
  const int error = errno;
  struct stat ours {};
  struct stat there {};
  if (::fstat(reserved.get(), &ours) == 0 && ::lstat(target.c_str(), &there) == 0 &&
      ours.st_dev == there.st_dev && ours.st_ino == there.st_ino)
    ::unlink(target.c_str());
  errno = error;
}

// Gives the file at temp the name target unless target exists: false with
// errno EEXIST then. Where the file system cannot rename without replacing,
// a hard link does the same; where it has no hard links either, the name is
// taken first as an empty file of its own, which the rename then replaces
// (or which goes again when the rename fails).
bool PublishWithoutReplacing(const std::string& temp, const std::string& target) {
  if (kSystemCalls.renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) ==
      0)
    return true;
  if (errno != EINVAL && !CallUnsupported(errno))
    return false;
  if (kSystemCalls.link(temp.c_str(), target.c_str()) == 0) {
    ::unlink(temp.c_str());
    return true;
  }
  if (errno != EPERM && errno != EMLINK && !CallUnsupported(errno))
    return false;
  UniqueFd reserved(
      kSystemCalls.open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!reserved)
    return false;
  if (kSystemCalls.rename(temp.c_str(), target.c_str()) == 0)
    return true;
  ReleaseReservedName(reserved, target);
  return false;
}

using Dir = std::unique_ptr<DIR, DirCloser>;

// The entries of an open folder. An entry on another volume than volume
// (when given) is a mount point, and Other.
ResultOf<FolderListing> ReadEntries(Dir dir, const dev_t* volume = nullptr) {
  if (!dir)
    return Fail(errno);
  FolderListing entries;
  const int dirFd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..")
      continue;
    struct stat info {};
    if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
      continue;  // gone
    const bool foreign = volume && info.st_dev != *volume;
    entries.push_back(
        {name, foreign ? EntryKind::Other : KindOf(info.st_mode), ToFileTime(info.st_mtim)});
  }
  return entries;
}

// Copies the open regular file in, described by info, as StoreCopySafely.
ResultOf<std::string> StoreOpened(const UniqueFd& in, const struct stat& info,
                                  const std::string& folder, const std::string& name) {
  if (!S_ISREG(info.st_mode))
    return Fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  std::string tempPath;
  UniqueFd out(CreateTempIn(folder, tempPath));
  if (!out)
    return Fail(errno);
  TempFile temp(tempPath);

  off_t copied = 0;
  if (!CopyContents(in.get(), out.get(), copied))
    return Fail(errno);
  // Keep the picture's times, as a copy on the camera's own system would.
  const timespec times[2] = {info.st_atim, info.st_mtim};
  ::futimens(out.get(), times);
  if (kSystemCalls.fsync(out.get()) != 0)
    return Fail(errno);
  if (!SameSize(in.get(), out.get(), copied))
    return Fail(errno);
  if (!out.Close())
    return Fail(errno);
  ResultOf<std::string> published = PublishNumbered(temp.path(), folder, name);
  if (published)
    temp.Keep();
  return published;
}

// Opens name in the folder dirFd without following a link, and only when
// it lies on volume; -1 with errno set otherwise.
UniqueFd OpenOnVolume(int dirFd, const std::string& name, int flags, dev_t volume) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
    errno = EINVAL;
    return UniqueFd(-1);
  }
  UniqueFd fd(::openat(dirFd, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (fd && ::fstat(fd.get(), &info) != 0)
    return UniqueFd(-1);
  if (fd && info.st_dev != volume) {
    errno = EXDEV;
    return UniqueFd(-1);
  }
  return fd;
}

// Non-blocking, so that a pipe under a picture's name cannot hold the copy.
constexpr int kFileFlags = O_RDONLY | O_NONBLOCK;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY;

}  // namespace

struct CameraDrive::Root {
  UniqueFd fd;
  dev_t volume;

  // The folder of the first count names of path, opened step by step.
  UniqueFd OpenFolder(const RelativePath& path, std::size_t count) const {
    UniqueFd folder(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
    for (std::size_t i = 0; i < count && folder; ++i)
      folder = OpenOnVolume(folder.get(), path[i], kFolderFlags, volume);
    return folder;
  }
};

CameraDrive::CameraDrive() = default;
CameraDrive::~CameraDrive() = default;

Result CameraDrive::Open(const std::string& root) {
  UniqueFd fd(::open(root.c_str(), kFolderFlags | O_CLOEXEC));
  struct stat info {};
  if (!fd || ::fstat(fd.get(), &info) != 0)
    return Fail(errno);
  m_root.reset(new Root{std::move(fd), info.st_dev});
  return Result::Success();
}

ResultOf<FolderListing> CameraDrive::List(const RelativePath& folder) const {
  UniqueFd fd = m_root ? m_root->OpenFolder(folder, folder.size()) : UniqueFd(-1);
  if (!fd)
    return Fail(m_root ? errno : EINVAL);
  Dir dir(::fdopendir(fd.get()));
  if (dir)
    fd.release();
  return ReadEntries(std::move(dir), &m_root->volume);
}

ResultOf<StoredCopy> CameraDrive::CopyOut(const RelativePath& file, const std::string& folder,
                                          const std::string& name) const {
  if (!m_root || file.empty())
    return Fail(EINVAL);
  UniqueFd parent = m_root->OpenFolder(file, file.size() - 1);
  UniqueFd in =
      parent ? OpenOnVolume(parent.get(), file.back(), kFileFlags, m_root->volume) : UniqueFd(-1);
  struct stat info {};
  if (!in || ::fstat(in.get(), &info) != 0)
    return Fail(errno);
  const FileIdentity source{static_cast<std::uint64_t>(info.st_dev),
                            static_cast<std::uint64_t>(info.st_ino)};
  ResultOf<std::string> stored = StoreOpened(in, info, folder, name);
  if (!stored)
    return stored.Status();
  return StoredCopy{std::move(stored).Value(), source};
}

Result CameraDrive::Remove(const RelativePath& file, const FileIdentity& copied) const {
  if (!m_root || file.empty())
    return Fail(EINVAL);
  UniqueFd parent = m_root->OpenFolder(file, file.size() - 1);
  struct stat info {};
  if (!parent || ::fstatat(parent.get(), file.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    return Fail(errno);
  // Whatever took the copied file's place stays.
  const FileIdentity found{static_cast<std::uint64_t>(info.st_dev),
                           static_cast<std::uint64_t>(info.st_ino)};
  if (!S_ISREG(info.st_mode) || found != copied)
    return Fail(ENOENT);
  if (::unlinkat(parent.get(), file.back().c_str(), 0) != 0)
    return Fail(errno);
  return Result::Success();
}

ResultOf<FolderListing> ListFolder(const std::string& folder) {
  return ReadEntries(Dir(::opendir(folder.c_str())));
}

ResultOf<std::string> StoreCopySafely(const std::string& source, const std::string& folder,
                                      const std::string& name) {
  UniqueFd in(::open(source.c_str(), kFileFlags | O_CLOEXEC));
  struct stat info {};
  if (!in || ::fstat(in.get(), &info) != 0)
    return Fail(errno);
  return StoreOpened(in, info, folder, name);
}

ResultOf<std::string> CreatePartFile(const std::string& folder) {
  std::string path;
  UniqueFd file(CreateTempIn(folder, path));
  if (!file || !file.Close())
    return Fail(errno);
  return path;
}

ResultOf<std::string> PublishNumbered(const std::string& temp, const std::string& folder,
                                      const std::string& name) {
  for (int n = 1; n <= kMaxNumberedNames; ++n) {
    const std::string candidate = NumberedName(name, n);
    if (PublishWithoutReplacing(temp, folder + "/" + candidate)) {
      if (!SyncFolder(folder))
        return Fail(errno);
      return candidate;
    }
    if (errno != EEXIST)
      return Fail(errno);
  }
  return Fail(EEXIST);
}

bool ProcessIsGone(std::uint32_t processId) {
  // Larger numbers would reach process groups.
  if (processId == 0 || processId > static_cast<std::uint32_t>(INT32_MAX))
    return false;
  return ::kill(static_cast<pid_t>(processId), 0) == -1 && errno == ESRCH;
}

FileTime CurrentFileTime() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return ToFileTime(now);
}

Result RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0)
    return Result::Success();
  return Fail(errno);
}

void CreateFolder(const std::string& path) {
  ::mkdir(path.c_str(), 0777);
}

}  // namespace vel
