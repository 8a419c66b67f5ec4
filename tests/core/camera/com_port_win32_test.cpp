// The serial port on a real COM port. Under Wine the test script links two
// pseudo-terminals back to back and maps them to two COM ports; it names them
// in VELORANTICA_TEST_COM_PORT (the port the program opens) and
// VELORANTICA_TEST_COM_PEER (the camera's end, which the test reads).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "core/camera/com_port.h"
#include "core/camera/command_bytes.h"
#include "core/platform/system_error.h"

namespace vel {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

// The port's line settings and time-outs as the system reads them back; what
// it sends; and a failed open, which says why and closes the port.
TEST(ComPortWin32, OpensAt9600EightNoneOneWithDtrAndRtsOnAndAFailedOpenClosesIt) {
  const char* name = std::getenv("VELORANTICA_TEST_COM_PORT");
  const char* peerName = std::getenv("VELORANTICA_TEST_COM_PEER");
  if (!name || !peerName)
    GTEST_SKIP() << "no COM port pair given (scripts/wine-tests.sh sets one up)";
  const HANDLE peer = ::CreateFileA(peerName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(peer, INVALID_HANDLE_VALUE);
  COMMTIMEOUTS immediate{MAXDWORD, 0, 0, 0, 0};
  ::SetCommTimeouts(peer, &immediate);
  const auto peerBytes = [peer] {  // what reached the camera's end by now
    ::Sleep(500);
    Bytes bytes(256);
    DWORD read = 0;
    ::ReadFile(peer, bytes.data(), bytes.size(), &read, nullptr);
    bytes.resize(read);
    return bytes;
  };
  peerBytes();  // whatever an earlier run left on the line
  const std::vector<HANDLE> before = SerialHandles();
  CComPort port;
  ASSERT_TRUE(port.Open(name));
  std::vector<HANDLE> opened = SerialHandles();
  std::erase_if(opened, [&](HANDLE h) { return std::ranges::count(before, h) > 0; });
  ASSERT_EQ(opened.size(), 1u);
  DCB dcb{};
  ASSERT_TRUE(::GetCommState(opened[0], &dcb));
  EXPECT_EQ((std::array<DWORD, 6>{dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits,
                                  dcb.fDtrControl, dcb.fRtsControl}),
            (std::array<DWORD, 6>{9600, 8, NOPARITY, ONESTOPBIT, DTR_CONTROL_ENABLE,
                                  RTS_CONTROL_ENABLE}));
  EXPECT_EQ(dcb.fOutxCtsFlow + dcb.fOutxDsrFlow + dcb.fOutX + dcb.fInX + dcb.fParity, 0u);
  COMMTIMEOUTS t{};
  ASSERT_TRUE(::GetCommTimeouts(opened[0], &t));
  EXPECT_EQ((std::array<DWORD, 5>{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                                  t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                                  t.WriteTotalTimeoutConstant}),
            (std::array<DWORD, 5>{MAXDWORD, MAXDWORD, 50, 0, 0}));
  SendKeyBytes(port, KeyBytes(0x4E, 0x50));
  EXPECT_EQ(peerBytes(), (Bytes{0x4E, 0x50}));

  EXPECT_EQ(port.Open("COM199").Text(),
            ComPortErrorText(SystemErrorText(ERROR_FILE_NOT_FOUND) + "\r\n") +
                "\nDevice tried: \\\\.\\COM199\n");
  EXPECT_EQ(SerialHandles(), before);
  EXPECT_FALSE(SendCommandByte(port, 0x42));
  EXPECT_EQ(peerBytes(), Bytes{});
  ::CloseHandle(peer);
}

// Every COMn by its device path, COM10 and above included, which have no
// plain name of their own; other names as given.
TEST(ComPortWin32, ComPortsOpenByTheirDevicePath) {
  const char* cases[][2] = {{"COM1", "\\\\.\\COM1"},
                            {"com12", "\\\\.\\COM12"},
                            {"COM256", "\\\\.\\COM256"},
                            {"COM0", "COM0"},
                            {"\\\\.\\COM3", "\\\\.\\COM3"}};
  for (const auto& [name, path] : cases) EXPECT_EQ(CComPort::DevicePath(name), path) << name;
}

}  // namespace
}  // namespace vel
