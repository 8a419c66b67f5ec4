#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <system_error>

#include "core/platform/child_descriptors_posix.h"
#include "core/timelapse/external_command.h"

namespace vel {

// The program's process, which leads its group; once it has ended and been
// reaped its number still names the group while the group's processes live.
struct ExternalCommand::Process {
  pid_t pid = -1;
  bool reaped = false;
};

namespace {

constexpr const char* kShell = "/bin/sh";
constexpr std::string_view kShellScriptSuffix = ".sh";
constexpr int kExecFailedStatus = 127;

bool IsShellScript(const std::string& program) {
  return program.size() > kShellScriptSuffix.size() &&
         program.compare(program.size() - kShellScriptSuffix.size(), std::string::npos,
                         kShellScriptSuffix) == 0;
}

// An argument vector for execv, built before the fork: the child may not
// allocate memory.
class ArgumentVector {
 public:
  explicit ArgumentVector(std::vector<std::string> items) : m_items(std::move(items)) {
    for (std::string& item : m_items) m_pointers.push_back(item.data());
    m_pointers.push_back(nullptr);
  }
  char* const* Get() { return m_pointers.data(); }

 private:
  std::vector<std::string> m_items;
  std::vector<char*> m_pointers;
};

// A pipe whose ends are closed by exec; the child reports a failed exec
// through it, a successful exec closes it.
bool OpenCloseOnExecPipe(int ends[2]) {
#if defined(__APPLE__)
  if (::pipe(ends) != 0)
    return false;
  ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
  return true;
#else
  return ::pipe2(ends, O_CLOEXEC) == 0;
#endif
}

// Runs in the child between fork and exec; only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* program, char* const* argv, char* const* shellArgv,
                            int errorFd, int highestDescriptor) {
  // A group of its own, so that ending it also ends what it started.
  ::setpgid(0, 0);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  ::sigaction(SIGPIPE, &defaultAction, nullptr);
  CloseInheritedDescriptors(errorFd, highestDescriptor);

  ::execv(program, argv);
  int error = errno;
  // A script that is not marked executable, or has no "#!" line, still runs
  // when it is a shell script: the shell reads it, the words stay arguments.
  if (shellArgv && (error == EACCES || error == ENOEXEC)) {
    ::execv(kShell, shellArgv);
    error = errno;
  }
  SendExecError(errorFd, error);
  ::_exit(kExecFailedStatus);
}


void WaitForExit(pid_t pid) {
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

ExternalCommand::ExternalCommand() = default;

ExternalCommand::~ExternalCommand() {
  Release();
}

bool ExternalCommand::Launch(const std::string& program, const std::vector<std::string>& words) {
  std::vector<std::string> items{program};
  items.insert(items.end(), words.begin(), words.end());
  ArgumentVector argv(items);
  std::vector<std::string> shellItems{kShell};
  shellItems.insert(shellItems.end(), items.begin(), items.end());
  ArgumentVector shellArgv(shellItems);
  const bool shellFallback = IsShellScript(program);
  const int highestDescriptor = HighestDescriptor();

  int errorPipe[2];
  if (!OpenCloseOnExecPipe(errorPipe)) {
    m_outcome = {CommandOutcome::Kind::NotStarted, errno};
    return false;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(errorPipe[0]);
    ExecChild(program.c_str(), argv.Get(), shellFallback ? shellArgv.Get() : nullptr, errorPipe[1],
              highestDescriptor);
  }
  const int forkError = errno;
  if (pid > 0)
    ::setpgid(pid, pid);  // also here, so the group exists before anyone signals it
  ::close(errorPipe[1]);
  if (pid < 0) {
    ::close(errorPipe[0]);
    m_outcome = {CommandOutcome::Kind::NotStarted, forkError};
    return false;
  }
  const int execError = ReadExecError(errorPipe[0]);
  ::close(errorPipe[0]);
  if (execError != 0) {
    WaitForExit(pid);
    m_outcome = {CommandOutcome::Kind::NotStarted, execError};
    return false;
  }
  m_process = std::make_unique<Process>(Process{pid});
  return true;
}

void ExternalCommand::Poll() {
  if (!m_process || m_process->reaped)
    return;
  int status = 0;
  pid_t result;
  do {
    result = ::waitpid(m_process->pid, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == 0)
    return;
  if (result < 0) {
    m_outcome = {CommandOutcome::Kind::Lost, errno};
  } else if (WIFSIGNALED(status)) {
    m_outcome = {CommandOutcome::Kind::Killed, WTERMSIG(status)};
  } else {
    m_outcome = {CommandOutcome::Kind::Exited, WEXITSTATUS(status)};
  }
  m_process->reaped = result > 0;
  if (!m_process->reaped)
    m_process.reset();
}

void ExternalCommand::Release() {
  // One last look reaps a program that has ended; one still running runs on.
  if (m_outcome.kind == CommandOutcome::Kind::Running)
    Poll();
  m_process.reset();
}

void ExternalCommand::Signal(bool force) {
  if (m_process)
    ::kill(-m_process->pid, force ? SIGKILL : SIGTERM);
}

bool ExternalCommand::GroupRemains() {
  return m_process && ::kill(-m_process->pid, 0) == 0;
}

std::string ExternalCommand::SystemErrorText(int code) {
  return std::generic_category().message(code);
}

}  // namespace vel
