// The serial port on a real COM port. Under Wine the test script links two
// pseudo-terminals back to back and maps them to two COM ports through the
// registry (HKLM\Software\Wine\Ports); it names them in
// VELORANTICA_TEST_COM_PORT (the port the program opens) and
// VELORANTICA_TEST_COM_PEER (the camera's end, which the test reads).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "support/wine.h"

namespace vel {
namespace {

constexpr const char* kMissingPort = "COM199";

// Every open handle of this process on a serial device. Handle values are
// small multiples of 4, so looking at the first few thousand finds them all.
std::vector<HANDLE> SerialHandles() {
  std::vector<HANDLE> handles;
  for (UINT_PTR value = 4; value < 0x4000; value += 4) {
    const HANDLE handle = reinterpret_cast<HANDLE>(value);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (::GetFileType(handle) == FILE_TYPE_CHAR && ::GetCommState(handle, &dcb))
      handles.push_back(handle);
  }
  return handles;
}

// The handles in after that were not in before.
std::vector<HANDLE> NewHandles(const std::vector<HANDLE>& before,
                               const std::vector<HANDLE>& after) {
  std::vector<HANDLE> added;
  for (HANDLE handle : after)
    if (std::find(before.begin(), before.end(), handle) == before.end())
      added.push_back(handle);
  return added;
}

HANDLE OpenPort(const std::string& name) {
  return ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

DCB ReadState(HANDLE handle) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  EXPECT_TRUE(::GetCommState(handle, &dcb)) << ::GetLastError();
  return dcb;
}

// The camera's end of the line: reads what the program sent.
class PeerPort {
 public:
  explicit PeerPort(const std::string& name) : m_handle(OpenPort(name)) {
    if (!Ok())
      return;
    COMMTIMEOUTS immediate{MAXDWORD, 0, 0, 0, 0};
    ::SetCommTimeouts(m_handle, &immediate);
    ::PurgeComm(m_handle, PURGE_RXCLEAR);
    ReadAvailable();  // whatever an earlier test left on the line
  }
  ~PeerPort() {
    if (Ok())
      ::CloseHandle(m_handle);
  }
  PeerPort(const PeerPort&) = delete;
  PeerPort& operator=(const PeerPort&) = delete;

  bool Ok() const { return m_handle != INVALID_HANDLE_VALUE; }

  // What arrives within timeoutMs, returning early once expected bytes came.
  std::vector<std::uint8_t> Read(std::size_t expected, DWORD timeoutMs) {
    std::vector<std::uint8_t> bytes;
    const ULONGLONG until = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < until && (expected == 0 || bytes.size() < expected)) {
      const std::vector<std::uint8_t> more = ReadAvailable();
      bytes.insert(bytes.end(), more.begin(), more.end());
      if (more.empty())
        ::Sleep(5);
    }
    return bytes;
  }

 private:
  HANDLE m_handle;

  std::vector<std::uint8_t> ReadAvailable() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[64];
    DWORD read = 0;
    while (::ReadFile(m_handle, buffer, sizeof buffer, &read, nullptr) && read > 0)
      bytes.insert(bytes.end(), buffer, buffer + read);
    return bytes;
  }
};

class ComPortWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    m_portName = test::Environment("VELORANTICA_TEST_COM_PORT");
    m_peerName = test::Environment("VELORANTICA_TEST_COM_PEER");
    if (m_portName.empty() || m_peerName.empty())
      GTEST_SKIP() << "no COM port pair given (scripts/wine-tests.sh sets one up)";
    m_savedPort = ComPort;
    ComPort = m_portName;
    m_port.SetErrorReporter([this](const std::string& text) { m_reports.push_back(text); });
  }
  void TearDown() override {
    // The constructor made m_port the program's port when there was none.
    if (g_pComPort == &m_port)
      g_pComPort = nullptr;
    if (!m_portName.empty())
      ComPort = m_savedPort;
  }

  std::string m_portName;
  std::string m_peerName;
  CComPort m_port;
  std::vector<std::string> m_reports;

 private:
  std::string m_savedPort;
};

