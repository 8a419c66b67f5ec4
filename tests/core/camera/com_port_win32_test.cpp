// The serial port on a real COM port. Under Wine the test script links two
// pseudo-terminals back to back and maps them to two COM ports; it names them
// in VELORANTICA_TEST_COM_PORT (the port the program opens) and
// VELORANTICA_TEST_COM_PEER (the camera's end, which the test reads).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/camera/com_port.h"
#include "core/camera/command_bytes.h"
#include "core/platform/system_error.h"

namespace vel {
namespace {

// The open handles of this process on a serial device. Handle values are
// small multiples of 4, so looking at the first few thousand finds them all.
std::vector<HANDLE> SerialHandles() {
  std::vector<HANDLE> handles;
  for (UINT_PTR value = 4; value < 0x4000; value += 4) {
    DCB dcb{};
    if (::GetFileType(HANDLE(value)) == FILE_TYPE_CHAR && ::GetCommState(HANDLE(value), &dcb))
      handles.push_back(HANDLE(value));
  }
  return handles;
}

class ComPortWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("VELORANTICA_TEST_COM_PORT") || !std::getenv("VELORANTICA_TEST_COM_PEER"))
      GTEST_SKIP() << "no COM port pair given (scripts/wine-tests.sh sets one up)";
    m_peer = ::CreateFileA(std::getenv("VELORANTICA_TEST_COM_PEER"), GENERIC_READ, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(m_peer, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS immediate{MAXDWORD, 0, 0, 0, 0};
    ::SetCommTimeouts(m_peer, &immediate);
    PeerBytes();  // whatever an earlier test left on the line
    m_before = SerialHandles();
    ASSERT_TRUE(m_port.Open(m_portName));
  }
  void TearDown() override { ::CloseHandle(m_peer); }

  // What reached the camera's end of the line by now.
  std::vector<std::uint8_t> PeerBytes() {
    ::Sleep(500);
    std::vector<std::uint8_t> bytes(256);
    DWORD read = 0;
    ::ReadFile(m_peer, bytes.data(), bytes.size(), &read, nullptr);
    bytes.resize(read);
    return bytes;
  }

  const char* m_portName = std::getenv("VELORANTICA_TEST_COM_PORT");
  HANDLE m_peer = INVALID_HANDLE_VALUE;
  std::vector<HANDLE> m_before;
  CComPort m_port;
};

TEST_F(ComPortWin32Test, OpensAt9600EightNoneOneWithDtrAndRtsOnAndNoFlowControl) {
  std::vector<HANDLE> opened = SerialHandles();
  std::erase_if(opened, [&](HANDLE h) { return std::ranges::count(m_before, h) > 0; });
  ASSERT_EQ(opened.size(), 1u);
  DCB dcb{};
  ASSERT_TRUE(::GetCommState(opened[0], &dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fDtrControl, DWORD{DTR_CONTROL_ENABLE});
  EXPECT_EQ(dcb.fRtsControl, DWORD{RTS_CONTROL_ENABLE});
  EXPECT_EQ(dcb.fOutxCtsFlow + dcb.fOutxDsrFlow + dcb.fOutX + dcb.fInX + dcb.fParity, 0u);
  COMMTIMEOUTS timeouts{};
  ASSERT_TRUE(::GetCommTimeouts(opened[0], &timeouts));
  EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 50u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier + timeouts.WriteTotalTimeoutConstant, 0u);
  SendKeyBytes(m_port, KeyBytes(0x4E, 0x50));
  EXPECT_EQ(PeerBytes(), (std::vector<std::uint8_t>{0x4E, 0x50}));
}

TEST_F(ComPortWin32Test, AFailedOpenSaysWhyAndClosesThePortThatWasOpen) {
  EXPECT_EQ(m_port.Open("COM199").Text(),
            ComPortErrorText(SystemErrorText(ERROR_FILE_NOT_FOUND) + "\r\n"));
  EXPECT_EQ(SerialHandles(), m_before);
  EXPECT_FALSE(SendCommandByte(m_port, 0x42));
  EXPECT_EQ(PeerBytes(), std::vector<std::uint8_t>{});
}

}  // namespace
}  // namespace vel
