// The link's Windows backend: the reasons for the shell's failure codes, and
// the fallback to the program registered for web pages (".htm" -> its class
// -> shell\open\command), started for real. The registered program is a
// copy of this test program, which records its arguments, in a folder whose
// name holds a blank. The registry entries are this test's own (it runs in a
// Wine prefix of its own) and are put back afterwards.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/weblink/open_link.h"
#include "core/weblink/open_link_win32.h"
#include "support/argument_recorder_win32.h"
#include "support/temp_dir.h"

namespace vel::win32 {
namespace {

// A scheme registered to nothing, so that the shell fails and the fallback runs.
constexpr const char* kAddress = "velorantica-unregistered://www.example.com/qv/index.html";

TEST(ShellErrorReason, NamesTheFailureOrTheUnknownCode) {
  EXPECT_EQ(ShellErrorReason(0), "The operating system is out\nof memory or resources.");
  EXPECT_EQ(ShellErrorReason(26), "A sharing violation occurred. ");
  EXPECT_EQ(ShellErrorReason(32), "The specified dynamic-link library was not found.");
  EXPECT_EQ(ShellErrorReason(4), "Unknown Error (4) occurred.");
  EXPECT_EQ(ShellErrorReason(33), "Unknown Error (33) occurred.");
}

std::optional<std::string> ReadDefault(const std::string& subkey) {
  char buffer[1024] = {};
  DWORD size = sizeof buffer;
  if (::RegGetValueA(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buffer);
}

bool WriteDefault(const std::string& subkey, const std::string& value) {
  return ::RegSetKeyValueA(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

class RegisteredBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedPageClass = ReadDefault(".htm");
    ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr));
    ASSERT_TRUE(test::CopyThisProgramTo(m_browser));
    ASSERT_TRUE(WriteDefault(".htm", m_pageClass));
  }
  void TearDown() override {
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, m_pageClass.c_str());
    if (m_savedPageClass)
      WriteDefault(".htm", *m_savedPageClass);
    else
      ::RegDeleteKeyValueA(HKEY_CLASSES_ROOT, ".htm", nullptr);
  }
  void Register(const std::string& command) {
    ASSERT_TRUE(WriteDefault(m_pageClass + "\\shell\\open\\command", command));
  }

  test::TempDir m_temp;
  const std::string m_folder = m_temp / "web browser";
  const std::string m_browser = m_folder + "\\browse.exe";
  const std::string m_pageClass = "Velorantica.TestPage." + std::to_string(::GetCurrentProcessId());
  std::optional<std::string> m_savedPageClass;
};

// With nothing to start, the shell's own failure is reported; a registered
// program that does not start reports its own; one that starts gets the
// command cut at the placeholder with the address.
TEST_F(RegisteredBrowserTest, StartsTheCommandOrReportsWhyNothingOpened) {
  EXPECT_EQ(OpenLinkWithShell(kAddress).Text(), LinkErrorText(kNoHandlerReason));
  Register("\"" + m_folder + "\\gone.exe\" \"%1\"");
  EXPECT_EQ(OpenLinkWithShell(kAddress).Text(), LinkErrorText("The specified file was not found."));
  Register("\"" + m_browser + "\" -nohome \"%1\" --from-registry");
  const std::string record = m_temp / "record.txt";
  const test::Recording recording(record);
  EXPECT_TRUE(OpenLinkWithShell(kAddress).Ok());
  EXPECT_EQ(test::AwaitRecord(record), std::string("-nohome\n") + kAddress + "\n");
  ::RegDeleteKeyValueA(HKEY_CLASSES_ROOT, ".htm", nullptr);
  EXPECT_EQ(OpenLinkWithShell(kAddress).Text(), LinkErrorText(kNoHandlerReason));
}

}  // namespace
}  // namespace vel::win32
