#include "qvsim/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace qvsim {
namespace {

constexpr const char* kSystemFolders[] = {"/usr/sbin", "/sbin", "/usr/bin", "/bin"};

bool IsExecutable(const std::string& path) {
  return ::access(path.c_str(), X_OK) == 0;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0)
      text.append(buffer, static_cast<std::size_t>(n));
    else if (n < 0 && errno == EINTR)
      continue;
    else
      break;
  }
  return text;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Spawn attributes: own process group, empty signal mask, default handlers
// for the signals the simulator handles itself.
class SpawnAttributes {
 public:
  SpawnAttributes() {
    ::posix_spawnattr_init(&m_attr);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, sig);
    ::posix_spawnattr_setsigmask(&m_attr, &none);
    ::posix_spawnattr_setsigdefault(&m_attr, &defaults);
    ::posix_spawnattr_setpgroup(&m_attr, 0);
    ::posix_spawnattr_setflags(
        &m_attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&m_attr); }
  const posix_spawnattr_t* Get() const { return &m_attr; }

 private:
  posix_spawnattr_t m_attr;
};

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos)
    return IsExecutable(name) ? name : std::string();
  std::vector<std::string> folders;
  if (const char* path = std::getenv("PATH")) {
    std::istringstream in(path);
    for (std::string folder; std::getline(in, folder, ':');) {
      if (!folder.empty())
        folders.push_back(folder);
    }
  }
  folders.insert(folders.end(), std::begin(kSystemFolders), std::end(kSystemFolders));
  for (const std::string& folder : folders) {
    if (IsExecutable(folder + "/" + name))
      return folder + "/" + name;
  }
  return {};
}

ProgramResult RunProgram(const std::vector<std::string>& argv, bool captureOutput) {
  ProgramResult result;
  if (argv.empty())
    return result;
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  int pipeFds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  if (captureOutput) {
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
      ::posix_spawn_file_actions_destroy(&actions);
      return result;
    }
    ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  }
  const SpawnAttributes attributes;
  pid_t pid = -1;
  const int failed = ::posix_spawn(&pid, args[0], &actions, attributes.Get(), args.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (captureOutput)
    ::close(pipeFds[1]);
  if (failed == 0) {
    result.started = true;
    if (captureOutput)
      result.output = ReadAll(pipeFds[0]);
    result.exitCode = WaitFor(pid);
  }
  if (captureOutput)
    ::close(pipeFds[0]);
  return result;
}

}  // namespace qvsim
