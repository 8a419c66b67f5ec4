#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/weblink/open_link.h"
#include "xdg_tree.h"

namespace vel {
namespace {

using test::XdgTree;

// An address that a shell would split and expand, to show none is involved.
const std::string kAwkwardAddress = "http://www.example.org/a b?x=\"1\"&y=$HOME;`id`";

class FallbackTest : public ::testing::Test {
 protected:
  // Makes entry "web.desktop" with the given Exec line the http handler.
  void ConfigureHandler(const std::string& exec, const std::string& more = "") {
    XdgTree::WriteEntry(tree.Dirs().dataDirs[0], "web.desktop", "Exec=" + exec + "\n" + more);
    XdgTree::Write(tree.Dirs().configHome + "/mimeapps.list", XdgTree::HttpDefault("web.desktop"));
  }

  XdgTree tree;
  const std::string record = tree.Path("record.txt");
};

TEST_F(FallbackTest, StartsTheHandlerWithTheAddressAsOneArgument) {
  const std::string browser = tree.WriteRecorder("browser", record);
  ConfigureHandler(browser + " --new-window \"%u\" --private");
  EXPECT_EQ(OpenLinkFallback(kAwkwardAddress, tree.Dirs()), kLinkOpened);
  EXPECT_EQ(XdgTree::AwaitRecord(record), "--new-window\n" + kAwkwardAddress + "\n");
}

TEST_F(FallbackTest, HandlerFoundThroughPathWithoutPlaceholder) {
  tree.WriteRecorder("bin/velorantica-test-browser", record);
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  ::setenv("PATH", (tree.Path("bin") + ":" + savedPath).c_str(), 1);
  ConfigureHandler("velorantica-test-browser --tab");
  const int result = OpenLinkFallback("http://www.example.org", tree.Dirs());
  ::setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(result, kLinkOpened);
  EXPECT_EQ(XdgTree::AwaitRecord(record), "--tab\nhttp://www.example.org\n");
}

TEST_F(FallbackTest, HandlerProgramNotInstalledIsFileNotFound) {
  ConfigureHandler("velorantica-no-such-browser --new-window %u");
  const int result = OpenLinkFallback("http://www.example.org", tree.Dirs());
  EXPECT_EQ(result, kOpenFileNotFound);
  EXPECT_EQ(OpenErrorText(result),
            "Unable to open hyperlink:\n\nThe specified file was not found.");

  ConfigureHandler(tree.Path("missing/browser") + " %u");
  EXPECT_EQ(OpenLinkFallback("http://www.example.org", tree.Dirs()), kOpenFileNotFound);
}

TEST_F(FallbackTest, MissingTryExecProgramMeansNotInstalled) {
  const std::string browser = tree.WriteRecorder("browser", record);
  ConfigureHandler(browser + " %u", "TryExec=" + tree.Path("not-there") + "\n");
  EXPECT_EQ(OpenLinkFallback("http://www.example.org", tree.Dirs()), kOpenFileNotFound);
}

TEST_F(FallbackTest, HandlerThatCannotBeRunIsAccessDenied) {
  const std::string browser = tree.WriteRecorder("browser", record);
  ::chmod(browser.c_str(), 0644);
  ConfigureHandler(browser + " %u");
  EXPECT_EQ(OpenLinkFallback("http://www.example.org", tree.Dirs()), kOpenAccessDenied);
}

TEST_F(FallbackTest, NoHandlerConfiguredIsNoAssociation) {
  const int result = OpenLinkFallback("http://www.example.org", tree.Dirs());
  EXPECT_EQ(result, kOpenNoAssociation);
  EXPECT_EQ(OpenErrorText(result),
            "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
            "filename extension.");
}

TEST_F(FallbackTest, UnusableEntriesAreAnIncompleteAssociation) {
  XdgTree::WriteEntry(tree.Dirs().dataDirs[0], "web.desktop", "Name=Browser\n");
  XdgTree::Write(tree.Dirs().configHome + "/mimeapps.list", XdgTree::HttpDefault("web.desktop"));
  EXPECT_EQ(OpenLinkFallback("http://www.example.org", tree.Dirs()), kOpenAssociationIncomplete);

  ConfigureHandler("\"browser --unterminated");
  EXPECT_EQ(OpenLinkFallback("http://www.example.org", tree.Dirs()), kOpenAssociationIncomplete);
}

TEST_F(FallbackTest, AfterASuccessfulDesktopOpenerNothingElseRuns) {
  const std::string browser = tree.WriteRecorder("browser", record);
  ConfigureHandler(browser + " %u");
  EXPECT_EQ(OpenLinkAfterDesktop(kLinkOpened, "http://www.example.org", tree.Dirs()), kLinkOpened);
  EXPECT_FALSE(std::filesystem::exists(record));
}

TEST_F(FallbackTest, AfterAFailedDesktopOpenerTheHandlerRuns) {
  const std::string browser = tree.WriteRecorder("browser", record);
  ConfigureHandler(browser + " %u");
  EXPECT_EQ(OpenLinkAfterDesktop(kOpenFileNotFound, "http://www.example.org", tree.Dirs()),
            kLinkOpened);
  EXPECT_EQ(XdgTree::AwaitRecord(record), "http://www.example.org\n");
}

TEST_F(FallbackTest, WithNothingToStartTheDesktopOpenersFailureIsReported) {
  EXPECT_EQ(OpenLinkAfterDesktop(kOpenFileNotFound, "http://www.example.org", tree.Dirs()),
            kOpenFileNotFound);
  ConfigureHandler("velorantica-no-such-browser %u");
  EXPECT_EQ(OpenLinkAfterDesktop(kOpenNoAssociation, "http://www.example.org", tree.Dirs()),
            kOpenFileNotFound)
      << "a handler that fails to start reports its own failure";
}

// A clock whose waits take no time, for openers that never finish.
class InstantClock final : public Clock {
 public:
  std::int64_t NowMs() override { return m_now; }
  void WaitMs(std::uint32_t ms) override { m_now += ms; }

