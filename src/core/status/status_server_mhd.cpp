// The status server on libmicrohttpd, run from a thread of its own: one
// event loop for every connection, so a client that holds connections open
// costs the others nothing. libmicrohttpd limits the connections of each
// client and in all, the size of a request and how long a connection may
// stay silent; this loop adds a deadline for each request to arrive whole,
// which a client sending a byte now and then cannot put off.

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <microhttpd.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <optional>
#include <thread>
#include <unordered_map>

#include "core/platform/system_error.h"
#include "core/status/status_page.h"
#include "core/status/status_server.h"

namespace vel {
namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

// How much nicer than the program the server's thread runs.
constexpr int kNicer = 10;

std::string NumericHost(const sockaddr* address, socklen_t length) {
  char host[NI_MAXHOST] = "";
  ::getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST);
  return host;
}

std::string Url(const std::string& host, unsigned port) {
  const bool v6 = host.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

// A socket listening at address, or why there is none.
ResultOf<int> Listen(const ListenAddress& address, const std::string& text) {
  const auto failure = [&text](const std::string& why) {
    return Result::Failure("Cannot serve the status page on " + text + ": " + why + ".");
  };
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(address.port);
  if (const int error = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found);
      error != 0)
    return failure(::gai_strerror(error));
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  int error = fd < 0 ? errno : 0;
  const int on = 1;
  if (fd >= 0) {
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0 || ::listen(fd, 64) != 0)
      error = errno;
  }
  ::freeaddrinfo(found);
  if (error == 0)
    return fd;
  if (fd >= 0)
    ::close(fd);
  return failure(SystemErrorText(error));
}

std::string ListenedHost(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return NumericHost(reinterpret_cast<sockaddr*>(&address), length);
}

unsigned ListenedPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

// The machine's own addresses of a family, those of its network before
// the loopback ones; IPv6 link-local ones need a zone, left out.
std::vector<std::string> OwnAddresses(int family) {
  std::vector<std::string> network, loopback;
  ifaddrs* all = nullptr;
  if (::getifaddrs(&all) != 0)
    return {};
  for (const ifaddrs* entry = all; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != family || !(entry->ifa_flags & IFF_UP))
      continue;
    if (family == AF_INET6 &&
        IN6_IS_ADDR_LINKLOCAL(&reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr))
      continue;
    const socklen_t length = family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    (entry->ifa_flags & IFF_LOOPBACK ? loopback : network)
        .push_back(NumericHost(entry->ifa_addr, length));
  }
  ::freeifaddrs(all);
  network.insert(network.end(), loopback.begin(), loopback.end());
  return network;
}

// A stored picture to send, or null when it is gone (or not a file).
MHD_Response* FileResponse(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (fd >= 0)
      ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, 0);  // O_NONBLOCK only kept a FIFO from stalling the open
  return MHD_create_response_from_fd64(static_cast<std::uint64_t>(info.st_size), fd);
}

}  // namespace

class StatusServer::Listener {
 public:
  Listener(const StatusServer& server, int socket, const Limits& limits)
      : m_server(server), m_socket(socket), m_limits(limits) {}
  ~Listener() { Stop(); }

