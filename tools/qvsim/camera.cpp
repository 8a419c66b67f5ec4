#include "qvsim/camera.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/camera/models.h"
#include "qvsim/card.h"
#include "qvsim/line_check.h"

namespace qvsim {
namespace {

std::string SystemError() {
  return std::strerror(errno);
}

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

bool IsSymlink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::string LinkTarget(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

// ---- Console ------------------------------------------------------------------

long long Console::ElapsedMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               m_start)
      .count();
}

void Console::Line(const std::string& text) {
  std::lock_guard lock(m_mutex);
  std::fprintf(m_out, "%s\n", text.c_str());
  std::fflush(m_out);
}

void Console::Stamped(long long ms, const std::string& text) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%8lld ms  ", ms);
  Line(stamp + text);
}

// ---- start ----------------------------------------------------------------------

VirtualCamera::VirtualCamera(Options options, std::string selfPath, Console& console)
    : m_options(std::move(options)),
      m_selfPath(std::move(selfPath)),
      m_console(console),
      m_decoder(m_options.model) {}

VirtualCamera::~VirtualCamera() {
  m_worker.reset();  // finishes the card's work and unmounts it
  m_card.reset();
  if (m_linked && LinkTarget(m_options.link) == m_path)
    ::unlink(m_options.link.c_str());
  if (m_record)
    std::fclose(m_record);
  for (int fd : {m_watch, m_slave, m_master}) {
    if (fd >= 0)
      ::close(fd);
  }
}

// The user the card and the terminal belong to: --user, else the one who
// ran sudo, else ourselves.
bool VirtualCamera::ResolveUser(std::string& error) {
  std::string name = m_options.user;
  const char* sudoUser = std::getenv("SUDO_USER");
  if (name.empty() && ::geteuid() == 0 && sudoUser && *sudoUser)
    name = sudoUser;
  const passwd* pw = name.empty() ? ::getpwuid(::geteuid()) : ::getpwnam(name.c_str());
  if (!pw) {
    error = name.empty() ? "cannot find the current user" : "no user named " + name;
    return false;
  }
  m_user = pw->pw_name;
  m_uid = pw->pw_uid;
  m_gid = pw->pw_gid;
  return true;
}

bool VirtualCamera::OpenTerminal(std::string& error) {
  m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128] = {};
  if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
      ::ptsname_r(m_master, name, sizeof name) != 0) {
    error = "cannot create a pseudo-terminal: " + SystemError();
    return false;
  }
  m_path = name;
  ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
  m_slave = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m_slave < 0) {
    error = "cannot open " + m_path + ": " + SystemError();
    return false;
  }
  // Run as root for another user, the terminal must be theirs to open.
  if (::geteuid() == 0 && m_uid != 0 && ::fchown(m_slave, m_uid, static_cast<gid_t>(-1)) != 0) {
    error = "cannot hand " + m_path + " to " + m_user + ": " + SystemError();
    return false;
  }
  m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (m_watch < 0 || ::inotify_add_watch(m_watch, m_path.c_str(),
                                         IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    error = "cannot watch " + m_path + ": " + SystemError();
    return false;
  }
  return true;
}

// The link is replaced in one step, so that it never dangles for a reader.
bool VirtualCamera::MakeLink(std::string& error) {
  const std::string& link = m_options.link;
  if (link.empty())
    return true;
  struct stat info {};
  if (::lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
    error = link + " exists and is no symlink";
    return false;
  }
  const std::string temporary = link + ".qvsim-" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(m_path.c_str(), temporary.c_str()) != 0 ||
      ::rename(temporary.c_str(), link.c_str()) != 0) {
    error = "cannot make the link " + link + ": " + SystemError();
    ::unlink(temporary.c_str());
    return false;
  }
  m_linked = IsSymlink(link);
  return true;
}

bool VirtualCamera::OpenRecord(std::string& error) {
  if (m_options.record.empty())
    return true;
  m_record = std::fopen(m_options.record.c_str(), "w");
  if (!m_record) {
    error = "cannot write " + m_options.record + ": " + SystemError();
    return false;
  }
  return true;
}

bool VirtualCamera::PrepareCard(std::string& error) {
  if (m_options.cardFolder.empty())
    return true;
  std::string refusal = m_options.plainCard ? std::string() : CardRefusal();
  if (!refusal.empty()) {
    error = refusal;
    return false;
  }
  CardSettings settings;
  settings.folder = m_options.cardFolder;
  settings.label =
      m_options.label.empty() ? std::string(vel::ModelName(m_decoder.Model())) : m_options.label;
  settings.user = m_user;
  settings.uid = m_uid;
  settings.gid = m_gid;
  settings.model = std::string(vel::ModelName(m_decoder.Model()));
  settings.helper = m_selfPath;
  settings.plainFolder = m_options.plainCard;
  settings.usbCommand = m_options.usbCommand;
  m_card = std::make_unique<MemoryCard>(std::move(settings), [this](const std::string& text) {
    // Until the terminal's path is out as the first line, notes wait.
    if (m_started)
      m_console.Stamped(text);
    else
      m_startNotes.push_back(text);
  });
  if (!m_card->Prepare(error))
    return false;
  m_worker = std::make_unique<CardWorker>(*m_card, m_options.mountDelayMs);
  return true;
}

