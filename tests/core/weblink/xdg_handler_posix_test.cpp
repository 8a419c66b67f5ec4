#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/weblink/xdg_handler.h"
#include "xdg_tree.h"

namespace vel {
namespace {

using test::XdgTree;

std::string FoundId(const WebHandler& handler) {
  if (handler.status != HandlerStatus::Found)
    return "<none>";
  return std::filesystem::path(handler.desktopFile).filename().string();
}

class XdgHandlerTest : public ::testing::Test {
 protected:
  // Installs entries a.desktop to e.desktop in the second data dir.
  void InstallEntries() {
    for (const char* id : {"a.desktop", "b.desktop", "c.desktop", "d.desktop", "e.desktop"}) {
      XdgTree::WriteEntry(tree.Dirs().dataDirs[1], id, "Exec=browser %u\n");
    }
  }
  std::string ConfigHomeList() const { return tree.Dirs().configHome + "/mimeapps.list"; }
  std::string ConfigDirList() const { return tree.Dirs().configDirs[0] + "/mimeapps.list"; }
  std::string DataHomeList() const { return tree.Dirs().dataHome + "/applications/mimeapps.list"; }
  std::string DataDirList(int i) const {
    return tree.Dirs().dataDirs[i] + "/applications/mimeapps.list";
  }

  XdgTree tree;
};

TEST_F(XdgHandlerTest, ListsAreConsultedConfigBeforeData) {
  InstallEntries();
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("a.desktop"));
  XdgTree::Write(ConfigDirList(), XdgTree::HttpDefault("b.desktop"));
  XdgTree::Write(DataHomeList(), XdgTree::HttpDefault("c.desktop"));
  XdgTree::Write(DataDirList(0), XdgTree::HttpDefault("d.desktop"));
  XdgTree::Write(DataDirList(1), XdgTree::HttpDefault("e.desktop"));

  for (const std::string& next :
       {std::string("a.desktop"), std::string("b.desktop"), std::string("c.desktop"),
        std::string("d.desktop"), std::string("e.desktop")}) {
    EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), next);
    // Drop the list that won, so the next one in line shows.
    for (const std::string& list :
         {ConfigHomeList(), ConfigDirList(), DataHomeList(), DataDirList(0), DataDirList(1)}) {
      if (std::filesystem::exists(list)) {
        std::filesystem::remove(list);
        break;
      }
    }
  }
  EXPECT_EQ(FindWebHandler(tree.Dirs()).status, HandlerStatus::NoneConfigured);
}

TEST_F(XdgHandlerTest, HttpHandlerAnywhereBeatsHtmlHandlerInAnEarlierList) {
  InstallEntries();
  XdgTree::Write(ConfigHomeList(), XdgTree::DefaultFor("text/html", "a.desktop"));
  XdgTree::Write(DataDirList(1), XdgTree::HttpDefault("b.desktop"));
  EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), "b.desktop");

  std::filesystem::remove(DataDirList(1));
  EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), "a.desktop") << "text/html when no http";
}

TEST_F(XdgHandlerTest, FirstInstalledEntryOfAListWins) {
  InstallEntries();
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("gone.desktop; c.desktop;a.desktop;"));
  EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), "c.desktop");
}

TEST_F(XdgHandlerTest, ListNamingOnlyMissingEntriesGivesWayToTheNextList) {
  InstallEntries();
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("gone.desktop"));
  XdgTree::Write(DataHomeList(), XdgTree::HttpDefault("d.desktop"));
  EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), "d.desktop");
}

TEST_F(XdgHandlerTest, DesktopSpecificListComesFirstInItsFolder) {
  InstallEntries();
  tree.Dirs().desktops = {"lxqt"};
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("a.desktop"));
  XdgTree::Write(tree.Dirs().configHome + "/lxqt-mimeapps.list", XdgTree::HttpDefault("e.desktop"));
  EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), "e.desktop");
}

TEST_F(XdgHandlerTest, OnlyTheDefaultApplicationsGroupCounts) {
  InstallEntries();
  XdgTree::Write(ConfigHomeList(),
                 "[Added Associations]\nx-scheme-handler/http=a.desktop\n"
                 "# x-scheme-handler/http=b.desktop\n"
                 "[Default Applications]\ntext/plain=c.desktop\n"
                 "  x-scheme-handler/http = d.desktop \n"
                 "[Removed Associations]\nx-scheme-handler/http=d.desktop\n");
  EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), "d.desktop");
}

