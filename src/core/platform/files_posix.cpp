#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>

#include "core/platform/files.h"
#include "core/platform/system_calls_posix.h"
#include "core/platform/system_error.h"

namespace vel {
namespace {

std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/" || folder == ".")
    return true;
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) {
    errno = ENOTDIR;
    return S_ISDIR(st.st_mode);
  }
  if (!MakeFolders(ParentFolder(folder)))
    return false;
  return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = kSystemCalls.write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

Result Fail(int code) {
  return Result::Failure(SystemErrorText(code));
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at, which need not exist yet.
// Replacing the link itself would cut it off from the file it stands for.
std::string ResolveLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0)
      break;
    const std::string link(target, static_cast<std::size_t>(n));
    path = link.front() == '/' ? link : ParentFolder(path) + "/" + link;
  }
  return path;
}

// The temporary file of a save: hidden, named after the file it replaces and
// the process writing it, so that a later save knows it for its own.
std::string TempName(const std::string& base, pid_t pid) {
  return "." + base + "." + std::to_string(pid) + ".tmp";
}

// The process whose temporary file name is given, 0 for any other name.
pid_t TempOwner(std::string_view name, const std::string& base) {
  const std::string prefix = "." + base + ".";
  constexpr std::string_view suffix = ".tmp";
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
      !name.ends_with(suffix))
    return 0;
  const std::string_view digits =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  return error == std::errc() && end == digits.data() + digits.size() ? pid : 0;
}

// Removes the temporary files that saves of earlier runs left behind when
// they were killed: those of a process that is gone, and any older than a
// minute (its number may have been given to another process since).
void RemoveStaleTempFiles(const std::string& folder, const std::string& base) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir)
    return;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t pid = TempOwner(entry->d_name, base);
    if (pid <= 0 || pid == ::getpid())
      continue;
    const std::string path = folder + "/" + entry->d_name;
    struct stat st {};
    const bool dead = ::kill(pid, 0) != 0 && errno == ESRCH;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (dead || st.st_mtime < std::time(nullptr) - 60))
      ::unlink(path.c_str());
  }
  ::closedir(dir);
}

// A temporary file of this process beside the target, created afresh.
int CreateTempFile(const std::string& path) {
  ::unlink(path.c_str());  // left by a killed run that had this process number
  return kSystemCalls.open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Result CreateFolders(const std::string& folder) {
  return MakeFolders(folder) ? Result::Success() : Fail(errno);
}

Result ReadWholeFile(const std::string& path, std::string& text, MissingFile missing) {
  text.clear();
  // Not waiting on a FIFO or a device: only a regular file is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT && missing == MissingFile::ReadsEmpty)
      return Result::Success();
    return Fail(errno);
  }
  struct stat st {};
  const int statCode = ::fstat(fd, &st) == 0 ? 0 : errno;
  if (statCode || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return statCode ? Fail(statCode) : Result::Failure(kNotRegularFile);
  }
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      const int code = errno;
      ::close(fd);
      return Fail(code);
    }
    if (n == 0)
      break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return Result::Success();
}

Result ReplaceFileAtomically(const std::string& link, const std::string& text) {
  const std::string path = ResolveLinks(link);
  const std::string folder = ParentFolder(path);
  if (!MakeFolders(folder))
    return Fail(errno);
  RemoveStaleTempFiles(folder, BaseName(path));

  const std::string temp = folder + "/" + TempName(BaseName(path), ::getpid());
  const int fd = CreateTempFile(temp);
  if (fd < 0)
    return Fail(errno);

  // Keep the permissions of the file being replaced; a new one gets the
  // usual 0666 less the umask.
  struct stat old {};
  mode_t mode;
  if (::stat(path.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);

  if (!WriteAll(fd, text) || kSystemCalls.fsync(fd) != 0) {
    const int code = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    return Fail(code ? code : EIO);
  }
  if (::close(fd) != 0 || kSystemCalls.rename(temp.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    return Fail(code);
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    kSystemCalls.fsync(dir);
    ::close(dir);
  }
  return Result::Success();
}

std::optional<std::uint64_t> FreeBytes(const std::string& folder) {
  struct statvfs volume {};
  if (::statvfs(folder.c_str(), &volume) != 0)
    return std::nullopt;
  return static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
}

}  // namespace vel
