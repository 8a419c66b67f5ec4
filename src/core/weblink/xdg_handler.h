#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

// The folders of the XDG base directory scheme that hold MIME associations
// (mimeapps.list) and desktop entries (the applications subfolders).
struct XdgDirs {
  std::string configHome;               // $XDG_CONFIG_HOME, default ~/.config
  std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS, default /etc/xdg
  std::string dataHome;                 // $XDG_DATA_HOME, default ~/.local/share
  std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS, default /usr/local/share:/usr/share
  std::vector<std::string> desktops;    // $XDG_CURRENT_DESKTOP, lower case, for
                                        // desktop-specific lists such as gnome-mimeapps.list
};

// The folders as the environment names them, with the standard defaults for
// unset or empty variables; relative entries are ignored.
XdgDirs XdgDirsFromEnvironment();

// The association lists in the order they are consulted: config home, each
// config dir, data home's applications, each data dir's applications; in
// each folder the desktop-specific lists before mimeapps.list.
std::vector<std::string> MimeAppsListPaths(const XdgDirs& dirs);

// The applications folders in the order desktop entries are looked up.
std::vector<std::string> ApplicationDirs(const XdgDirs& dirs);

// The file of a desktop entry id such as "firefox.desktop"; an id with a
// dash may also name a file in a subfolder ("kde4-browser.desktop" is
// kde4/browser.desktop).
std::optional<std::string> FindDesktopFile(const XdgDirs& dirs, std::string_view desktopId);

// The keys of a desktop entry that starting it needs, with the string
// escapes (\s \n \t \r \\) resolved.
struct DesktopEntry {
  std::string exec;
  std::string tryExec;
  bool hidden = false;
};
std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path);

enum class HandlerStatus {
  Found,           // desktopFile and entry describe the handler
  NoneConfigured,  // no list names an installed handler
  Invalid,         // a handler is named but its entry cannot be started (no Exec)
};

struct WebHandler {
  HandlerStatus status = HandlerStatus::NoneConfigured;
  std::string desktopFile;
  DesktopEntry entry;
};

// The default handler for web pages: the first installed, usable entry that
// a [Default Applications] line names for x-scheme-handler/http, searching
// every list in order, and only then for text/html.
WebHandler FindWebHandler(const XdgDirs& dirs);

}  // namespace vel