TEST_F(XdgHandlerTest, HiddenEntriesAreNotInstalled) {
  XdgTree::WriteEntry(tree.Dirs().dataHome, "a.desktop", "Exec=browser %u\nHidden=true\n");
  XdgTree::WriteEntry(tree.Dirs().dataDirs[0], "b.desktop", "Exec=other %u\n");
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("a.desktop;b.desktop"));
  EXPECT_EQ(FoundId(FindWebHandler(tree.Dirs())), "b.desktop");
}

TEST_F(XdgHandlerTest, UserEntryHidesTheSystemEntryOfTheSameId) {
  XdgTree::WriteEntry(tree.Dirs().dataHome, "a.desktop", "Exec=mine %u\n");
  XdgTree::WriteEntry(tree.Dirs().dataDirs[0], "a.desktop", "Exec=system %u\n");
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("a.desktop"));
  EXPECT_EQ(FindWebHandler(tree.Dirs()).entry.exec, "mine %u");
}

TEST_F(XdgHandlerTest, EntryWithoutExecIsInvalid) {
  XdgTree::WriteEntry(tree.Dirs().dataDirs[0], "a.desktop", "Name=Browser\n");
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("a.desktop"));
  EXPECT_EQ(FindWebHandler(tree.Dirs()).status, HandlerStatus::Invalid);
}

TEST_F(XdgHandlerTest, NothingConfiguredWithoutLists) {
  InstallEntries();
  EXPECT_EQ(FindWebHandler(tree.Dirs()).status, HandlerStatus::NoneConfigured);
}

TEST_F(XdgHandlerTest, DashedIdFindsAnEntryInASubfolder) {
  XdgTree::Write(tree.Dirs().dataDirs[0] + "/applications/vendor/web-browser.desktop",
                 "[Desktop Entry]\nExec=vendor-browser %U\n");
  XdgTree::Write(ConfigHomeList(), XdgTree::HttpDefault("vendor-web-browser.desktop"));
  const WebHandler handler = FindWebHandler(tree.Dirs());
  EXPECT_EQ(handler.status, HandlerStatus::Found);
  EXPECT_EQ(handler.entry.exec, "vendor-browser %U");
}

TEST_F(XdgHandlerTest, EntryValuesHaveTheirEscapesResolved) {
  XdgTree::WriteEntry(tree.Dirs().dataDirs[0], "a.desktop",
                      "Exec=browser\\s--flag \"C:\\\\\\\\x\" %u\nTryExec=/opt/b\\\\in\n"
                      "[Desktop Action new]\nExec=wrong\n");
  const std::optional<DesktopEntry> entry =
      ReadDesktopEntry(tree.Dirs().dataDirs[0] + "/applications/a.desktop");
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->exec, "browser --flag \"C:\\\\x\" %u");
  EXPECT_EQ(entry->tryExec, "/opt/b\\in");
}

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
 public:
  void Set(const char* name, const char* value) {
    Remember(name);
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
  }

 private:
  void Remember(const char* name) {
    const char* old = std::getenv(name);
    m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST(XdgDirsFromEnvironment, DefaultsForUnsetAndEmptyVariables) {
  ScopedEnvironment env;
  env.Set("HOME", "/home/tester");
  env.Set("XDG_CONFIG_HOME", nullptr);
  env.Set("XDG_DATA_HOME", "");
  env.Set("XDG_CONFIG_DIRS", nullptr);
  env.Set("XDG_DATA_DIRS", "");
  env.Set("XDG_CURRENT_DESKTOP", nullptr);
  const XdgDirs dirs = XdgDirsFromEnvironment();
  EXPECT_EQ(dirs.configHome, "/home/tester/.config");
  EXPECT_EQ(dirs.dataHome, "/home/tester/.local/share");
  EXPECT_EQ(dirs.configDirs, (std::vector<std::string>{"/etc/xdg"}));
  EXPECT_EQ(dirs.dataDirs, (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
  EXPECT_TRUE(dirs.desktops.empty());
}

TEST(XdgDirsFromEnvironment, ListsDropEmptyAndRelativeEntries) {
  ScopedEnvironment env;
  env.Set("XDG_CONFIG_HOME", "/cfg");
  env.Set("XDG_CONFIG_DIRS", "/a::relative:/b");
  env.Set("XDG_DATA_DIRS", "/x:");
  env.Set("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
  const XdgDirs dirs = XdgDirsFromEnvironment();
  EXPECT_EQ(dirs.configHome, "/cfg");
  EXPECT_EQ(dirs.configDirs, (std::vector<std::string>{"/a", "/b"}));
  EXPECT_EQ(dirs.dataDirs, (std::vector<std::string>{"/x"}));
  EXPECT_EQ(dirs.desktops, (std::vector<std::string>{"ubuntu", "gnome"}));
}

}  // namespace
}  // namespace vel
