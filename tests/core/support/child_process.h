#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

extern char** environ;

namespace vel::test {

// A program run as a real process, its output read as it comes. Extra
// environment entries ("NAME=value") are added to the test's own.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& extraEnvironment = {}) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
      return;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> environment = extraEnvironment;
    for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&m_pid, argv[0].c_str(), &actions, nullptr, pointers.data(), envp.data()) !=
        0)
      m_pid = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    m_out = out[0];
    m_err = err[0];
  }

  ~ChildProcess() {
    if (m_pid > 0)
      Stop(SIGKILL);
    for (int fd : {m_out, m_err}) {
      if (fd >= 0)
        ::close(fd);
    }
  }

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The first line of output (the terminal's path), empty when the program
  // ended or said nothing within the time.
  std::string FirstLine(int timeoutMs = 10000) {
    if (!WaitFor("\n", timeoutMs))
      return {};
    return m_output.substr(0, m_output.find('\n'));
  }

  // Reads output until it holds text or the time is up.
  bool WaitFor(const std::string& text, int timeoutMs = 10000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_output.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            until - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || !ReadSome(static_cast<int>(left)))
        return m_output.find(text) != std::string::npos;
    }
    return true;
  }

  // Waits up to the time given for the program to end by itself and returns
  // its exit code; -1 when it died of a signal, -2 when it is still running.
  int Wait(int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until)
        return -2;
      ReadSome(20);
    }
    if (m_pid <= 0)
      return -1;
    m_pid = -1;
    while (ReadSome(100)) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Sends the signal, reads everything left and returns the exit code (-1
  // when the program died of a signal).
  int Stop(int signal = SIGTERM) {
    if (m_pid <= 0)
      return -1;
    ::kill(m_pid, signal);
    while (ReadSome(10000)) {
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0) {
      ::kill(m_pid, SIGKILL);  // it did not end within the time
      ::waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  bool Started() const { return m_pid > 0; }
  const std::string& Output() const { return m_output; }
  const std::string& Errors() const { return m_errors; }

 private:
  // Waits for output; false when both pipes are closed or nothing came.
  bool ReadSome(int timeoutMs) {
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    if (m_out < 0 && m_err < 0)
      return false;
    if (::poll(fds, 2, timeoutMs) <= 0)
      return false;
    bool any = false;
    any |= Drain(m_out, fds[0].revents, m_output);
    any |= Drain(m_err, fds[1].revents, m_errors);
    return any || m_out >= 0 || m_err >= 0;
  }

  static bool Drain(int& fd, short revents, std::string& into) {
    if (fd < 0 || !(revents & (POLLIN | POLLHUP)))
      return false;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      return true;
    }
    ::close(fd);
    fd = -1;
    return false;
  }

  pid_t m_pid = -1;
  int m_out = -1;
  int m_err = -1;
  std::string m_output;
  std::string m_errors;
};

}  // namespace vel::test
