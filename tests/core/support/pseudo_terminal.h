#pragma once

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vel::test {

// The camera's serial line: the program opens SlavePath(), the test reads the master. Raw, so
// that no byte is translated or echoed; or cooked, as a user's screen, where a Ctrl+C typed is
// the terminal's signal.
class PseudoTerminal {
 public:
  explicit PseudoTerminal(bool raw = true) {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
      return;
    m_path = name;
    termios tio = SlaveSettings();
    if (raw)
      ::cfmakeraw(&tio);
    SetSlaveSettings(tio);
  }
  ~PseudoTerminal() {
    ::close(m_master);
    ::close(m_slave);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& SlavePath() const { return m_path; }
  int MasterFd() const { return m_master; }

  // Everything readable within the time, returning once the bytes expected arrived.
  std::vector<std::uint8_t> Read(std::size_t expected = 0, int timeoutMs = 200) {
    using namespace std::chrono;
    const auto until = steady_clock::now() + milliseconds(timeoutMs);
    std::vector<std::uint8_t> bytes;
    for (ssize_t n = 1; !expected || bytes.size() < expected;) {
      const auto left = duration_cast<milliseconds>(until - steady_clock::now()).count();
      if (left <= 0 && n <= 0)
        break;  // the time is up and nothing more is there
      pollfd p{m_master, POLLIN, 0};
      std::uint8_t buffer[256];
      n = ::poll(&p, 1, int(std::max<decltype(left)>(left, 0))) > 0
              ? ::read(m_master, buffer, sizeof buffer)
              : 0;
      bytes.insert(bytes.end(), buffer, buffer + std::max<ssize_t>(n, 0));
    }
    return bytes;
  }

  // Reads until what was read so far (Seen()) holds the text; false when the time ran out.
  bool Await(const std::string& text, int timeoutMs) {
    for (int waited = 0; m_seen.find(text) == std::string::npos; waited += 50) {
      if (waited > timeoutMs)
        return false;
      const std::vector<std::uint8_t> bytes = Read(0, 50);
      m_seen.append(bytes.begin(), bytes.end());
    }
    return true;
  }
  const std::string& Seen() const { return m_seen; }
  void Type(char key) { (void)!::write(m_master, &key, 1); }

  // The line settings, through the test's own handle: a new open is refused while the port is held.
  termios SlaveSettings() const {
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    return tio;
  }
  bool SetSlaveSettings(const termios& tio) { return ::tcsetattr(m_slave, TCSANOW, &tio) == 0; }
  // A stopped line takes no byte, as a hung adapter does.
  void StopOutput(bool stop) { ::tcflow(m_slave, stop ? TCOOFF : TCOON); }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_path;
  std::string m_seen;
};

}  // namespace vel::test
