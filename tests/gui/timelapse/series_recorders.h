#pragma once

// What a running time-lapse series leaves behind: the bytes the camera
// received with the moment each arrived, the status lines with the moment
// each was written, and what went to standard error.

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "gui/timelapse/time_lapse_page.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace vel::test {

using SteadyTime = std::chrono::steady_clock::time_point;

inline double MsBetween(SteadyTime from, SteadyTime to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Reads the camera's end of the line on a thread of its own, so that bytes
// are stamped as they arrive while the user-interface thread runs a shot.
class ByteRecorder {
 public:
  struct Arrival {
    std::uint8_t byte;
    SteadyTime at;
  };

  explicit ByteRecorder(PseudoTerminal& camera) : m_camera(camera), m_thread([this] { Run(); }) {}
  ~ByteRecorder() {
    m_stop = true;
    m_thread.join();
  }
  ByteRecorder(const ByteRecorder&) = delete;
  ByteRecorder& operator=(const ByteRecorder&) = delete;

  std::vector<Arrival> Arrivals() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals;
  }
  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> bytes;
    for (const Arrival& arrival : Arrivals()) bytes.push_back(arrival.byte);
    return bytes;
  }
  std::size_t Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals.size();
  }

 private:
  void Run() {
    while (!m_stop) {
      const std::vector<std::uint8_t> bytes = m_camera.Read(1, 10);
      const SteadyTime now = std::chrono::steady_clock::now();
      std::lock_guard<std::mutex> lock(m_mutex);
      for (std::uint8_t byte : bytes) m_arrivals.push_back({byte, now});
    }
  }

  PseudoTerminal& m_camera;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_mutex;
  std::vector<Arrival> m_arrivals;
  std::thread m_thread;  // last: it starts once everything else exists
};

// Every status write of a page, in order.
class StatusLog {
 public:
  struct Entry {
    QString text;
    QString time;
    SteadyTime at;
  };

  explicit StatusLog(CTimeLapse* page) {
    QObject::connect(page, &CTimeLapse::StatusShown, &m_context,
                     [this](const QString& text, const QString& time) {
                       m_entries.push_back({text, time, std::chrono::steady_clock::now()});
                     });
  }

  const std::vector<Entry>& Entries() const { return m_entries; }
  QStringList Texts() const {
    QStringList texts;
    for (const Entry& entry : m_entries) texts << entry.text;
    return texts;
  }
  QString Last() const { return m_entries.empty() ? QString() : m_entries.back().text; }
  bool Contains(const QString& text) const { return Texts().contains(text); }
  // The moment the first write of this text happened.
  SteadyTime At(const QString& text) const {
    for (const Entry& entry : m_entries)
      if (entry.text == text)
        return entry.at;
    return {};
  }

 private:
  QObject m_context;
  std::vector<Entry> m_entries;
};

// Standard error goes into a file for as long as this lives.
class StderrCapture {
 public:
  StderrCapture() : m_path(m_dir / "stderr.txt") {
    ::fflush(stderr);
    m_saved = ::dup(STDERR_FILENO);
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
  }
  ~StderrCapture() { Restore(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::string Text() {
    ::fflush(stderr);
    return TempDir::ReadFile(m_path);
  }
  void Restore() {
    if (m_saved < 0)
      return;
    ::fflush(stderr);
    ::dup2(m_saved, STDERR_FILENO);
    ::close(m_saved);
    m_saved = -1;
  }

 private:
  TempDir m_dir;
  std::string m_path;
  int m_saved = -1;
};

}  // namespace vel::test