  Result Run(const std::string& text) {
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
      return Result::Failure("Cannot serve the status page on " + text + ": " +
                             SystemErrorText(errno) + ".");
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
    const unsigned flags = address.ss_family == AF_INET6 ? MHD_USE_IPv6 : MHD_NO_FLAG;
    m_daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &Listener::Answer, this, MHD_OPTION_LISTEN_SOCKET, m_socket,
        MHD_OPTION_CONNECTION_LIMIT, m_limits.connections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        m_limits.perClient, MHD_OPTION_CONNECTION_TIMEOUT, m_limits.idleSeconds,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, m_limits.requestBytes, MHD_OPTION_NOTIFY_CONNECTION,
        &Listener::Connection, this, MHD_OPTION_NOTIFY_COMPLETED, &Listener::Completed, this,
        MHD_OPTION_END);
    if (!m_daemon)
      return Result::Failure("Cannot serve the status page on " + text +
                             ": the HTTP server did not start.");
    // Signals are for the front end's thread: none reaches this one, and a
    // client gone in the middle of an answer is a failed write, not SIGPIPE.
    sigset_t all, before;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &before);
    m_thread = std::thread([this] { Loop(); });
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return Result::Success();
  }

  void Stop() {
    if (m_thread.joinable()) {
      const char byte = 1;
      (void)!::write(m_wake[1], &byte, 1);
      m_thread.join();
    }
    if (m_daemon) {
      // The listening socket stays this object's to close.
      if (MHD_quiesce_daemon(m_daemon) == MHD_INVALID_SOCKET)
        m_socket = -1;
      MHD_stop_daemon(m_daemon);
    }
    m_daemon = nullptr;
    for (int* fd : {&m_wake[0], &m_wake[1], &m_socket}) {
      if (*fd >= 0)
        ::close(*fd);
      *fd = -1;
    }
  }

  int Socket() const { return m_socket; }

 private:
  // A connection, by libmicrohttpd's handle: its socket and, while a
  // request is awaited on it, when that must have arrived.
  struct Client {
    int fd = -1;
    std::optional<SteadyTime> deadline;
    bool closing = false;
  };

  SteadyTime Deadline() const {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(m_limits.requestWithinMs);
  }

  void Loop() {
    // Below the series' thread for the scheduler: on a busy board a shot
    // goes first and the page waits (thread niceness is per thread here).
    const id_t self = static_cast<id_t>(::gettid());
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, self);
    if (errno == 0)
      ::setpriority(PRIO_PROCESS, self, std::min(nice + kNicer, 19));
    for (;;) {
      fd_set read, write, except;
      FD_ZERO(&read);
      FD_ZERO(&write);
      FD_ZERO(&except);
      MHD_socket highest = m_wake[0];
      FD_SET(m_wake[0], &read);
      MHD_get_fdset2(m_daemon, &read, &write, &except, &highest, FD_SETSIZE);
      const std::int64_t waitMs = WaitMs();
      timeval timeout{static_cast<time_t>(waitMs / 1000),
                      static_cast<suseconds_t>(waitMs % 1000 * 1000)};
      const int ready = ::select(highest + 1, &read, &write, &except, &timeout);
      if (ready < 0) {
        FD_ZERO(&read);
        FD_ZERO(&write);
        FD_ZERO(&except);
      } else if (FD_ISSET(m_wake[0], &read)) {
        return;
      }
      MHD_run_from_select(m_daemon, &read, &write, &except);
      CloseOverdue();
    }
  }

  // Until libmicrohttpd has work to do or a request's time is up.
  std::int64_t WaitMs() const {
    std::int64_t waitMs = 1000;
    MHD_UNSIGNED_LONG_LONG daemonMs = 0;
    if (MHD_get_timeout(m_daemon, &daemonMs) == MHD_YES)
      waitMs = std::min<std::int64_t>(waitMs, static_cast<std::int64_t>(daemonMs));
    const SteadyTime now = std::chrono::steady_clock::now();
    for (const auto& [connection, client] : m_clients) {
      if (client.deadline && !client.closing) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(*client.deadline - now).count();
        waitMs = std::min<std::int64_t>(waitMs, left + 1);
      }
    }
    return std::max<std::int64_t>(0, waitMs);
  }

  // A request not come whole in time: its connection is shut, which
  // libmicrohttpd then sees and closes as the client's doing.
  void CloseOverdue() {
    const SteadyTime now = std::chrono::steady_clock::now();
    for (auto& [connection, client] : m_clients) {
      if (client.deadline && *client.deadline <= now && !client.closing) {
        client.closing = true;
        ::shutdown(client.fd, SHUT_RDWR);
      }
    }
  }

  static void Connection(void* self, MHD_Connection* connection, void**,
                         MHD_ConnectionNotificationCode code) {
    auto& listener = *static_cast<Listener*>(self);
    if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
      listener.m_clients.erase(connection);
      return;
    }
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    listener.m_clients[connection] = Client{info ? info->connect_fd : -1, listener.Deadline()};
  }

  static void Completed(void* self, MHD_Connection* connection, void**,
                        MHD_RequestTerminationCode) {
    auto& listener = *static_cast<Listener*>(self);
    if (auto client = listener.m_clients.find(connection); client != listener.m_clients.end())
      client->second.deadline = listener.Deadline();  // for the next request on it
  }

  static MHD_Result Answer(void* self, MHD_Connection* connection, const char* url,
                           const char* method, const char*, const char*, std::size_t*,
                           void** request) {
    auto& listener = *static_cast<Listener*>(self);
    *request = self;
    if (auto client = listener.m_clients.find(connection); client != listener.m_clients.end())
      client->second.deadline.reset();
    const std::shared_ptr<const Published> latest = listener.m_server.Latest();
    const auto ageMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - latest->at)
                           .count();
    PageAnswer answer = AnswerPageRequest(method, url, latest->status, ageMs);
    MHD_Response* response = answer.file.empty() ? nullptr : FileResponse(answer.file);
    if (!answer.file.empty() && !response) {
      answer = PageAnswer{};  // the picture is gone
      answer.body = "Not found.\n";
    }
    if (!response)
      response = MHD_create_response_from_buffer(answer.body.size(), answer.body.data(),
                                                 MHD_RESPMEM_MUST_COPY);
    if (!response)
      return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE,
                            std::string(answer.type).c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL,
                            std::string(kPageCachePolicy).c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_SECURITY_POLICY,
                            std::string(kPageSecurityPolicy).c_str());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    if (answer.code == MHD_HTTP_METHOD_NOT_ALLOWED)
      MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    const MHD_Result queued =
        MHD_queue_response(connection, static_cast<unsigned>(answer.code), response);
    MHD_destroy_response(response);
    return queued;
  }

  const StatusServer& m_server;
  int m_socket;
  const Limits m_limits;
  int m_wake[2] = {-1, -1};
  MHD_Daemon* m_daemon = nullptr;
  std::thread m_thread;
  // Touched only on the server's thread, in libmicrohttpd's callbacks and
  // the loop around them.
  std::unordered_map<MHD_Connection*, Client> m_clients;
};

