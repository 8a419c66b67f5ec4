#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "core/film/ffmpeg_process.h"
#include "core/platform/child_descriptors_posix.h"
#include "core/platform/system_error.h"

namespace vel {

struct FfmpegProcess::Handles {
  pid_t pid = -1;
  int output = -1;  // the read end of the child's standard output and error
};

namespace {

constexpr const char* kNullDevice = "/dev/null";
constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

void CloseQuietly(int& fd) {
  if (fd >= 0)
    ::close(fd);
  fd = -1;
}

// Runs in the child between fork and exec; only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* program, char* const* argv, int output, int input,
                            int errorFd, pid_t parent, int highestDescriptor) {
  ::setpgid(0, 0);
#if defined(__linux__)
  // Ended with the program; a parent that died before this line is seen below.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent)
    ::_exit(127);
#else
  (void)parent;
#endif
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  for (int signal : {SIGPIPE, SIGINT, SIGTERM}) ::sigaction(signal, &defaultAction, nullptr);
  ::dup2(input, STDIN_FILENO);
  ::dup2(output, STDOUT_FILENO);
  ::dup2(output, STDERR_FILENO);
  // dup2 onto the same number keeps the close-on-exec flag; none may stay.
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::fcntl(fd, F_SETFD, 0);
  CloseInheritedDescriptors(errorFd, highestDescriptor);
  ::execv(program, argv);
  const int error = errno;
  SendExecError(errorFd, error);
  ::_exit(127);
}


bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

FfmpegProcess::FfmpegProcess() = default;

FfmpegProcess::~FfmpegProcess() {
  Kill();
}

Result FfmpegProcess::Start(const std::string& program, const std::vector<std::string>& arguments) {
  Kill();
  std::vector<std::string> items{program};
  items.insert(items.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& item : items) argv.push_back(item.data());
  argv.push_back(nullptr);
  const int highestDescriptor = HighestDescriptor();

  int output[2] = {-1, -1};
  int errorPipe[2] = {-1, -1};
  int input = ::open(kNullDevice, O_RDONLY | O_CLOEXEC);
  if (input < 0 || ::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(errorPipe, O_CLOEXEC) != 0) {
    const int error = errno;
    for (int* fd : {&input, &output[0], &output[1], &errorPipe[0], &errorPipe[1]})
      CloseQuietly(*fd);
    return Result::Failure(SystemErrorText(error));
  }
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0)
    ExecChild(program.c_str(), argv.data(), output[1], input, errorPipe[1], parent,
              highestDescriptor);
  const int forkError = errno;
  if (pid > 0)
    ::setpgid(pid, pid);  // also here, so that the group exists before it is signalled
  CloseQuietly(input);
  CloseQuietly(output[1]);
  CloseQuietly(errorPipe[1]);
  if (pid < 0) {
    CloseQuietly(output[0]);
    CloseQuietly(errorPipe[0]);
    return Result::Failure(SystemErrorText(forkError));
  }
  const int execError = ReadExecError(errorPipe[0]);
  CloseQuietly(errorPipe[0]);
  m_handles = std::make_unique<Handles>(Handles{pid, output[0]});
  if (execError != 0) {
    Wait();
    return Result::Failure(SystemErrorText(execError));
  }
  return Result::Success();
}

bool FfmpegProcess::Read(std::string& text, int ms) {
  if (!m_handles || m_handles->output < 0)
    return false;
  pollfd ready{m_handles->output, POLLIN, 0};
  const int polled = ::poll(&ready, 1, ms);
  if (polled <= 0)
    return polled == 0 || errno == EINTR;  // a signal only cuts the wait short
  char buffer[4096];
  ssize_t n;
  do {
    n = ::read(m_handles->output, buffer, sizeof buffer);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    CloseQuietly(m_handles->output);
    return false;
  }
  text.append(buffer, static_cast<std::size_t>(n));
  return true;
}

int FfmpegProcess::Wait() {
  if (!m_handles)
    return -1;
  int status = 0;
  pid_t result;
  do {
    result = ::waitpid(m_handles->pid, &status, 0);
  } while (result < 0 && errno == EINTR);
  CloseQuietly(m_handles->output);
  m_handles.reset();
  return result > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void FfmpegProcess::Kill() {
  if (!m_handles)
    return;
  ::kill(-m_handles->pid, SIGKILL);
  Wait();
}

std::string FindFfmpeg() {
  const char* variable = std::getenv("PATH");
  const std::string_view path = variable ? variable : kDefaultSearchPath;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(':', start);
    if (end == std::string_view::npos)
      end = path.size();
    // An empty entry stands for the current folder, as for the shell.
    std::string folder(path.substr(start, end - start));
    const std::string candidate = (folder.empty() ? "." : folder) + "/ffmpeg";
    if (IsExecutableFile(candidate))
      return candidate;
    start = end + 1;
  }
  return {};
}

std::string FfmpegMissingText() {
  return "ffmpeg, which makes the film, was not found on PATH. Install it, on Debian and Ubuntu "
         "with: sudo apt install ffmpeg";
}

}  // namespace vel
