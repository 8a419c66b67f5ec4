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
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
      return;
    m_path = name;
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // Raw, so that no byte is translated or echoed.
    termios tio = SlaveSettings();
    ::cfmakeraw(&tio);
    SetSlaveSettings(tio);
  }
  ~PseudoTerminal() {
    CloseMaster();
    CloseSlave();
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Ok() const { return m_master >= 0; }
  const std::string& SlavePath() const { return m_path; }
  int MasterFd() const { return m_master; }

  // Closes the test's own handle on the slave, so that the program's handle
  // is the only one (needed to see the far end vanish).
  void CloseSlave() { Close(m_slave); }
  void CloseMaster() { Close(m_master); }

  // Everything readable within the time given, returning early once the
  // expected number of bytes arrived.
  std::vector<std::uint8_t> Read(std::size_t expected = 0, int timeoutMs = 200) {
    std::vector<std::uint8_t> bytes;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      std::uint8_t buffer[256];
      for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            until - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || (expected && bytes.size() >= expected))
        return bytes;
      pollfd p{m_master, POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(left));
    }
  }

  // The line settings as the program left them, read through the test's own
  // handle (a new open would be refused while the program holds the port).
  termios SlaveSettings() const {
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    return tio;
  }
  bool SetSlaveSettings(const termios& tio) { return ::tcsetattr(m_slave, TCSANOW, &tio) == 0; }

 private:
  static void Close(int& fd) {
    if (fd >= 0)
      ::close(fd);
    fd = -1;
  }

  int m_master = -1;
  int m_slave = -1;
  std::string m_path;
};

}  // namespace vel::test