StatusServer::StatusServer() {
  Publish({});
}

StatusServer::~StatusServer() {
  Stop();
}

Result StatusServer::Start(const std::string& address, const Limits& limits) {
  Stop();
  const ResultOf<ListenAddress> parsed = ParseListenAddress(address);
  if (!parsed)
    return Result::Failure("Cannot serve the status page on " + address + ": not ADDR:PORT.");
  ResultOf<int> socket = Listen(parsed.Value(), address);
  if (!socket)
    return socket.Status();
  auto listener = std::make_unique<Listener>(*this, socket.Value(), limits);
  if (Result running = listener->Run(address); !running)
    return running;
  m_listener = std::move(listener);
  return Result::Success();
}

void StatusServer::Stop() {
  m_listener.reset();
}

std::vector<std::string> StatusServer::Urls() const {
  if (!m_listener)
    return {};
  const int fd = m_listener->Socket();
  const std::string host = ListenedHost(fd);
  const unsigned port = ListenedPort(fd);
  std::vector<std::string> hosts;
  if (host == "0.0.0.0" || host == "::")
    hosts = OwnAddresses(AF_INET);
  if (host == "::") {
    const std::vector<std::string> v6 = OwnAddresses(AF_INET6);
    hosts.insert(hosts.end(), v6.begin(), v6.end());
  }
  if (hosts.empty())
    hosts = {host};
  std::vector<std::string> urls;
  for (const std::string& own : hosts) urls.push_back(Url(own, port));
  return urls;
}

}  // namespace vel
