#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

// What a body run in a session of its own gave back (nothing when it had not returned after its
// seconds), and how many of the processes it started were still there two seconds later.
struct SessionRun {
  std::optional<std::string> result;
  std::size_t leftProcesses = 0;
};

// Runs body in a child process that leads a session of its own, its output kept from the test's,
// and ends it after the seconds given. Then every process left in that session is killed, so
// that a program the code under test failed to end neither outlives the test nor holds its output.
inline SessionRun RunInOwnSession(const std::function<std::string()>& body, unsigned seconds) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    ::alarm(seconds);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd : {0, 1, 2}) ::dup2(null, fd);
    const std::string result = body();
    ::_exit(::write(ends[1], result.data(), result.size()) < 0);
  }
  ::close(ends[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  SessionRun run;
  std::string result(4096, '\0');
  result.resize(std::size_t(std::max<ssize_t>(0, ::read(ends[0], result.data(), result.size()))));
  ::close(ends[0]);
  if (WIFEXITED(status))
    run.result = result;
  for (int waited = 0; waited < 2000 && !SessionMembers(child).empty(); waited += 10)
    ::usleep(10'000);
  run.leftProcesses = SessionMembers(child).size();
  for (pid_t member : SessionMembers(child)) ::kill(member, SIGKILL);
  return run;
}

}  // namespace vel::test
