#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace vel::test {

// A real process, its output read as it grows; extra "NAME=value" entries win over the test's.
// It runs in a process group of its own; its standard output goes to outputPath when one is
// given (a terminal, /dev/full), and it then runs in a session of its own, whose controlling
// terminal that terminal becomes.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, std::vector<std::string> args,
               std::vector<std::string> environment = {}, const std::string& outputPath = {}) {
    args.insert(args.begin(), program);
    for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(
        &actions, 1, (outputPath.empty() ? m_out : outputPath).c_str(), O_RDWR | O_CREAT, 0600);
    ::posix_spawn_file_actions_addopen(&actions, 2, m_err.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawnattr_t session;
    ::posix_spawnattr_init(&session);
    ::posix_spawnattr_setflags(&session,
                               outputPath.empty() ? POSIX_SPAWN_SETPGROUP : POSIX_SPAWN_SETSID);
    if (::posix_spawn(&m_pid, program.c_str(), &actions, &session, Pointers(args).data(),
                      Pointers(environment).data()) != 0)
      m_pid = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&session);
  }
  ~ChildProcess() { Stop(SIGKILL); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The first line of output, empty when none came within the time.
  std::string FirstLine(int timeoutMs = 10000) {
    return WaitFor("\n", timeoutMs) ? Output().substr(0, Output().find('\n')) : std::string();
  }
  // Whether the output holds the text within the time.
  bool WaitFor(const std::string& text, int timeoutMs = 10000) {
    for (int waited = 0; Output().find(text) == std::string::npos; waited += 10, ::usleep(10'000))
      if (waited >= timeoutMs)
        return false;
    return true;
  }

  // The exit code once it ends by itself; -1 when a signal ended it, -2 still running.
  int Wait(int timeoutMs) {
    int status = 0;
    for (int waited = 0; m_pid > 0 && !::waitpid(m_pid, &status, WNOHANG);
         waited += 10, ::usleep(10'000))
      if (waited >= timeoutMs)
        return -2;
    const bool ran = m_pid > 0;
    m_pid = -1;
    return ran && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Signal(int signal) { m_pid > 0 && ::kill(m_pid, signal); }
  // To the program's whole process group, as a terminal's Ctrl+C is sent: Wine's launcher runs
  // a Windows program in a process of its own, in the launcher's group.
  void SignalGroup(int signal) { m_pid > 0 && ::kill(-m_pid, signal); }
  // Sends the signal and waits; a program not ended within ten seconds is killed.
  int Stop(int signal = SIGTERM) {
    if (m_pid > 0)
      ::kill(m_pid, signal);
    const int code = Wait(10000);
    if (code != -2)
      return code;
    ::kill(m_pid, SIGKILL);
    return Wait(10000);
  }

  std::string Output() const { return TempDir::ReadFile(m_out); }
  std::string Errors() const { return TempDir::ReadFile(m_err); }

 private:
  static std::vector<char*> Pointers(std::vector<std::string>& items) {
    std::vector<char*> pointers;
    for (std::string& item : items) pointers.push_back(item.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  TempDir m_dir;
  const std::string m_out = m_dir / "output", m_err = m_dir / "errors";
  pid_t m_pid = -1;
};

// Runs body in a child process with a process group of its own and its output kept from the
// test's, and gives back what body returned; nothing when it had not returned after the seconds
// given. Whatever is left in that group is killed.
inline std::optional<std::string> RunInChild(const std::function<std::string()>& body,
                                             unsigned seconds) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    return std::nullopt;
  const pid_t child = ::fork();
  if (child == 0) {
    ::setpgid(0, 0);
    ::alarm(seconds);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd : {0, 1, 2}) ::dup2(null, fd);
    const std::string result = body();
    ::_exit(::write(ends[1], result.data(), result.size()) < 0);
  }
  ::close(ends[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::kill(-child, SIGKILL);
  std::string result(4096, '\0');
  result.resize(std::size_t(std::max<ssize_t>(0, ::read(ends[0], result.data(), result.size()))));
  ::close(ends[0]);
  return WIFEXITED(status) ? std::optional(result) : std::nullopt;
}

}  // namespace vel::test
