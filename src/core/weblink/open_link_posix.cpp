#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "core/weblink/open_link.h"

extern char** environ;

namespace vel {
namespace {

// xdg-open may stay in the foreground for as long as the browser it started
// runs; after this long it is taken to be showing the page.
constexpr std::int64_t kOpenerPatienceMs = 3000;
constexpr std::uint32_t kOpenerPollMs = 20;

constexpr std::string_view kDesktopOpener = "xdg-open";
constexpr std::string_view kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

int CodeForErrno(int error) {
  switch (error) {
    case ENOENT:
      return kOpenFileNotFound;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
      return kOpenPathNotFound;
    case EACCES:
    case EPERM:
      return kOpenAccessDenied;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:
      return kOpenOutOfMemory;
    case ENOEXEC:
    case ETXTBSY:
      return kOpenBadFormat;
    default:
      return kOpenOutOfResources;
  }
}

// 0 when path is an executable file, else the code for what is wrong. A
// path that cannot be looked at (a folder on the way denies searching) counts
// as not found: only a file that is there but cannot run is access denied.
int CheckExecutable(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    return errno == EACCES ? kOpenFileNotFound : CodeForErrno(errno);
  }
  if (!S_ISREG(info.st_mode) || ::access(path.c_str(), X_OK) != 0)
    return kOpenAccessDenied;
  return 0;
}

struct ResolvedProgram {
  std::string path;
  int error = 0;
};

// Finds a program as the system's exec would: a name with a slash as it is,
// any other name in the folders of PATH.
ResolvedProgram ResolveProgram(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return {program, CheckExecutable(program)};
  const char* pathVariable = std::getenv("PATH");
  std::string_view search = pathVariable ? pathVariable : kDefaultSearchPath;
  int error = kOpenFileNotFound;
  while (true) {
    const std::size_t colon = search.find(':');
    const std::string_view folder = search.substr(0, colon);  // empty: the current folder
    const std::string candidate =
        (folder.empty() ? std::string(".") : std::string(folder)) + "/" + program;
    const int found = CheckExecutable(candidate);
    if (found == 0)
      return {candidate, 0};
    if (found == kOpenAccessDenied)
      error = found;  // present but not runnable
    if (colon == std::string_view::npos)
      break;
    search.remove_prefix(colon + 1);
  }
  return {{}, error};
}

// Starts file with args, without a shell, in a session of its own, with no
// input and none of this process's other descriptors. 0 or an errno value.
int Spawn(const std::string& file, const std::vector<std::string>& args, pid_t& pid) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
  flags |= POSIX_SPAWN_SETSID;
#endif
  posix_spawnattr_setflags(&attributes, flags);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGPIPE);
  sigaddset(&signals, SIGCHLD);
  posix_spawnattr_setsigdefault(&attributes, &signals);

  const int result =
      ::posix_spawnp(&pid, file.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

// Collects the child's exit in the background so that it leaves no zombie.
void ReapInBackground(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

// xdg-open's exit codes: 1 bad arguments, 2 file missing, 3 no tool for the
// job, 4 the action failed.
int CodeForOpenerExit(int status) {
  if (!WIFEXITED(status))
    return kOpenOutOfResources;
  switch (WEXITSTATUS(status)) {
    case 0:
      return kLinkOpened;
    case 1:
      return kOpenAssociationIncomplete;
    case 2:
      return kOpenFileNotFound;
    case 3:
    case 4:
      return kOpenNoAssociation;
    default:
      return kOpenOutOfResources;
  }
}

}  // namespace

int OpenLinkWithDesktop(std::string_view address, Clock& clock) {
  const ResolvedProgram opener = ResolveProgram(std::string(kDesktopOpener));
  if (opener.error != 0)
    return opener.error;
  pid_t pid = 0;
  const int spawned = Spawn(opener.path, {std::string(kDesktopOpener), std::string(address)}, pid);
  if (spawned != 0)
    return CodeForErrno(spawned);

  const std::int64_t start = clock.NowMs();
  while (true) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid)
      return CodeForOpenerExit(status);
    if (done < 0 && errno != EINTR)
      return kLinkOpened;  // reaped elsewhere; it did start
    if (clock.NowMs() - start >= kOpenerPatienceMs) {
      ReapInBackground(pid);
      return kLinkOpened;
    }
    clock.WaitMs(kOpenerPollMs);
  }
}

int OpenLinkFallback(std::string_view address, const XdgDirs& dirs) {
  const WebHandler handler = FindWebHandler(dirs);
  if (handler.status == HandlerStatus::NoneConfigured)
    return kOpenNoAssociation;
  if (handler.status == HandlerStatus::Invalid)
    return kOpenAssociationIncomplete;

  if (!handler.entry.tryExec.empty()) {
    const int tried = ResolveProgram(handler.entry.tryExec).error;
    if (tried != 0)
      return tried;
  }
  const std::optional<std::vector<std::string>> args = ExecArguments(handler.entry.exec, address);
  if (!args)
    return kOpenAssociationIncomplete;
  const ResolvedProgram program = ResolveProgram(args->front());
  if (program.error != 0)
    return program.error;

  pid_t pid = 0;
  const int spawned = Spawn(program.path, *args, pid);
  if (spawned != 0)
    return CodeForErrno(spawned);
  ReapInBackground(pid);
  return kLinkOpened;
}

}  // namespace vel
