// The status page in a real browser: Chromium without a display, driven
// over its DevTools pipe, opens it from the status server on a real socket.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "core/status/status_server.h"
#include "support/temp_dir.h"

extern char** environ;

namespace vel {
namespace {

using test::TempDir;

// Chromium reads DevTools commands on its descriptor 3 and answers on 4,
// each message JSON ended by a NUL byte.
class HeadlessBrowser {
 public:
  explicit HeadlessBrowser(const std::string& profileDir) {
    int commands[2], answers[2];
    if (::pipe2(commands, O_CLOEXEC) != 0 || ::pipe2(answers, O_CLOEXEC) != 0)
      return;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, commands[0], 3);
    ::posix_spawn_file_actions_adddup2(&actions, answers[1], 4);
    for (int fd : {1, 2})
      ::posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {CHROMIUM_PROGRAM, "--headless",    "--remote-debugging-pipe",
                                     "--no-first-run", "--disable-gpu", "about:blank"};
    args.insert(args.begin() + 1, "--user-data-dir=" + profileDir);
    if (::geteuid() == 0)
      args.insert(args.begin() + 1, "--no-sandbox");  // Chromium refuses root otherwise
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&m_pid, CHROMIUM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
      m_pid = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(commands[0]);
    ::close(answers[1]);
    m_send = commands[1];
    m_receive = answers[0];
  }
  ~HeadlessBrowser() {
    if (m_pid > 0 && ::kill(m_pid, SIGKILL) == 0)
      ::waitpid(m_pid, nullptr, 0);
    ::close(m_send);
    ::close(m_receive);
  }

  // The answer to a command (events before it are passed over); empty when
  // none came within ten seconds.
  std::string Call(const std::string& method, const std::string& params,
                   const std::string& session = "") {
    const std::string id = std::to_string(++m_lastId);
    std::string message = "{\"id\":" + id + ",\"method\":\"" + method + "\",\"params\":" + params;
    if (!session.empty())
      message += ",\"sessionId\":\"" + session + "\"";
    message += "}";
    if (::write(m_send, message.c_str(), message.size() + 1) != ssize_t(message.size() + 1))
      return {};
    for (;;) {
      for (std::size_t end; (end = m_buffer.find('\0')) != std::string::npos;) {
        std::string answer = m_buffer.substr(0, end);
        m_buffer.erase(0, end + 1);
        if (answer.rfind("{\"id\":" + id + ",", 0) == 0)
          return answer;
      }
      pollfd wait{m_receive, POLLIN, 0};
      char chunk[65536];
      const ssize_t got = ::poll(&wait, 1, 10000) == 1 ? ::read(m_receive, chunk, sizeof chunk) : 0;
      if (got <= 0)
        return {};
      m_buffer.append(chunk, static_cast<std::size_t>(got));
    }
  }
  // The session of a new tab showing url.
  std::string Open(const std::string& url) {
    const std::string target =
        Field(Call("Target.createTarget", "{\"url\":\"" + url + "\"}"), "targetId");
    return Field(
        Call("Target.attachToTarget", "{\"targetId\":\"" + target + "\",\"flatten\":true}"),
        "sessionId");
  }
  // The string a JavaScript expression (without double quotes) gives in the tab.
  std::string Evaluate(const std::string& session, const std::string& expression) {
    return Field(
        Call("Runtime.evaluate",
             "{\"expression\":\"String(" + expression + ")\",\"returnByValue\":true}", session),
        "value");
  }
  // Evaluates until it gives want or ten seconds have passed; what it gave last.
  std::string AwaitValue(const std::string& session, const std::string& expression,
                         const std::string& want) {
    std::string value;
    for (int i = 0; i < 100 && (value = Evaluate(session, expression)) != want; ++i)
      ::usleep(100'000);
    return value;
  }

 private:
  // A string field of a message, its escapes left as they are.
  static std::string Field(const std::string& message, const std::string& name) {
    const std::string key = "\"" + name + "\":\"";
    const std::size_t start = message.find(key);
    if (start == std::string::npos)
      return {};
    std::size_t end = start + key.size();
    while (end < message.size() && message[end] != '"') end += message[end] == '\\' ? 2 : 1;
    return message.substr(start + key.size(), end - start - key.size());
  }

  pid_t m_pid = -1;
  int m_send = -1, m_receive = -1;
  int m_lastId = 0;
  std::string m_buffer;
};

// The page shows the shot and follows the next one without a reload, its
// picture loads and opens on a tap, and it fits a phone's screen.
TEST(StatusPageInBrowser, FollowsTheSeriesWithoutAReload) {
  TempDir dir;
  const std::string picture = dir / "CIMG0001.JPG";
  TempDir::WriteFile(picture, TempDir::ReadFile(STATUS_FIXTURES "/picture.jpg"));
  SeriesStatus status;
  status.model = "QV-4000";
  status.phase = SeriesPhase::Running;
  status.shot = 1;
  status.count = 5;
  status.picturePath = status.thumbnailPath = picture;
  status.pictureShot = 1;
  status.logLines = {"2026-12-07 10:00:00 Shot 1 of 5: sent 42 62"};
  StatusServer server;
  server.Publish(status);
  ASSERT_TRUE(server.Start("127.0.0.1:0"));
  HeadlessBrowser browser(dir / "browser");
  const std::string tab = browser.Open(server.Urls().at(0));
  ASSERT_FALSE(tab.empty()) << "Chromium did not start";
  browser.Call("Emulation.setDeviceMetricsOverride",
               "{\"width\":360,\"height\":640,\"deviceScaleFactor\":2,\"mobile\":true}", tab);
  const auto text = [](const char* id) {
    return "document.getElementById('" + std::string(id) + "').textContent";
  };
  EXPECT_EQ(browser.AwaitValue(tab, text("shot"), "1 of 5"), "1 of 5");
  EXPECT_EQ(browser.Evaluate(tab, "document.title"), "Velorantica for Casio QV-4000");
  EXPECT_EQ(browser.Evaluate(tab, text("log")), status.logLines[0]);
  EXPECT_EQ(browser.AwaitValue(tab, "document.getElementById('thumbnail').naturalWidth", "32"),
            "32");
  EXPECT_EQ(browser.Evaluate(tab, "document.documentElement.scrollWidth <= 360"), "true");
  browser.Evaluate(tab, "window.stayed = 'yes'");

  status.shot = status.pictureShot = 2;
  server.Publish(status);
  EXPECT_EQ(browser.AwaitValue(tab, text("shot"), "2 of 5"), "2 of 5");
  EXPECT_EQ(browser.Evaluate(tab, "window.stayed"), "yes") << "the page was loaded again";
  EXPECT_EQ(browser.Evaluate(tab, "document.getElementById('picture-link').href"),
            server.Urls().at(0) + "last.jpg?shot=2%2FCIMG0001.JPG");
}

}  // namespace
}  // namespace vel