 private:
  std::int64_t m_now = 0;
};

// Runs the desktop opener with PATH holding only the test's own folder.
class DesktopOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    m_savedPath = path ? std::optional<std::string>(path) : std::nullopt;
    std::filesystem::create_directories(tree.Path("bin"));
    ::setenv("PATH", tree.Path("bin").c_str(), 1);
  }
  void TearDown() override {
    if (m_savedPath) {
      ::setenv("PATH", m_savedPath->c_str(), 1);
    } else {
      ::unsetenv("PATH");
    }
  }

  XdgTree tree;
  const std::string record = tree.Path("record.txt");

 private:
  std::optional<std::string> m_savedPath;
};

TEST_F(DesktopOpenerTest, OpenerGetsTheAddressAlone) {
  tree.WriteRecorder("bin/xdg-open", record, 0);
  EXPECT_EQ(OpenLinkWithDesktop(kAwkwardAddress), kLinkOpened);
  EXPECT_EQ(XdgTree::AwaitRecord(record), kAwkwardAddress + "\n");
}

TEST_F(DesktopOpenerTest, OpenerFindingNoToolIsNoAssociation) {
  tree.WriteRecorder("bin/xdg-open", record, 3);
  EXPECT_EQ(OpenLinkWithDesktop("http://www.example.org"), kOpenNoAssociation);
}

TEST_F(DesktopOpenerTest, MissingOpenerIsFileNotFound) {
  EXPECT_EQ(OpenLinkWithDesktop("http://www.example.org"), kOpenFileNotFound);
}

TEST_F(DesktopOpenerTest, OpenerStillRunningIsTakenAsShowingThePage) {
  const std::string opener = tree.Path("bin/xdg-open");
  XdgTree::Write(opener,
                 "#!/bin/sh\necho end > '" + record + "'\nexec /bin/sleep 3 >/dev/null 2>&1\n");
  ::chmod(opener.c_str(), 0755);
  InstantClock clock;
  EXPECT_EQ(OpenLinkWithDesktop("http://www.example.org", clock), kLinkOpened);
  EXPECT_GE(clock.NowMs(), 1000) << "it was given time to finish first";
  // Let the opener get going before its folder is removed.
  EXPECT_EQ(XdgTree::AwaitRecord(record), "");
  EXPECT_TRUE(std::filesystem::exists(record));
}

}  // namespace
}  // namespace vel
