#pragma once

#include <cstdint>
#include <memory>
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
  // first. On failure the port is left closed and the result carries the
  // text of the opening error box.
  Result Open(const std::string& portName);

  // Succeeds when all bytes went out; fails when the port is closed or fewer
  // bytes were written (the port's error state is then cleared and its
  // output discarded).
  Result Write(const void* bytes, std::uint32_t count);

  void Close();
  bool IsOpen() const;

  // The device a port name stands for on this system.
  static std::string DevicePath(const std::string& portName);

 private:
  struct Handle;
  std::unique_ptr<Handle> m_handle;

  // Backend steps; a failure returns false and leaves the system text.
  bool OpenDevice(const std::string& portName, std::string& systemText);
  void CloseDevice(bool purgeInput);
  bool WriteDevice(const void* bytes, std::uint32_t count, std::string& systemText);
};

// "ComPort opening error. System error message:\n\n" + text + the check lines.
std::string ComPortErrorText(const std::string& systemText);

}  // namespace vel
