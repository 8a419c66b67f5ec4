#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vel::test {

// The living processes of a session.
inline std::vector<pid_t> SessionMembers(pid_t session) {
  std::vector<pid_t> members;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos)
      continue;
    const std::string stat = TempDir::ReadFile(entry.path() / "stat");
    char state = 0;
    int parent = 0, group = 0, sid = 0;
    const auto name = stat.rfind(')');
    if (name != std::string::npos &&
        std::sscanf(stat.c_str() + name + 1, " %c %d %d %d", &state, &parent, &group, &sid) == 4 &&
        sid == session && state != 'Z')
      members.push_back(std::stoi(pid));
  }
  return members;
}

// What a body run in a session of its own gave back (nothing when it did not return before its
// deadline), and how many processes it started were still there two seconds after it returned.
struct SessionRun {
  std::optional<std::string> result;
  std::size_t leftProcesses = 0;
};

// Runs body in a child process leading a session of its own, its output kept from the test's.
// Afterwards every process still in that session is killed, so that a program the code under
// test failed to end can neither outlive the test nor hold its output open.
inline SessionRun RunInOwnSession(const std::function<std::string()>& body, int deadlineMs) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd : {0, 1, 2}) ::dup2(null, fd);
    const std::string result = body();
    ::_exit(::write(ends[1], result.data(), result.size()) < 0);
  }
  ::close(ends[1]);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
  std::string result;
  ssize_t n = 1;
  for (pollfd p{ends[0], POLLIN, 0}; n > 0;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
      break;
    char buffer[4096];
    n = ::read(ends[0], buffer, sizeof buffer);
    result.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  }
  ::close(ends[0]);
  SessionRun run;
  if (n == 0) {
    run.result = result;
    ::waitpid(child, nullptr, 0);
    for (int waited = 0; waited < 2000 && !SessionMembers(child).empty(); waited += 10)
      ::usleep(10'000);
  }
  run.leftProcesses = SessionMembers(child).size();
  for (pid_t member : SessionMembers(child)) ::kill(member, SIGKILL);
  if (!run.result)
    ::waitpid(child, nullptr, 0);
  return run;
}

}  // namespace vel::test
