// The REC/USB switch as the camera sees it: the bytes arriving on a
// pseudo-terminal, interleaved with the waits of a fake clock.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/platform/clock.h"
#include "core/timelapse/switch_usb_rec.h"

namespace {

using Events = std::vector<std::string>;

// Collects whatever the camera side of the line has received, one event per
// byte ("4D"), until the line stays quiet for a moment.
void DrainLine(int master, Events& events) {
  if (master < 0)
    return;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0)
      return;
    unsigned char bytes[64];
    const ssize_t n = ::read(master, bytes, sizeof bytes);
    if (n <= 0)
      return;
    for (ssize_t i = 0; i < n; ++i) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
      events.push_back(hex);
    }
  }
}

// A clock whose waits take no time and are written into the event list
// after the bytes that reached the line before them.
class RecordingClock final : public vel::Clock {
 public:
  RecordingClock(int master, Events& events) : m_master(master), m_events(events) {}
  std::int64_t NowMs() override { return m_now; }
  void WaitMs(std::uint32_t ms) override {
    DrainLine(m_master, m_events);
    m_events.push_back("wait " + std::to_string(ms));
    m_now += ms;
  }

 private:
  int m_master;
  Events& m_events;
  std::int64_t m_now = 0;
};

class SwitchUsbRecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_saved = {vel::Model, vel::SendSwitchRelease, vel::ExposureMode, vel::DriveMode};
    m_savedPort = vel::ComPort;
    char name[256] = {};
    ASSERT_EQ(::openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    vel::ComPort = name;
    m_port = std::make_unique<vel::CComPort>();
    ASSERT_EQ(m_port->Open(), 1) << m_port->LastErrorText();
    vel::g_pComPort = m_port.get();
  }

  void TearDown() override {
    vel::g_pComPort = nullptr;
    m_port.reset();
    if (m_master >= 0)
      ::close(m_master);
    if (m_slave >= 0)
      ::close(m_slave);
    vel::ComPort = m_savedPort;
    vel::Model = m_saved[0];
    vel::SendSwitchRelease = m_saved[1];
    vel::ExposureMode = m_saved[2];
    vel::DriveMode = m_saved[3];
  }

  Events RunSwitch() {
    Events events;
    RecordingClock clock(m_master, events);
    vel::SwitchUsbRec(clock);
    DrainLine(m_master, events);
    return events;
  }

  int m_master = -1;
  int m_slave = -1;
  std::unique_ptr<vel::CComPort> m_port;

 private:
  std::array<int, 4> m_saved{};
  std::string m_savedPort;
};

TEST_F(SwitchUsbRecTest, Qv3000exPressesWaitsAndReleases) {
  vel::Model = 5;
  vel::SendSwitchRelease = 1;
  EXPECT_EQ(RunSwitch(), (Events{"4D", "wait 250", "6D"}));
}

TEST_F(SwitchUsbRecTest, Qv4000SendsModeBytesInsteadOfRelease) {
  vel::Model = 7;
  vel::SendSwitchRelease = 0;
  vel::ExposureMode = 5;
  vel::DriveMode = 0;
  EXPECT_EQ(RunSwitch(), (Events{"4D", "wait 250", "85", "88"}));
}

// The release flag is the one derived at start-up, while the model is read
// at the moment of the switch: a model changed to the QV-5700 on the Config
// page gets the release byte and its mode bytes.
TEST_F(SwitchUsbRecTest, ModelChangedSinceStartUpStillGetsReleaseAndModeBytes) {
  vel::Model = 8;
  vel::SendSwitchRelease = 1;
  vel::ExposureMode = 2;
  vel::DriveMode = 3;
  EXPECT_EQ(RunSwitch(), (Events{"4D", "wait 250", "6D", "82", "8B"}));
}

TEST_F(SwitchUsbRecTest, WithoutPortTheWaitStillHappens) {
  vel::g_pComPort = nullptr;
  vel::Model = 7;
  vel::SendSwitchRelease = 1;
  EXPECT_EQ(RunSwitch(), (Events{"wait 250"}));
}

}  // namespace
