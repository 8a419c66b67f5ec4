#include "core/platform/system_calls_posix.h"

#include <sys/ioctl.h>

namespace vel {

// Nothing else may live in this file: a test program that defines its own
// table must be able to leave it out.
constinit const SystemCalls kSystemCalls = {
    [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    [](int fd, unsigned long request, void* argument) { return ::ioctl(fd, request, argument); },
    ::write,
    ::fsync,
    ::copy_file_range,
    ::renameat2,
    ::link,
    ::rename,
};

}  // namespace vel
