#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/platform/result.h"
#include "core/timelapse/series_status.h"

namespace vel {

// The read-only status page of a series, served over HTTP on a thread of its
// own: "/" (with its style and script), "/status.json", "/last.jpg" and
// "/last-thumb.jpg"; anything else is not found. The front end publishes
// the series' status; every answer comes from the status published last, so
// the page goes on showing how a series ended for as long as the server runs.
//
// Built on libmicrohttpd; a build without it (Windows) fails at Start.
class StatusServer {
 public:
  // What one client, and all of them, may take of the server.
  struct Limits {
    unsigned perClient = 6;     // connections at once from one address
    unsigned connections = 64;  // connections at once in all
    // A request must arrive whole within this time of its connection's
    // opening or of the answer before (so a client sending slowly cannot
    // hold a connection), and a connection that moves nothing for
    // idleSeconds is closed.
    std::uint32_t requestWithinMs = 10000;
    unsigned idleSeconds = 10;
    std::size_t requestBytes = 16 * 1024;  // a request's head and its buffers
  };

  StatusServer();
  ~StatusServer();
  StatusServer(const StatusServer&) = delete;
  StatusServer& operator=(const StatusServer&) = delete;

  // Listens at address, "ADDR:PORT" as ParseListenAddress takes it, and
  // nowhere else; a failure names the address and the reason ("Address
  // already in use").
  Result Start(const std::string& address, const Limits& limits);
  Result Start(const std::string& address) { return Start(address, Limits{}); }
  void Stop();
  bool Serving() const { return m_listener != nullptr; }
  // The addresses to open the page at, "http://192.168.1.20:8080/"; for a
  // wildcard address (0.0.0.0, ::) one for each address of this machine.
  std::vector<std::string> Urls() const;

  // Thread-safe and cheap: the status is moved in under a lock.
  void Publish(SeriesStatus status);

 private:
  struct Published {
    SeriesStatus status;
    std::chrono::steady_clock::time_point at;
  };
  class Listener;  // the HTTP side, on its thread

  std::shared_ptr<const Published> Latest() const;

  mutable std::mutex m_mutex;
  std::shared_ptr<const Published> m_published;
  std::unique_ptr<Listener> m_listener;
};

}  // namespace vel
