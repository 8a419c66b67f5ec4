#include <windows.h>

#include "core/camera/com_port.h"
#include "core/platform/system_calls_win32.h"
#include "core/platform/system_error.h"

namespace vel {

struct CComPort::Handle {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

namespace {

// The system's own text for an error code, with the line end the system
// gives it.
std::string SystemText(DWORD code) {
  return SystemErrorText(static_cast<int>(code)) + "\r\n";
}

void ApplyLineSettings(DCB& dcb) {
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = 9600;
  dcb.fBinary = 1;
  dcb.fParity = 0;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = 0;
  dcb.fTXContinueOnXoff = 1;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  dcb.fErrorChar = 0;
  dcb.fNull = 0;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = 0;
  dcb.XonLim = 1;
  dcb.XoffLim = 1;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.XonChar = 0;
  dcb.XoffChar = 0;
  dcb.EofChar = 0;
}

COMMTIMEOUTS PortTimeouts() {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = 50;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 0;
  return timeouts;
}

}  // namespace

// Only COM1 to COM9 have names of their own in the system's name space; the
// device path reaches every port.
std::string CComPort::DevicePath(const std::string& portName) {
  if (const auto number = ComPortNumber(portName))
    return "\\\\.\\COM" + std::to_string(*number);
  return portName;
}

CComPort::CComPort() : m_handle(std::make_unique<Handle>()) {}

CComPort::~CComPort() {
  Close();
}

bool CComPort::IsOpen() const {
  return m_handle->handle != INVALID_HANDLE_VALUE;
}

// Windows gives access to a COM port to every user: what fails is that
// another program holds it, which the check lines already name.
std::string CComPort::AccessHint(const std::string&) {
  return {};
}

bool CComPort::OpenDevice(const std::string& portName, std::string& systemText) {
  SetLastError(0);
  m_handle->handle = CreateFileA(DevicePath(portName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD code = GetLastError();
  if (code == 0 && m_handle->handle == INVALID_HANDLE_VALUE)
    code = ERROR_INVALID_HANDLE;
  if (code != 0) {
    systemText = SystemText(code);
    return false;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  bool ok = GetCommState(m_handle->handle, &dcb);
  if (ok) {
    ApplyLineSettings(dcb);
    ok = kSystemCalls.setCommState(m_handle->handle, &dcb);
  }
  if (ok) {
    COMMTIMEOUTS timeouts = PortTimeouts();
    ok = kSystemCalls.setCommTimeouts(m_handle->handle, &timeouts);
  }
  if (!ok)
    systemText = SystemText(GetLastError());
  return ok;
}

void CComPort::CloseDevice(bool purgeInput) {
  if (m_handle->handle == INVALID_HANDLE_VALUE)
    return;
  if (purgeInput)
    PurgeComm(m_handle->handle, PURGE_RXCLEAR);
  CloseHandle(m_handle->handle);
  m_handle->handle = INVALID_HANDLE_VALUE;
}

bool CComPort::WriteDevice(const void* bytes, std::uint32_t count, std::string& systemText) {
  DWORD written = 0;
  const BOOL ok = WriteFile(m_handle->handle, bytes, count, &written, nullptr);
  const DWORD code = ok ? ERROR_WRITE_FAULT : GetLastError();
  if (written == count)
    return true;
  DWORD errors = 0;
  ClearCommError(m_handle->handle, &errors, nullptr);
  PurgeComm(m_handle->handle, PURGE_TXABORT | PURGE_TXCLEAR);
  systemText = SystemText(code);
  return false;
}

}  // namespace vel