TEST_F(ComPortWin32Test, OpenAppliesTheLineSettingsAndKeepsTheRest) {
  // What the driver holds before the program touches the port.
  const HANDLE before = OpenPort(m_portName);
  ASSERT_NE(before, INVALID_HANDLE_VALUE) << ::GetLastError();
  const DCB original = ReadState(before);
  ::CloseHandle(before);

  const std::vector<HANDLE> handlesBefore = SerialHandles();
  ASSERT_EQ(m_port.Open(), 1) << m_port.LastErrorText();
  EXPECT_TRUE(m_port.IsOpen());
  EXPECT_TRUE(m_reports.empty());
  EXPECT_TRUE(m_port.LastErrorText().empty());
  const std::vector<HANDLE> opened = NewHandles(handlesBefore, SerialHandles());
  ASSERT_EQ(opened.size(), 1u) << "the port's own handle was not found";

  const DCB dcb = ReadState(opened[0]);
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fParity, 0u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_EQ(dcb.fDsrSensitivity, 0u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);
  EXPECT_EQ(dcb.fErrorChar, 0u);
  EXPECT_EQ(dcb.fNull, 0u);
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
  EXPECT_EQ(dcb.fAbortOnError, 0u);
  EXPECT_EQ(dcb.XonChar, 0);
  EXPECT_EQ(dcb.XoffChar, 0);
  EXPECT_EQ(dcb.EofChar, 0);
  // Left as the driver had them.
  EXPECT_EQ(dcb.ErrorChar, original.ErrorChar);
  EXPECT_EQ(dcb.EvtChar, original.EvtChar);
  // Wine's serial driver does not keep these three: it always reports the
  // flow-control limits as 10 and "continue on XOFF" as off.
  if (!test::RunningUnderWine()) {
    EXPECT_EQ(dcb.fTXContinueOnXoff, 1u);
    EXPECT_EQ(dcb.XonLim, 1);
    EXPECT_EQ(dcb.XoffLim, 1);
  }

  COMMTIMEOUTS timeouts{};
  ASSERT_TRUE(::GetCommTimeouts(opened[0], &timeouts));
  EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 50u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
}

TEST_F(ComPortWin32Test, ClosingReleasesThePortAndTheLineSettingsStay) {
  ASSERT_EQ(m_port.Open(), 1) << m_port.LastErrorText();
  m_port.Close();
  EXPECT_FALSE(m_port.IsOpen());
  const HANDLE again = OpenPort(m_portName);
  ASSERT_NE(again, INVALID_HANDLE_VALUE) << ::GetLastError();
  const DCB dcb = ReadState(again);
  ::CloseHandle(again);
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
}

TEST_F(ComPortWin32Test, ACommandByteArrivesExactlyOnce) {
  PeerPort peer(m_peerName);
  ASSERT_TRUE(peer.Ok()) << ::GetLastError();
  ASSERT_EQ(m_port.Open(), 1) << m_port.LastErrorText();
  g_pComPort = &m_port;
  EXPECT_EQ(SendCommandByte(0x42), 1);
  EXPECT_EQ(peer.Read(1, 2000), std::vector<std::uint8_t>{0x42});
  EXPECT_TRUE(peer.Read(0, 200).empty());

  const std::uint8_t modeBytes[] = {0x85, 0x88};
  EXPECT_EQ(m_port.Write(modeBytes, 2), 1);
  EXPECT_EQ(peer.Read(2, 2000), (std::vector<std::uint8_t>{0x85, 0x88}));
}

TEST_F(ComPortWin32Test, ReopeningClosesTheOldHandleFirst) {
  const std::vector<HANDLE> handlesBefore = SerialHandles();
  ASSERT_EQ(m_port.Open(), 1) << m_port.LastErrorText();
  ASSERT_EQ(m_port.Open(), 1) << m_port.LastErrorText();
  EXPECT_EQ(NewHandles(handlesBefore, SerialHandles()).size(), 1u);
}

