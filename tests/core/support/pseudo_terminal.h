#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vel::test {

// A pseudo-terminal standing in for the camera's serial line: the program
// opens SlavePath() as its port, the test reads what arrived on the master.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) {
      m_path = name;
      ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
      // Raw on both ends so that no byte is translated or echoed.
      termios tio{};
      ::tcgetattr(m_slave, &tio);
      ::cfmakeraw(&tio);
      ::tcsetattr(m_slave, TCSANOW, &tio);
    }
  }
  ~PseudoTerminal() {
    CloseMaster();
    if (m_slave >= 0)
      ::close(m_slave);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Ok() const { return m_master >= 0; }
  const std::string& SlavePath() const { return m_path; }
  int MasterFd() const { return m_master; }

  // Closes the test's own handle on the slave, so that the program's handle
  // is the only one (needed to see the far end vanish).
  void CloseSlave() {
    if (m_slave >= 0)
      ::close(m_slave);
    m_slave = -1;
  }
  void CloseMaster() {
    if (m_master >= 0)
      ::close(m_master);
    m_master = -1;
  }

  // Everything readable within the time given, waiting at least until the
  // expected number of bytes arrived or the time is up.
  std::vector<std::uint8_t> Read(std::size_t expected = 0, int timeoutMs = 200) {
    std::vector<std::uint8_t> bytes;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      std::uint8_t buffer[256];
      const ssize_t n = ::read(m_master, buffer, sizeof buffer);
      if (n > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
        continue;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            until - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || (expected && bytes.size() >= expected))
        break;
      pollfd p{m_master, POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(left));
    }
    return bytes;
  }

  // The line settings as the program left them, read through the test's own
  // handle (a new open would be refused while the program holds the port).
  termios SlaveSettings() const {
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    return tio;
  }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_path;
};

}  // namespace vel::test
