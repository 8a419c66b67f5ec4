#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/platform/files.h"
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
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
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

}  // namespace

Result CreateFolders(const std::string& folder) {
  return MakeFolders(folder) ? Result::Success() : Fail(errno);
}

Result ReadWholeFile(const std::string& path, std::string& text, MissingFile missing) {
  text.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT && missing == MissingFile::ReadsEmpty)
      return Result::Success();
    return Fail(errno);
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

Result ReplaceFileAtomically(const std::string& path, const std::string& text) {
  const std::string folder = ParentFolder(path);
  if (!MakeFolders(folder))
    return Fail(errno);

  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
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

  if (!WriteAll(fd, text) || ::fsync(fd) != 0) {
    const int code = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    return Fail(code ? code : EIO);
  }
  if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    return Fail(code);
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return Result::Success();
}

}  // namespace vel
