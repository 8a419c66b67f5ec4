#include "core/camera/serial_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32

#include <filesystem>

#include "support/temp_dir.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A device folder of its own, with entries made up for each test.
class SerialPortsTest : public ::testing::Test {
 protected:
  std::string Root() const { return m_dir.Path(); }
  std::string Path(const std::string& name) const { return m_dir / name; }
  void Device(const std::string& name) const { test::TempDir::WriteFile(Path(name), ""); }
  void Folder(const std::string& name) const { fs::create_directories(Path(name)); }
  void Link(const std::string& name, const std::string& target) const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    fs::create_symlink(target, Path(name));
  }

 private:
  test::TempDir m_dir;
};

TEST_F(SerialPortsTest, ListsAdaptersThenModemsThenStableNamesEachInNumberOrder) {
  for (const char* name : {"ttyACM1", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSB0"}) Device(name);
  Link("serial/by-id/usb-FTDI_FT232R-if00-port0", "../../ttyUSB0");
  Link("serial/by-id/usb-Arduino_Uno-if00", "../../ttyACM0");
  EXPECT_EQ(PresentSerialDevices(Root()),
            (Names{Path("ttyUSB0"), Path("ttyUSB2"), Path("ttyUSB10"), Path("ttyACM0"),
                   Path("ttyACM1"), Path("serial/by-id/usb-Arduino_Uno-if00"),
                   Path("serial/by-id/usb-FTDI_FT232R-if00-port0")}));
}

TEST_F(SerialPortsTest, LeavesOutOtherTerminalsBarePrefixesAndFolders) {
  for (const char* name : {"ttyS0", "tty1", "ttyUSB", "ttyAMA0", "console", "usbttyUSB1"})
    Device(name);
  Folder("ttyUSB5");
  Folder("serial/by-id/not-a-port");
  Device("ttyUSB1");
  EXPECT_EQ(PresentSerialDevices(Root()), (Names{Path("ttyUSB1")}));
}

TEST_F(SerialPortsTest, KeepsAStableNameWhoseAdapterIsGone) {
  Link("serial/by-id/usb-Prolific_PL2303-if00-port0", "../../ttyUSB3");
  EXPECT_EQ(PresentSerialDevices(Root()),
            (Names{Path("serial/by-id/usb-Prolific_PL2303-if00-port0")}));
}

TEST_F(SerialPortsTest, MissingFoldersGiveNothingAndTrailingSlashesDoNotDouble) {
  EXPECT_TRUE(PresentSerialDevices(Root()).empty());
  EXPECT_TRUE(PresentSerialDevices(Path("no-such-folder")).empty());
  Device("ttyACM4");
  EXPECT_EQ(PresentSerialDevices(Root() + "//"), (Names{Path("ttyACM4")}));
}

TEST(SerialPortsSystemTest, EmptyRootMeansTheSystemDeviceFolder) {
  const Names devices = PresentSerialDevices();
  EXPECT_EQ(devices, PresentSerialDevices("/dev"));
  for (const std::string& device : devices) EXPECT_EQ(device.rfind("/dev/", 0), 0u) << device;
}

}  // namespace
}  // namespace vel

#endif  // _WIN32

namespace vel {
namespace {

TEST(NaturalLessTest, NumbersCompareByValueAndTextByCharacter) {
  std::vector<std::string> names = {"ttyUSB10", "ttyACM0", "ttyUSB2",  "ttyUSB02", "ttyUSB",
                                    "COM12",    "COM3",    "ttyUSB1a", "ttyUSB1"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names, (std::vector<std::string>{"COM3", "COM12", "ttyACM0", "ttyUSB", "ttyUSB1",
                                             "ttyUSB1a", "ttyUSB02", "ttyUSB2", "ttyUSB10"}));
}

TEST(NaturalLessTest, IsAStrictOrder) {
  const std::vector<std::string> names = {"a", "a0", "a00", "a1", "a01", "b", "a10x", "a10"};
  for (const std::string& a : names) {
    EXPECT_FALSE(NaturalLess(a, a)) << a;
    for (const std::string& b : names) {
      if (a == b)
        continue;
      EXPECT_NE(NaturalLess(a, b), NaturalLess(b, a)) << a << " " << b;
    }
  }
}

}  // namespace
}  // namespace vel
