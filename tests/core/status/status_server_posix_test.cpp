// The status server on a real socket, asked by curl and held by bare
// connections.
#include "core/status/status_server.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "support/http_client.h"

namespace vel {
namespace {

using test::Connect;
using test::Curl;
using test::TempDir;

class Server : public ::testing::Test {
 protected:
  void Serve(const StatusServer::Limits& limits = {}) {
    ASSERT_TRUE(server.Start("127.0.0.1:0", limits));
    ASSERT_EQ(server.Urls().size(), 1u);
    url = server.Urls()[0];
    port = test::PortOf(url);
  }
  SeriesStatus Status(std::uint32_t shot) {
    SeriesStatus status;
    status.model = "QV-4000";
    status.shot = shot;
    status.picturePath = picture;
    status.thumbnailPath = dir / "gone.jpg";
    return status;
  }

  TempDir dir;
  const std::string picture = dir / "CIMG0003.JPG";
  const std::string jpeg = TempDir::ReadFile(STATUS_FIXTURES "/picture.jpg");
  StatusServer server;
  std::string url;
  int port = 0;
};

TEST_F(Server, AnswersFromThePublishedStatusOnly) {
  TempDir::WriteFile(picture, jpeg);
  server.Publish(Status(3));
  Serve();
  EXPECT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << url;
  const std::tuple<std::string, std::vector<std::string>, int, std::string> cases[] = {
      {"status.json", {}, 200, "\"shot\": 3,"},
      {"", {}, 200, "<title>"},
      {"last.jpg", {}, 200, jpeg},
      {"last-thumb.jpg", {}, 404, "Not found"},  // its file is gone
      {"%2e%2e/", {"--path-as-is"}, 404, "Not found"},
      {"%2e%2e/%2e%2e/etc/passwd", {"--path-as-is"}, 404, "Not found"},
      {"status.json", {"-X", "POST", "-d", "x"}, 405, "Only GET"},
  };
  for (const auto& [path, args, code, says] : cases) {
    SCOPED_TRACE(path);
    const test::HttpAnswer answer = Curl(url + path, args);
    EXPECT_EQ(answer.code, code) << answer.head;
    EXPECT_NE(answer.body.find(says), std::string::npos) << answer.body;
    EXPECT_NE(answer.head.find("Cache-Control: no-store\r\n"), std::string::npos);
    EXPECT_NE(answer.head.find("Content-Security-Policy: default-src 'none'; script-src 'self';"),
              std::string::npos);
  }
}

// A request too big, a client holding 200 connections and one sending its
// request a byte at a time keep no one else from the page for long.
TEST_F(Server, GreedyAndSlowClientsAreTurnedAway) {
  StatusServer::Limits limits;
  limits.requestWithinMs = 500;
  server.Publish(Status(1));
  Serve(limits);
  const std::string header = dir / "header";
  TempDir::WriteFile(header, "X-Big: " + std::string(1 << 20, 'a') + "\n");
  const test::HttpAnswer big = Curl(url + "status.json", {"-H", "@" + header});
  EXPECT_NE(big.code, 200);
  EXPECT_EQ(big.body.find("\"shot\""), std::string::npos);

  std::vector<int> idle;
  for (int i = 0; i < 200; ++i) idle.push_back(Connect(port));
  const int slow = Connect(port, "127.0.0.3");
  ASSERT_GE(slow, 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Curl(url + "status.json", {"--interface", "127.0.0.2"}).code, 200);
  // The slow request is cut off at its deadline, however it trickles in.
  const char request[] = "GET /status.json HTTP/1.1\r\nHost: x\r\n";
  bool closed = false;
  for (std::size_t i = 0; i < sizeof request - 1 && !closed; ++i) {
    ::send(slow, request + i, 1, MSG_NOSIGNAL);
    pollfd wait{slow, POLLIN, 0};
    char byte;
    closed = ::poll(&wait, 1, 100) == 1 && ::recv(slow, &byte, 1, 0) <= 0;
  }
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(closed);
  EXPECT_GE(took, std::chrono::milliseconds(400));
  EXPECT_LT(took, std::chrono::milliseconds(3000));
  // So were the idle ones: their client is let in again.
  EXPECT_EQ(Curl(url + "status.json").code, 200);
  for (int fd : idle) ::close(fd);
  ::close(slow);
}

// Only where told, and on a thread that gives way to the series': it alone runs nicer.
TEST_F(Server, ListensOnlyWhereToldOnAThreadNicerThanTheSeries) {
  Serve();
  ASSERT_EQ(Curl(url + "status.json").code, 200);
  std::vector<int> nices;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    const std::string stat = TempDir::ReadFile(task.path() / "stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 0; i < 17; ++i) fields >> field;  // the state is field 3, the nice field 19
    nices.push_back(std::stoi(field));
  }
  std::sort(nices.begin(), nices.end());
  const int own = ::getpriority(PRIO_PROCESS, 0);
  EXPECT_EQ(nices, (std::vector<int>{own, std::min(own + 10, 19)}));

  EXPECT_EQ(Connect(port, "127.0.0.2", "127.0.0.2"), -1);
  StatusServer second;
  const Result taken = second.Start("127.0.0.1:" + std::to_string(port));
  ASSERT_FALSE(taken);
  EXPECT_EQ(taken.Text(), "Cannot serve the status page on 127.0.0.1:" + std::to_string(port) +
                              ": Address already in use.");
  EXPECT_FALSE(second.Serving());
  server.Stop();
  EXPECT_EQ(Connect(port), -1);
}

}  // namespace
}  // namespace vel