TEST_F(ComPortWin32Test, MissingPortGivesTheSystemTextAndLeavesThePortClosed) {
  // What the system says about that name, asked directly.
  ::SetLastError(0);
  ASSERT_EQ(OpenPort(kMissingPort), INVALID_HANDLE_VALUE);
  const DWORD code = ::GetLastError();
  EXPECT_EQ(code, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  const std::string systemText = test::FormatSystemText(code);
  ASSERT_FALSE(systemText.empty());
  EXPECT_EQ(systemText.back(), '\n');

  ComPort = kMissingPort;
  EXPECT_EQ(m_port.Open(), 0);
  EXPECT_FALSE(m_port.IsOpen());
  ASSERT_EQ(m_reports.size(), 1u);
  EXPECT_EQ(m_reports[0],
            "ComPort opening error. System error message:\n\n" + systemText +
                "\nCheck if\n- ComPort setting is mapped to existing port (see \"Config\")\n"
                "- ComPort is not in use by another application\n");
  EXPECT_EQ(m_port.LastErrorText(), m_reports[0]);
  const std::uint8_t byte = 0x42;
  EXPECT_EQ(m_port.Write(&byte, 1), 0);
}

TEST_F(ComPortWin32Test, FailedReopenClosesThePortThatWasOpen) {
  PeerPort peer(m_peerName);
  ASSERT_TRUE(peer.Ok());
  const std::vector<HANDLE> handlesBefore = SerialHandles();
  ASSERT_EQ(m_port.Open(), 1) << m_port.LastErrorText();
  ComPort = kMissingPort;
  EXPECT_EQ(m_port.Open(), 0);
  EXPECT_TRUE(NewHandles(handlesBefore, SerialHandles()).empty());
  const std::uint8_t byte = 0x42;
  EXPECT_EQ(m_port.Write(&byte, 1), 0);
  EXPECT_TRUE(peer.Read(0, 200).empty());
}

TEST_F(ComPortWin32Test, DeviceThatIsNoSerialPortIsClosedAgain) {
  ComPort = "NUL";
  const std::vector<HANDLE> handlesBefore = SerialHandles();
  EXPECT_EQ(m_port.Open(), 0);
  EXPECT_FALSE(m_port.IsOpen());
  ASSERT_EQ(m_reports.size(), 1u);
  EXPECT_EQ(m_reports[0].rfind("ComPort opening error. System error message:\n\n", 0), 0u);
  EXPECT_TRUE(NewHandles(handlesBefore, SerialHandles()).empty());
}

// Windows gives a serial port to one opener at a time. Wine does not refuse
// a second CreateFile on a serial port, so there this cannot be seen.
TEST_F(ComPortWin32Test, SecondOpenerIsRefusedWhileThePortIsHeld) {
  if (test::RunningUnderWine())
    GTEST_SKIP() << "Wine lets a second opener share a serial port";
  ASSERT_EQ(m_port.Open(), 1) << m_port.LastErrorText();
  CComPort second;
  std::vector<std::string> secondReports;
  second.SetErrorReporter([&](const std::string& text) { secondReports.push_back(text); });
  EXPECT_EQ(second.Open(), 0);
  ASSERT_EQ(secondReports.size(), 1u);
  EXPECT_NE(secondReports[0].find(test::FormatSystemText(ERROR_ACCESS_DENIED)), std::string::npos);
  m_port.Close();
  EXPECT_EQ(second.Open(), 1);
}

TEST(ComPortWin32Names, APortNameIsTheDeviceName) {
  EXPECT_EQ(CComPort::DevicePath("COM3"), "COM3");
  EXPECT_EQ(CComPort::DevicePath("\\\\.\\COM12"), "\\\\.\\COM12");
}

}  // namespace
}  // namespace vel
