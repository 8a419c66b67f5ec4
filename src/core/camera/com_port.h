#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/result.h"

namespace vel {

// The one serial line to the camera. It opens a port by name at 9600 baud,
// 8 data bits, no parity, one stop bit, no flow control, with DTR and RTS on,
// and only ever writes. Each operating system has its own backend file behind
// this interface.
class CComPort {
 public:
  CComPort();
  virtual ~CComPort();
  CComPort(const CComPort&) = delete;
  CComPort& operator=(const CComPort&) = delete;

  // Opens the named port ("COM1", "/dev/ttyUSB0"), closing an open one
  // first, and remembers the name. On failure the port is left closed and
  // the result carries the text of the opening error box.
  Result Open(const std::string& portName);

  // Succeeds when all bytes went out; fails when the port is closed or fewer
  // bytes were written (the port's error state is then cleared and its
  // output discarded). A failed write on an open port means the line is lost
  // (an adapter pulled, a cable cut): the port closes and keeps the name for
  // Reopen. A port that is not open stays as it is, closed or lost.
  Result Write(const void* bytes, std::uint32_t count);

  // One attempt to open a lost port again under its name; nothing to do
  // (and success) when it is not lost. A port that opens is no longer lost.
  Result Reopen();
  bool IsLost() const { return m_lost; }

  // Closes the port on purpose: it forgets its name and is not lost.
  void Close();
  bool IsOpen() const;

  // The name the port was opened with last (empty after Close), and the
  // system's reason why its last open or write failed (empty after one
  // succeeded).
  const std::string& Name() const { return m_name; }
  const std::string& LastError() const { return m_lastError; }

  // The device a port name stands for on this system.
  static std::string DevicePath(const std::string& portName);

 private:
  struct Handle;
  std::unique_ptr<Handle> m_handle;
  std::string m_name;
  std::string m_lastError;
  bool m_lost = false;

  // Backend steps; a failure returns false and leaves the system text.
  bool OpenDevice(const std::string& portName, std::string& systemText);
  void CloseDevice(bool purgeInput);
  bool WriteDevice(const void* bytes, std::uint32_t count, std::string& systemText);
  // How to gain the access to the device that an open lacked, from its mode
  // and group: on Linux the group to join when that group may write to it
  // and is not root, else a udev rule that grants a group access; empty
  // when access is not what failed.
  static std::string AccessHint(const std::string& devicePath);
};

// The n of a standard port name "COMn" (any case, n from 1); nothing for
// any other name.
std::optional<int> ComPortNumber(const std::string& portName);

// "ComPort opening error. System error message:\n\n" + text + the check lines.
std::string ComPortErrorText(const std::string& systemText);

// One line on the port for the pages: its name and device, and whether it is
// open, closed (with the reason) or lost until it opens again.
std::string PortStateText(const CComPort& port);

}  // namespace vel