bool VirtualCamera::Start(std::string& error) {
  if (!ResolveUser(error) || !OpenTerminal(error) || !PrepareCard(error) || !MakeLink(error) ||
      !OpenRecord(error))
    return false;
  m_console.Line(m_path);
  m_started = true;
  for (const std::string& note : m_startNotes) m_console.Line(note);
  m_startNotes.clear();
  PrintSummary();
  return true;
}

void VirtualCamera::PrintSummary() {
  const int model = m_decoder.Model();
  m_console.Line("qvsim: Casio " + std::string(vel::ModelName(model)) + " (model " +
                 std::to_string(model) + ") on " + m_path);
  if (m_linked)
    m_console.Line("Link: " + m_options.link + " -> " + m_path);
  if (m_record)
    m_console.Line("Recording bytes to " + m_options.record);
  if (m_card) {
    const std::string where =
        m_options.plainCard
            ? m_card->MountPoint() + ", REC mode; USB mode shows it"
            : m_card->ImagePath() + ", REC mode; USB mode mounts it at " + m_card->MountPoint();
    m_console.Line("Card: " + where + "; next picture " + PictureName(m_card->NextNumber()));
  }
  m_console.Line("Waiting for command bytes; Ctrl+C ends.");
}

// ---- serving ------------------------------------------------------------------

void VirtualCamera::Run(int signalFd) {
  pollfd fds[3] = {{m_master, POLLIN, 0}, {m_watch, POLLIN, 0}, {signalFd, POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    if (fds[1].revents & POLLIN)
      HandlePortEvents();
    if (fds[0].revents & POLLIN)
      ReadBytes();
    if (fds[2].revents & POLLIN)
      break;
  }
  ReadBytes();
  if (signalFd >= 0) {
    signalfd_siginfo info{};
    if (::read(signalFd, &info, sizeof info) == sizeof info)
      m_console.Stamped(std::string("Stopping on ") + strsignal(static_cast<int>(info.ssi_signo)));
  }
  m_worker.reset();
}

// Takes in everything waiting on the terminal.
void VirtualCamera::ReadBytes() {
  for (;;) {
    std::uint8_t buffer[256];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    const long long ms = m_console.ElapsedMs();
    const std::time_t now = std::time(nullptr);
    CheckLine(ms);
    for (ssize_t i = 0; i < n; ++i) HandleByte(ms, now, buffer[i]);
    if (m_record)
      std::fflush(m_record);
  }
}

void VirtualCamera::HandleByte(long long ms, std::time_t when, std::uint8_t byte) {
  if (m_record)
    std::fprintf(m_record, "%lld %02X\n", ms, byte);
  const ByteMeaning& meaning = m_decoder.Decode(byte);
  std::string text = meaning.text;
  if (meaning.event == CameraEvent::UsbRecSwitch) {
    m_usbMode = !m_usbMode;
    text += m_usbMode ? " -> USB mode" : " -> REC mode";
  }
  char label[24];
  std::snprintf(label, sizeof label, "%-10s ", ByteLabel(byte).c_str());
  m_console.Stamped(ms, label + text);
  if (m_worker)
    m_worker->Post(meaning.event, when);
}

// The terminal's settings are those the program put on its end. They are
// reported with the first bytes after the port opened and whenever they
// change; anything but the camera's line gets a warning.
void VirtualCamera::CheckLine(long long ms) {
  termios tio{};
  if (::tcgetattr(m_slave, &tio) != 0)
    return;
  const LineSettings line = ReadLineSettings(tio);
  const std::string described = DescribeLine(line);
  if (described == m_lastLine)
    return;
  m_lastLine = described;
  const std::vector<std::string> problems = LineProblems(line);
  if (problems.empty())
    m_console.Stamped(ms, "Line " + described);
  else
    m_console.Stamped(ms, "Warning: line set to " + described + ": " + Join(problems) +
                              "; the camera listens at 9600 8N1 without flow control");
}

void VirtualCamera::HandlePortEvents() {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(m_watch, buffer, sizeof buffer);
    if (n <= 0)
      break;
    for (ssize_t offset = 0; offset < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_OPEN) {
        if (m_openCount++ == 0) {
          m_lastLine.clear();
          m_console.Stamped("Port opened");
        }
      } else if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
        ReadBytes();  // what was written before the close comes first
        if (m_openCount > 0 && --m_openCount == 0) {
          // A real port forgets its exclusive use on the last close; the
          // terminal would keep it while we hold our end open.
          ::ioctl(m_slave, TIOCNXCL);
          m_console.Stamped("Port closed");
        }
      }
    }
  }
}

}  // namespace qvsim
