// The link's fallback on Windows: the command line of the program registered
// for web pages (".htm" -> its class -> shell\open\command), cut at the
// placeholder and given the address, started for real. The registered
// program is a copy of this test program, which records its arguments, in a
// folder whose name holds a blank. The registry entries are this test's own
// (the test runs in a Wine prefix of its own) and are put back afterwards.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/weblink/open_link.h"
#include "support/argument_recorder_win32.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace vel {
namespace {

constexpr const char* kAddress = "http://www.example.com/qv/index.html?a=1&b=2";

// The default value of a key under HKEY_CLASSES_ROOT, if it has one.
std::optional<std::string> ReadDefault(const std::string& subkey) {
  char buffer[1024] = {};
  DWORD size = sizeof buffer;
  if (::RegGetValueA(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buffer);
}

bool WriteDefault(const std::string& subkey, const std::string& value, DWORD type = REG_SZ) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result =
      ::RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

void DeleteDefault(const std::string& subkey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    ::RegDeleteValueA(key, nullptr);
    ::RegCloseKey(key);
  }
}

class OpenLinkWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedPageClass = ReadDefault(".htm");
    m_pageClass = "Velorantica.TestPage." + std::to_string(::GetCurrentProcessId());
    m_folder = m_temp / "web browser";
    ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr));
    m_browser = m_folder + "\\browse.exe";
    ASSERT_TRUE(test::CopyThisProgramTo(m_browser));
    m_record = m_temp / "record.txt";
  }
  void TearDown() override {
    if (m_savedPageClass)
      WriteDefault(".htm", *m_savedPageClass);
    else
      DeleteDefault(".htm");
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, m_pageClass.c_str());
  }

  // Registers command as the open command of web pages.
  void RegisterBrowser(const std::string& command, DWORD type = REG_SZ) {
    ASSERT_TRUE(WriteDefault(".htm", m_pageClass));
    ASSERT_TRUE(WriteDefault(m_pageClass + "\\shell\\open\\command", command, type));
  }

  // Opens the link through the fallback and returns what the browser got.
  std::string OpenAndRecord() {
    const test::RecordingEnvironment recording(m_record);
    const int result = OpenLinkFallback(kAddress, {});
    EXPECT_TRUE(LinkOpened(result)) << result;
    return test::AwaitRecord(m_record);
  }

  test::TempDir m_temp;
  std::string m_folder;
  std::string m_browser;
  std::string m_record;
  std::string m_pageClass;

 private:
  std::optional<std::string> m_savedPageClass;
};

TEST_F(OpenLinkWin32Test, CommandIsCutBeforeTheQuotedPlaceholderAndGetsTheAddress) {
  RegisterBrowser("\"" + m_browser + "\" -nohome \"%1\" --from-registry");
  EXPECT_EQ(OpenAndRecord(), std::string("-nohome\n") + kAddress + "\n");
}

TEST_F(OpenLinkWin32Test, ABarePlaceholderIsCutToo) {
  RegisterBrowser("\"" + m_browser + "\" -url %1 -new-tab");
  EXPECT_EQ(OpenAndRecord(), std::string("-url\n") + kAddress + "\n");
}

TEST_F(OpenLinkWin32Test, ACommandWithoutPlaceholderGetsTheAddressAtItsEnd) {
  RegisterBrowser("\"" + m_browser + "\" --new-window");
  EXPECT_EQ(OpenAndRecord(), std::string("--new-window\n") + kAddress + "\n");
}

TEST_F(OpenLinkWin32Test, AnExpandableCommandHasItsVariablesExpanded) {
  ASSERT_TRUE(::SetEnvironmentVariableA("VELORANTICA_BROWSER_FOLDER", m_folder.c_str()));
  RegisterBrowser("\"%VELORANTICA_BROWSER_FOLDER%\\browse.exe\" \"%1\"", REG_EXPAND_SZ);
  EXPECT_EQ(OpenAndRecord(), std::string(kAddress) + "\n");
  ::SetEnvironmentVariableA("VELORANTICA_BROWSER_FOLDER", nullptr);
}

TEST_F(OpenLinkWin32Test, AClassWithoutOpenCommandIsAnIncompleteAssociation) {
  ASSERT_TRUE(WriteDefault(".htm", m_pageClass));
  EXPECT_EQ(OpenLinkFallback(kAddress, {}), kOpenAssociationIncomplete);
}

TEST_F(OpenLinkWin32Test, NoClassForWebPagesIsNoAssociation) {
  DeleteDefault(".htm");
  EXPECT_EQ(OpenLinkFallback(kAddress, {}), kOpenNoAssociation);
}

TEST_F(OpenLinkWin32Test, ARegisteredProgramThatIsMissingGivesTheStartFailure) {
  RegisterBrowser("\"" + m_folder + "\\gone.exe\" \"%1\"");
  EXPECT_EQ(OpenLinkFallback(kAddress, {}), kOpenFileNotFound);
}

}  // namespace
}  // namespace vel
