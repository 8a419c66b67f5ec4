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
// environment entries ("NAME=value") come before the test's own, so they win.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, std::vector<std::string> args,
               std::vector<std::string> environment = {}) {
    args.insert(args.begin(), program);
    for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
      return;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, Pointers(args).data(),
                      Pointers(environment).data()) != 0)
      m_pid = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    m_pipes[0].fd = out[0];
    m_pipes[1].fd = err[0];
  }
  ~ChildProcess() {
    Stop(SIGKILL);
    for (const pollfd& pipe : m_pipes)
      if (pipe.fd >= 0)
        ::close(pipe.fd);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The first line of output, empty when the program ended or said nothing
  // within the time.
  std::string FirstLine(int timeoutMs = 10000) {
    return WaitFor("\n", timeoutMs) ? m_output.substr(0, m_output.find('\n')) : std::string();
  }

  // Reads output until it holds text or the time is up.
  bool WaitFor(const std::string& text, int timeoutMs = 10000) {
    const auto until = Now() + std::chrono::milliseconds(timeoutMs);
    while (m_output.find(text) == std::string::npos)
      if (Now() >= until || !ReadSome(MsUntil(until)))
        return m_output.find(text) != std::string::npos;
    return true;
  }

  // Waits up to the time given for the program to end by itself and returns
  // its exit code; -1 when it died of a signal, -2 when it is still running.
  int Wait(int timeoutMs) {
    const auto until = Now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) == 0) {
      if (Now() > until)
        return -2;
      ReadSome(20);
    }
    return Reaped(status);
  }

  // Sends the signal (0 only waits), reads everything left and returns the
  // exit code (-1 when the program died of a signal).
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
    return Reaped(status);
  }

  const std::string& Output() const { return m_output; }
  const std::string& Errors() const { return m_errors; }

 private:
  static std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }
  static int MsUntil(std::chrono::steady_clock::time_point until) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Now()).count());
  }
  static std::vector<char*> Pointers(std::vector<std::string>& items) {
    std::vector<char*> pointers;
    for (std::string& item : items) pointers.push_back(item.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  // The program ended with status: reads what is left of its output.
  int Reaped(int status) {
    if (m_pid <= 0)
      return -1;
    m_pid = -1;
    while (ReadSome(100)) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Waits for output; false when both pipes are closed or nothing came.
  bool ReadSome(int timeoutMs) {
    if (m_pipes[0].fd < 0 && m_pipes[1].fd < 0)
      return false;
    if (::poll(m_pipes, 2, timeoutMs) <= 0)
      return false;
    std::string* into[2] = {&m_output, &m_errors};
    for (int i = 0; i < 2; ++i) {
      if (m_pipes[i].fd < 0 || !(m_pipes[i].revents & (POLLIN | POLLHUP)))
        continue;
      char buffer[4096];
      const ssize_t n = ::read(m_pipes[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        into[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(m_pipes[i].fd);
        m_pipes[i].fd = -1;  // poll skips it from now on
      }
    }
    return true;
  }

  pid_t m_pid = -1;
  pollfd m_pipes[2] = {{-1, POLLIN, 0}, {-1, POLLIN, 0}};
  std::string m_output;
  std::string m_errors;
};

}  // namespace vel::test
