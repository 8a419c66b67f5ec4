// The memory card of qvsim: pictures on shutter release, mounted under
// /media/<user>/<label> in USB mode. Needs root and loop devices.

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "jpeg_support.h"
#include "qvsim_process.h"
#include "support/temp_dir.h"

namespace qvsim {
namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  const std::string text = vel::test::TempDir::ReadFile(path);
  return {text.begin(), text.end()};
}

bool IsMounted(const std::string& mountPoint) {
  std::ifstream in("/proc/self/mountinfo");
  for (std::string line; std::getline(in, line);) {
    if (line.find(" " + mountPoint + " ") != std::string::npos)
      return true;
  }
  return false;
}

bool AnyPrivateCardMountVisible() {
  std::ifstream in("/proc/self/mountinfo");
  for (std::string line; std::getline(in, line);) {
    if (line.find("qvsim-card") != std::string::npos)
      return true;
  }
  return false;
}

void ExpectJpeg(const std::string& path, int width, int height) {
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  ASSERT_GT(bytes.size(), 4u) << path;
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
  EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
  const QImage image = test::DecodeJpeg(bytes);
  EXPECT_EQ(image.width(), width) << path;
  EXPECT_EQ(image.height(), height) << path;
}

class CardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0)
      GTEST_SKIP() << "the card needs root for its loop mounts";
    if (::access("/dev/loop-control", F_OK) != 0)
      GTEST_SKIP() << "no loop devices here (/dev/loop-control is missing)";
    m_label = "QVT" + std::to_string(::getpid());
  }
  void TearDown() override {
    if (vel::g_pComPort == m_port.get())
      vel::g_pComPort = nullptr;
  }

  std::vector<std::string> Args(const std::string& user) const {
    return {"--card", m_dir / "card", "--label", m_label, "--user", user, "--model", "7"};
  }
  std::string MountPoint(const std::string& user) const { return "/media/" + user + "/" + m_label; }

  void Open(test::QvsimProcess& qvsim) {
    vel::ComPort = qvsim.FirstLine();
    ASSERT_TRUE(vel::ComPort.starts_with("/dev/pts/")) << qvsim.Output() << qvsim.Errors();
    m_port = std::make_unique<vel::CComPort>();
    ASSERT_NE(m_port->Open(), 0) << m_port->LastErrorText();
  }
  void Send(std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) EXPECT_EQ(m_port->Write(&byte, 1), 1);
  }

  static std::string CurrentUser() { return ::getpwuid(::geteuid())->pw_name; }

  vel::test::TempDir m_dir;
  std::string m_label;
  std::unique_ptr<vel::CComPort> m_port;
};

TEST_F(CardTest, ShutterStoresPicturesAndTheSwitchMountsAndUnmountsTheCard) {
  const std::string user = CurrentUser();
  const std::string mountPoint = MountPoint(user);
  test::QvsimProcess qvsim(Args(user));
  Open(qvsim);

  Send({'B', 'b'});
  ASSERT_TRUE(qvsim.WaitFor("Card: stored DCIM/100CASIO/CIMG0001.JPG")) << qvsim.Output();
  EXPECT_FALSE(IsMounted(mountPoint));
  EXPECT_FALSE(AnyPrivateCardMountVisible());

  Send({'M'});
  ASSERT_TRUE(qvsim.WaitFor("Card: USB mode, mounted at " + mountPoint)) << qvsim.Output();
  EXPECT_TRUE(IsMounted(mountPoint));
  const std::string folder = mountPoint + "/DCIM/100CASIO/";
  ExpectJpeg(folder + "CIMG0001.JPG", 320, 240);
  ExpectJpeg(folder + "PREVIEW/CIMG0001.JPG", 160, 120);

  // In USB mode the camera takes no picture.
  Send({'B', 'b'});
  ASSERT_TRUE(qvsim.WaitFor("takes no picture")) << qvsim.Output();
  EXPECT_FALSE(Exists(folder + "CIMG0002.JPG"));

  Send({'M'});
  ASSERT_TRUE(qvsim.WaitFor("Card: REC mode, unmounted from " + mountPoint)) << qvsim.Output();
  EXPECT_FALSE(IsMounted(mountPoint));
  EXPECT_FALSE(Exists(mountPoint));

  Send({'B', 'b'});
  EXPECT_TRUE(qvsim.WaitFor("Card: stored DCIM/100CASIO/CIMG0002.JPG")) << qvsim.Output();

  // A second simulator on the same image would mount it twice.
  test::QvsimProcess second(Args(user));
  EXPECT_EQ(second.Stop(0), 1);
  EXPECT_NE(second.Errors().find("in use by another qvsim"), std::string::npos) << second.Errors();
  EXPECT_EQ(qvsim.Stop(), 0) << qvsim.Errors();
}

TEST_F(CardTest, PicturesBelongToTheUserAndNumberingGoesOnAfterARestart) {
  const passwd* nobody = ::getpwnam("nobody");
  if (!nobody)
    GTEST_SKIP() << "no user nobody on this machine";
  const std::string userFolder = "/media/nobody";
  const bool hadUserFolder = Exists(userFolder);
  const std::string mountPoint = MountPoint("nobody");
  {
    test::QvsimProcess qvsim(Args("nobody"));
    Open(qvsim);
    Send({'B', 'b', 'M'});
    ASSERT_TRUE(qvsim.WaitFor("mounted at " + mountPoint)) << qvsim.Output() << qvsim.Errors();
    struct stat info {};
    ASSERT_EQ(::stat((mountPoint + "/DCIM/100CASIO/CIMG0001.JPG").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
    ASSERT_EQ(::stat((mountPoint + "/DCIM/100CASIO/PREVIEW").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
    // The terminal is theirs too, so their program can open it.
    ASSERT_EQ(::stat(vel::ComPort.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
    m_port.reset();
    // Ending in USB mode pulls the cable: the card is unmounted.
    EXPECT_EQ(qvsim.Stop(), 0);
    EXPECT_FALSE(IsMounted(mountPoint));
  }
  test::QvsimProcess again(Args("nobody"));
  EXPECT_TRUE(again.WaitFor("next picture CIMG0002.JPG")) << again.Output() << again.Errors();
  EXPECT_EQ(again.Stop(), 0);
  if (!hadUserFolder)
    ::rmdir(userFolder.c_str());
}

}  // namespace
}  // namespace qvsim
