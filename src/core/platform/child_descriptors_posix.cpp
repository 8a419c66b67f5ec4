#include "core/platform/child_descriptors_posix.h"

#include <unistd.h>

#include <cerrno>

#include <algorithm>

namespace vel {

int HighestDescriptor() {
  const long limit = ::sysconf(_SC_OPEN_MAX);
  constexpr long kCap = 65536;
  return static_cast<int>(limit > 0 ? std::min(limit, kCap) : 1024) - 1;
}

void CloseInheritedDescriptors(int keep, int highestDescriptor) {
  for (int fd = 3; fd < keep; ++fd) ::close(fd);
#if (defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))) || \
    defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__)
  (void)highestDescriptor;
  ::closefrom(std::max(keep + 1, 3));
#else
  for (int fd = std::max(keep + 1, 3); fd <= highestDescriptor; ++fd) ::close(fd);
#endif
}

void SendExecError(int errorFd, int error) {
  while (::write(errorFd, &error, sizeof error) < 0 && errno == EINTR) {
  }
}

int ReadExecError(int errorFd) {
  int error = 0;
  ssize_t n;
  do {
    n = ::read(errorFd, &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace vel
