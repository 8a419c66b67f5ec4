#pragma once

// Clients of the status page on real sockets: curl for whole requests, bare
// connections for the ones that hold the server up.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace vel::test {

struct HttpAnswer {
  int code = 0;  // 0: no answer
  std::string head, body;
};

// curl on url with more arguments ("--path-as-is", "-H", "@file", ...).
inline HttpAnswer Curl(const std::string& url, std::vector<std::string> args = {}) {
  TempDir dir;
  args.insert(args.begin(), {"-s", "--max-time", "10", "-D", dir / "head", "-o", dir / "body", "-w",
                             "%{http_code}"});
  args.push_back(url);
  ChildProcess curl(CURL_PROGRAM, args);
  HttpAnswer answer;
  curl.Wait(15000);
  answer.code = std::atoi(curl.Output().c_str());
  answer.head = TempDir::ReadFile(dir / "head");
  answer.body = TempDir::ReadFile(dir / "body");
  return answer;
}

// The port of "http://127.0.0.1:PORT/".
inline int PortOf(const std::string& url) {
  return std::atoi(url.substr(url.rfind(':') + 1).c_str());
}

// A TCP connection from the loopback address from (127.0.0.2, ...) to
// 127.0.0.1:port; -1 when it is refused.
inline int Connect(int port, const char* from = "127.0.0.1", const char* to = "127.0.0.1") {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{AF_INET, 0, {}, {}},
      remote{AF_INET, htons(static_cast<std::uint16_t>(port)), {}, {}};
  ::inet_pton(AF_INET, from, &local.sin_addr);
  ::inet_pton(AF_INET, to, &remote.sin_addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace vel::test
