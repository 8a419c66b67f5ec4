#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qvsim/decoder.h"
#include "qvsim/options.h"

namespace qvsim {

class MemoryCard;
class CardWorker;

// Line output shared by the reading loop and the card's thread; each line
// goes out whole and at once, so a script reading it never waits.
class Console {
 public:
  explicit Console(std::FILE* out) : m_out(out) {}

  long long ElapsedMs() const;
  void Line(const std::string& text);
  void Stamped(long long ms, const std::string& text);
  void Stamped(const std::string& text) { Stamped(ElapsedMs(), text); }

 private:
  std::FILE* m_out;
  std::mutex m_mutex;
  const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// The simulated camera: a pseudo-terminal whose far end the program opens
// as its serial port. Every byte that arrives is time-stamped, shown with
// its meaning, optionally recorded, and applied to the memory card.
class VirtualCamera {
 public:
  VirtualCamera(Options options, std::string selfPath, Console& console);
  ~VirtualCamera();
  VirtualCamera(const VirtualCamera&) = delete;
  VirtualCamera& operator=(const VirtualCamera&) = delete;

  // Creates the terminal, the link, the record file and the card; then
  // prints the terminal's path as the first line, followed by a summary.
  bool Start(std::string& error);

  // Serves until a signal arrives on signalFd, then takes in the bytes still
  // waiting, unmounts the card and removes the link.
  void Run(int signalFd);

  const std::string& TerminalPath() const { return m_path; }

 private:
  bool ResolveUser(std::string& error);
  bool OpenTerminal(std::string& error);
  bool MakeLink(std::string& error);
  bool OpenRecord(std::string& error);
  bool PrepareCard(std::string& error);
  void PrintSummary();

  void ReadBytes();
  void HandleByte(long long ms, std::time_t when, std::uint8_t byte);
  void CheckLine(long long ms);
  void HandlePortEvents();

  Options m_options;
  std::string m_selfPath;
  Console& m_console;
  CommandDecoder m_decoder;

  std::string m_user;
  uid_t m_uid = 0;
  gid_t m_gid = 0;

  int m_master = -1;
  int m_slave = -1;  // held open so the terminal keeps its settings and never hangs up
  int m_watch = -1;  // inotify: the program opening and closing the terminal
  std::string m_path;
  bool m_linked = false;
  std::FILE* m_record = nullptr;

  int m_openCount = 0;
  bool m_usbMode = false;
  std::string m_lastLine;  // line settings last reported; empty: none since the port opened

  bool m_started = false;                 // the path line is out
  std::vector<std::string> m_startNotes;  // card notes made before that

  std::unique_ptr<MemoryCard> m_card;
  std::unique_ptr<CardWorker> m_worker;
};

}  // namespace qvsim
