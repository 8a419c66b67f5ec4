#include "cli/card_mount.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

extern char** environ;

namespace cli {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kNodePollMs = 100;

// Runs a system program found on PATH with its output kept off the progress
// line (errors still go to standard error unless they are the caller's to
// tell); its exit status, or -1 when it could not be run.
int RunTool(std::vector<std::string> args, bool showErrors = true) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (!showErrors)
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || ::waitpid(pid, &status, 0) != pid)
    return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HasUdisks() {
  return RunTool({"udisksctl", "help"}) == 0;
}

// The user the card is mounted for, as a desktop's automounter would.
std::string MediaUser() {
  if (const char* sudoUser = std::getenv("SUDO_USER"); sudoUser && *sudoUser)
    return sudoUser;
  const passwd* user = ::getpwuid(::getuid());
  return user ? user->pw_name : "root";
}

}  // namespace

vel::Result CardMount::Mount(vel::Clock& clock, std::uint32_t waitMs) {
  const std::int64_t deadline = clock.NowMs() + waitMs;
  std::error_code error;
  while (!fs::exists(m_device, error)) {
    if (clock.NowMs() >= deadline)
      return vel::Result::Failure("The camera's device " + m_device + " did not appear within " +
                                  std::to_string(waitMs / 1000) +
                                  " s of the switch to USB mode.\nCheck the USB cable, "
                                  "--card-device and \"Delay REC -> USB\" (DelayRecUsb).\n");
    clock.WaitMs(kNodePollMs);
  }
  m_byUdisks = ::geteuid() != 0 || HasUdisks();
  if (m_byUdisks) {
    if (RunTool({"udisksctl", "mount", "-b", m_device, "--no-user-interaction"}) != 0)
      return vel::Result::Failure("udisksctl could not mount " + m_device +
                                  ".\nCheck that udisks2 is installed and running, and that "
                                  "this user may mount it (or run as root).\n");
  } else {
    m_mountPoint = "/media/" + MediaUser() + "/" + fs::path(m_device).filename().string();
    fs::create_directories(m_mountPoint, error);
    if (RunTool({"mount", "-o", "nosuid,nodev,noexec", m_device, m_mountPoint}) != 0) {
      fs::remove(m_mountPoint, error);
      return vel::Result::Failure("Could not mount " + m_device + " on " + m_mountPoint + ".\n");
    }
  }
  m_mounted = true;
  return vel::Result::Success();
}

vel::Result CardMount::Unmount(vel::Clock& clock) {
  if (!m_mounted)
    return vel::Result::Success();
  ::sync();
  const std::int64_t deadline = clock.NowMs() + kUnmountRetryMs;
  const auto unmount = [this] {
    return m_byUdisks
               ? RunTool({"udisksctl", "unmount", "-b", m_device, "--no-user-interaction"}, false)
               : RunTool({"umount", m_mountPoint}, false);
  };
  while (unmount() != 0) {
    if (clock.NowMs() >= deadline)
      return vel::Result::Failure(
          "The camera's card is still mounted: " + m_device +
          (m_mountPoint.empty() ? std::string() : " on " + m_mountPoint) +
          " could not be unmounted within " + std::to_string(kUnmountRetryMs / 1000) +
          " s (a program may still have a file open on it).\nDo not switch the camera back to "
          "REC mode before it is unmounted.\n");
    clock.WaitMs(kUnmountPollMs);
  }
  m_mounted = false;
  std::error_code error;
  if (!m_byUdisks)
    fs::remove(m_mountPoint, error);
  return vel::Result::Success();
}

}  // namespace cli
