#include <fcntl.h>
#include <grp.h>
#include <limits.h>
#include <poll.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "core/camera/com_port.h"
#include "core/platform/system_calls_posix.h"
#include "core/platform/system_error.h"

namespace vel {

struct CComPort::Handle {
  int fd = -1;
};

namespace {

// A write that the driver does not take within this time counts as failed,
// so an unplugged adapter can never hold the window.
constexpr int kWriteTimeoutMs = 2000;

std::string SystemText(int error) {
  return SystemErrorText(error) + "\n";
}

bool ConfigureLine(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0)
    return false;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, B9600) != 0 || ::cfsetospeed(&tio, B9600) != 0)
    return false;
  return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

// DTR and RTS on. A device without modem lines (a pseudo-terminal) refuses
// the request, which is no reason to refuse the port.
bool RaiseModemLines(int fd) {
  int lines = TIOCM_DTR | TIOCM_RTS;
  return kSystemCalls.ioctl(fd, TIOCMBIS, &lines) == 0 || errno == ENOTTY || errno == EINVAL;
}

// Nobody else may use the port while we hold it: TIOCEXCL keeps other users
// out, the advisory lock keeps out root and cooperating programs.
bool TakeExclusive(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      errno = EBUSY;
    return false;
  }
  return ::ioctl(fd, TIOCEXCL) == 0 || errno == ENOTTY;
}

std::string GroupName(gid_t gid) {
  const group* entry = ::getgrgid(gid);
  return entry ? entry->gr_name : std::to_string(gid);
}

// The group that serial devices are given to on this system: dialout on
// Debian and most distributions, uucp on Arch.
std::string SerialGroup() {
  for (const char* name : {"dialout", "uucp"})
    if (::getgrnam(name))
      return name;
  return "dialout";
}

// "crw-------", as ls shows the mode.
std::string ModeText(mode_t mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : S_ISLNK(mode) ? "l" : "-";
  const char* letters = "rwxrwxrwx";
  for (int bit = 0; bit < 9; ++bit) text += (mode & (0400 >> bit)) ? letters[bit] : '-';
  return text;
}

// The device's kernel name for a udev rule, its number left open, so that
// the rule holds for the next adapter too: /dev/ttyUSB0 gives "ttyUSB[0-9]*".
std::string KernelNamePattern(const std::string& devicePath) {
  char resolved[PATH_MAX];
  std::string name = ::realpath(devicePath.c_str(), resolved) ? resolved : devicePath;
  if (name.rfind("/dev/", 0) == 0)
    name.erase(0, 5);
  std::size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  if (digits == 0 || digits == name.size())
    return name;
  return name.substr(0, digits) + "[0-9]*";
}

std::string JoinGroupAdvice(const std::string& group) {
  return "Add yourself to the group " + group + " and log in again:\n  sudo usermod -aG " + group +
         " $USER\n";
}

// For a device that no group but root may write to: the rule that hands it
// to the serial group, then how to join that group.
std::string UdevRuleAdvice(const std::string& devicePath, const struct stat& info) {
  const passwd* owner = ::getpwuid(info.st_uid);
  const std::string group = SerialGroup();
  const std::string access =
      (info.st_mode & S_IWGRP) ? "write access only to the group root" : "no group write access";
  return "The device (" + ModeText(info.st_mode) + " " +
         (owner ? owner->pw_name : std::to_string(info.st_uid)) + ":" + GroupName(info.st_gid) +
         ") gives " + access + ".\nA udev rule can grant it to the group " + group +
         ", for example this line in\n/etc/udev/rules.d/70-velorantica.rules:\n  KERNEL==\"" +
         KernelNamePattern(devicePath) + "\", GROUP=\"" + group +
         "\", MODE=\"0660\"\nThen plug the device in again (or run sudo udevadm trigger).\n" +
         JoinGroupAdvice(group);
}

bool WaitWritable(int fd) {
  pollfd p{fd, POLLOUT, 0};
  int n;
  do {
    n = ::poll(&p, 1, kWriteTimeoutMs);
  } while (n < 0 && errno == EINTR);
  return n > 0 && (p.revents & POLLOUT);
}

}  // namespace

std::string CComPort::DevicePath(const std::string& portName) {
  if (const auto number = ComPortNumber(portName))
    return "/dev/ttyS" + std::to_string(*number - 1);
  if (!portName.empty() && portName.front() == '/')
    return portName;
  return "/dev/" + portName;
}

CComPort::CComPort() : m_handle(std::make_unique<Handle>()) {}

CComPort::~CComPort() {
  Close();
}

bool CComPort::IsOpen() const {
  return m_handle->fd >= 0;
}

std::string CComPort::AccessHint(const std::string& devicePath) {
  struct stat info {};
  if (::access(devicePath.c_str(), R_OK | W_OK) == 0 || errno != EACCES ||
      ::stat(devicePath.c_str(), &info) != 0)
    return {};
  // Joining a group helps only when the group may write to the device, and
  // joining root would hand out far more than the port.
  if ((info.st_mode & S_IWGRP) && info.st_gid != 0)
    return "The device belongs to the group " + GroupName(info.st_gid) + ". " +
           JoinGroupAdvice(GroupName(info.st_gid));
  return UdevRuleAdvice(devicePath, info);
}

bool CComPort::OpenDevice(const std::string& portName, std::string& systemText) {
  const std::string path = DevicePath(portName);
  const int fd = kSystemCalls.open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0);
  if (fd < 0) {
    systemText = SystemText(errno);
    return false;
  }
  m_handle->fd = fd;
  if (!TakeExclusive(fd) || !ConfigureLine(fd) || !RaiseModemLines(fd)) {
    systemText = SystemText(errno);
    return false;
  }
  ::tcflush(fd, TCIOFLUSH);
  return true;
}

void CComPort::CloseDevice(bool purgeInput) {
  if (m_handle->fd < 0)
    return;
  if (purgeInput)
    ::tcflush(m_handle->fd, TCIFLUSH);
  // The exclusive flag belongs to the terminal, not to this handle: left set,
  // it would keep the next opener out while anyone else holds the device.
  ::ioctl(m_handle->fd, TIOCNXCL);
  ::close(m_handle->fd);  // also drops the lock
  m_handle->fd = -1;
}

bool CComPort::WriteDevice(const void* bytes, std::uint32_t count, std::string& systemText) {
  const int fd = m_handle->fd;
  const auto* data = static_cast<const unsigned char*>(bytes);
  std::uint32_t written = 0;
  int error = 0;
  while (written < count) {
    const ssize_t n = kSystemCalls.write(fd, data + written, count - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      if (WaitWritable(fd))
        continue;
      error = ETIMEDOUT;
      break;
    } else {
      error = n < 0 ? errno : EIO;
      break;
    }
  }
  if (written == count)
    return true;
  ::tcflush(fd, TCOFLUSH);
  systemText = SystemText(error);
  return false;
}

}  // namespace vel
