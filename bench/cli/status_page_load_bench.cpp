// Whether the status page moves the shots of a velorantica-cli series off
// their grid: 60 shots at a 1 s interval against qvsim with --serve, once
// with the page left alone and once with 200 requests a second to it (the
// page, its script, /status.json and the thumbnail in turn, each on a new
// connection, from four clients). The shots are seen where the camera sees
// them, qvsim's recorded shutter presses, 59 of them after the first.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/http_client.h"
#include "support/temp_dir.h"

namespace {

constexpr int kShots = 60;
constexpr long kIntervalMs = 1000;
constexpr int kClients = 4;

// The recorded times of the shutter's press (0x42) and release (0x62) bytes.
void ReadShutterTimes(const std::string& recording, std::vector<long>& presses,
                      std::vector<long>& releases) {
  std::ifstream in(recording);
  long ms;
  std::string hex;
  while (in >> ms >> hex) {
    if (hex == "42")
      presses.push_back(ms);
    else if (hex == "62")
      releases.push_back(ms);
  }
}

// One GET on a connection of its own, read to its end; whether it was
// answered 200.
bool Get(int port, const char* from, const std::string& path) {
  const int fd = vel::test::Connect(port, from);
  if (fd < 0)
    return false;
  const std::string request =
      "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  std::string answer;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
      static_cast<ssize_t>(request.size())) {
    char buffer[16384];
    for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
      answer.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return answer.rfind("HTTP/1.1 200", 0) == 0;
}

// Clients that together ask the page for perSecond requests a second, each
// on its own schedule and loopback address, until stopped.
class PageLoad {
 public:
  PageLoad(int port, int perSecond) {
    if (perSecond <= 0)
      return;
    const auto period = std::chrono::microseconds(1'000'000 * kClients / perSecond);
    for (int client = 0; client < kClients; ++client)
      m_clients.emplace_back([this, port, period, client] { Run(port, period, client); });
  }
  ~PageLoad() { Stop(); }

  void Stop() {
    m_stop = true;
    for (std::thread& client : m_clients)
      if (client.joinable())
        client.join();
  }
  long Sent() const { return m_sent; }
  long Answered() const { return m_answered; }

 private:
  void Run(int port, std::chrono::microseconds period, int client) {
    static const char* const kPaths[] = {"/", "/page.js", "/status.json", "/last-thumb.jpg"};
    // The clients stand for phones, whose work is not the board's: they
    // give way to the series and to its server.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    const std::string from = "127.0.0." + std::to_string(2 + client);
    auto next = std::chrono::steady_clock::now() + period * client / kClients;
    for (int n = client; !m_stop; ++n) {
      std::this_thread::sleep_until(next);
      next += period;
      ++m_sent;
      // No picture is stored in this series: the thumbnail is not found.
      if (Get(port, from.c_str(), kPaths[n % 4]) || n % 4 == 3)
        ++m_answered;
    }
  }

  std::atomic<bool> m_stop{false};
  std::atomic<long> m_sent{0}, m_answered{0};
  std::vector<std::thread> m_clients;
};

void BM_GridDeviationUnderPageLoad(benchmark::State& state) {
  const int perSecond = static_cast<int>(state.range(0));
  double worstMs = 0, sumMs = 0;
  long sent = 0, answered = 0;
  for (auto _ : state) {
    vel::test::TempDir dir;
    vel::test::ChildProcess camera(QVSIM_PROGRAM, {"--model", "5", "--record", dir / "recording"});
    const std::string port = camera.FirstLine(20000);
    vel::test::TempDir::WriteFile(dir / "profile.ini", "[Options]\nModel=5\n");
    vel::test::ChildProcess cli(
        CLI_PROGRAM,
        {"series", "--count", std::to_string(kShots), "--interval", "1", "--port", port,
         "--profile", dir / "profile.ini", "--serve", "127.0.0.1:0"},
        {"XDG_STATE_HOME=" + dir.Path()});
    const std::string label = "Status page: http://127.0.0.1:";
    if (!cli.WaitFor(label, 20000)) {
      state.SkipWithError(("no status page: " + cli.Errors()).c_str());
      return;
    }
    const std::string out = cli.Output();
    PageLoad load(std::atoi(out.c_str() + out.find(label) + label.size()), perSecond);
    const bool ended = cli.WaitFor("stays up until Ctrl+C", kShots * kIntervalMs + 30000);
    load.Stop();
    sent = load.Sent();
    answered = load.Answered();
    cli.Stop(SIGTERM);
    camera.Stop(SIGTERM);
    std::vector<long> presses, releases;
    ReadShutterTimes(dir / "recording", presses, releases);
    if (!ended || presses.size() != kShots || releases.empty()) {
      state.SkipWithError(("the camera did not receive every shot: " + cli.Errors()).c_str());
      return;
    }
    // The grid's origin, the first shot's end in the program, is not seen
    // by the camera (its release arrives a little before it): the grid is
    // laid on the presses' median offset from whole seconds.
    std::vector<double> offsets;
    for (int shot = 1; shot < kShots; ++shot)
      offsets.push_back(static_cast<double>(presses[shot] - shot * kIntervalMs));
    std::vector<double> sorted = offsets;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double median = sorted[sorted.size() / 2];
    worstMs = sumMs = 0;
    for (const double offset : offsets) {
      worstMs = std::max(worstMs, std::abs(offset - median));
      sumMs += std::abs(offset - median);
    }
  }
  state.counters["requests_per_s"] = perSecond;
  state.counters["requests_sent"] = static_cast<double>(sent);
  state.counters["requests_answered"] = static_cast<double>(answered);
  state.counters["worst_deviation_ms"] = worstMs;
  state.counters["mean_deviation_ms"] = sumMs / (kShots - 1);
}

BENCHMARK(BM_GridDeviationUnderPageLoad)
    ->Arg(0)
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
