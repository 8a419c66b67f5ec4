#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vel {

// The one serial line to the camera. It opens the port named by the ComPort
// setting at 9600 baud, 8 data bits, no parity, one stop bit, no flow control,
// with DTR and RTS on, and only ever writes. Each operating system has its own
// backend file behind this interface.
class CComPort {
 public:
  // Receives the full text of an opening error; the front end shows it.
  using ErrorReporter = std::function<void(const std::string& text)>;

  CComPort();
  virtual ~CComPort();
  CComPort(const CComPort&) = delete;
  CComPort& operator=(const CComPort&) = delete;

  // Opens the port named by ComPort, closing an open one first. Nonzero on
  // success; on failure the port is closed, the reporter gets the error text
  // and the result is 0.
  int Open();

  // 1 when all bytes went out, 0 when the port is closed or fewer bytes were
  // written (the port's error state is then cleared and its output discarded).
  int Write(const void* bytes, std::uint32_t count);

  void Close();
  bool IsOpen() const;

  void SetErrorReporter(ErrorReporter reporter) { m_reporter = std::move(reporter); }
  // The text of the last failed Open, empty after a successful one.
  const std::string& LastErrorText() const { return m_lastError; }

  // The device a port name stands for on this system.
  static std::string DevicePath(const std::string& portName);

 private:
  struct Handle;
  std::unique_ptr<Handle> m_handle;
  ErrorReporter m_reporter;
  std::string m_lastError;

  // Backend steps; a failure returns false and leaves the system text.
  bool OpenDevice(const std::string& portName, std::string& systemText);
  void CloseDevice(bool purgeInput);
  void ReportOpenFailure(const std::string& systemText);
};

// The port every command byte goes through; null before the sheet makes it.
extern CComPort* g_pComPort;

// Writes one command byte through g_pComPort when there is one; the result
// is Write's, 0 without a port.
int SendCommandByte(std::uint8_t byte);

// "ComPort opening error. System error message:\n\n" + text + the check lines.
std::string ComPortErrorText(const std::string& systemText);

}  // namespace vel
