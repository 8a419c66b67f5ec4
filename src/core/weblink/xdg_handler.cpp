#include "core/weblink/xdg_handler.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vel {
namespace {

constexpr std::string_view kWebPageTypes[] = {"x-scheme-handler/http", "text/html"};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

bool IsAbsolute(std::string_view path) {
  return !path.empty() && path.front() == '/';
}

// Splits a colon-separated list, keeping absolute entries only.
std::vector<std::string> AbsoluteEntries(std::string_view list) {
  std::vector<std::string> entries;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    if (IsAbsolute(entry))
      entries.emplace_back(entry);
    if (colon == std::string_view::npos)
      break;
    list.remove_prefix(colon + 1);
  }
  return entries;
}

std::string HomeDefault(const std::string& home, const char* relative) {
  return IsAbsolute(home) ? home + "/" + relative : std::string();
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// Calls visit(key, value) for each "key=value" line of the named group of an
// INI-style file (desktop entries, mimeapps.list). False when unreadable.
template <typename Visit>
bool ForEachKeyInGroup(const std::string& path, std::string_view group, Visit visit) {
  std::ifstream in(path);
  if (!in)
    return false;
  bool inGroup = false;
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = Trim(line);
    if (text.empty() || text.front() == '#')
      continue;
    if (text.front() == '[') {
      inGroup = text.size() >= 2 && text.back() == ']' && text.substr(1, text.size() - 2) == group;
      continue;
    }
    const std::size_t equals = text.find('=');
    if (!inGroup || equals == std::string_view::npos)
      continue;
    visit(Trim(text.substr(0, equals)), Trim(text.substr(equals + 1)));
  }
  return true;
}

// Resolves the escapes of a desktop-entry string value. Unknown escapes stay
// as they are, for the Exec quoting rules to see.
std::string UnescapeStringValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[i + 1]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += value.substr(i, 2);
        break;
    }
    ++i;
  }
  return out;
}

// The desktop ids of a list value such as "firefox.desktop;chromium.desktop;".
std::vector<std::string> DesktopIds(std::string_view value) {
  std::vector<std::string> ids;
  while (!value.empty()) {
    const std::size_t semicolon = value.find(';');
    const std::string_view id = Trim(value.substr(0, semicolon));
    if (!id.empty())
      ids.emplace_back(id);
    if (semicolon == std::string_view::npos)
      break;
    value.remove_prefix(semicolon + 1);
  }
  return ids;
}

// The desktop ids that one list names as default for mimeType, in order.
std::vector<std::string> DefaultsIn(const std::string& listPath, std::string_view mimeType) {
  std::vector<std::string> ids;
  ForEachKeyInGroup(listPath, "Default Applications",
                    [&](std::string_view key, std::string_view value) {
                      if (key == mimeType && ids.empty())
                        ids = DesktopIds(value);
                    });
  return ids;
}

// Looks for id in folder, trying each dash as a subfolder separator too.
std::optional<std::string> FindInFolder(const std::string& folder, std::string_view id) {
  const std::string direct = folder + "/" + std::string(id);
  if (IsRegularFile(direct))
    return direct;
  for (std::size_t dash = id.find('-'); dash != std::string_view::npos;
       dash = id.find('-', dash + 1)) {
    if (dash == 0)
      continue;
    const std::string subfolder = folder + "/" + std::string(id.substr(0, dash));
    std::error_code error;
    if (!std::filesystem::is_directory(subfolder, error))
      continue;
    if (auto found = FindInFolder(subfolder, id.substr(dash + 1)))
      return found;
  }
  return std::nullopt;
}

}  // namespace

XdgDirs XdgDirsFromEnvironment() {
  const std::string home = Environment("HOME");
  XdgDirs dirs;
  dirs.configHome = Environment("XDG_CONFIG_HOME");
  if (!IsAbsolute(dirs.configHome))
    dirs.configHome = HomeDefault(home, ".config");
  dirs.dataHome = Environment("XDG_DATA_HOME");
  if (!IsAbsolute(dirs.dataHome))
    dirs.dataHome = HomeDefault(home, ".local/share");
  const std::string configDirs = Environment("XDG_CONFIG_DIRS");
  dirs.configDirs = AbsoluteEntries(configDirs.empty() ? "/etc/xdg" : configDirs);
  const std::string dataDirs = Environment("XDG_DATA_DIRS");
  dirs.dataDirs = AbsoluteEntries(dataDirs.empty() ? "/usr/local/share:/usr/share" : dataDirs);
  std::string desktops = Environment("XDG_CURRENT_DESKTOP");
  for (char& c : desktops) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::string_view name = desktops; !name.empty();) {
    const std::size_t colon = name.find(':');
    if (colon != 0)
      dirs.desktops.emplace_back(name.substr(0, colon));
    if (colon == std::string_view::npos)
      break;
    name.remove_prefix(colon + 1);
  }
  return dirs;
}

std::vector<std::string> ApplicationDirs(const XdgDirs& dirs) {
  std::vector<std::string> folders;
  if (!dirs.dataHome.empty())
    folders.push_back(dirs.dataHome + "/applications");
  for (const std::string& dir : dirs.dataDirs) folders.push_back(dir + "/applications");
  return folders;
}

std::vector<std::string> MimeAppsListPaths(const XdgDirs& dirs) {
  std::vector<std::string> folders;
  if (!dirs.configHome.empty())
    folders.push_back(dirs.configHome);
  folders.insert(folders.end(), dirs.configDirs.begin(), dirs.configDirs.end());
  for (const std::string& folder : ApplicationDirs(dirs)) folders.push_back(folder);

  std::vector<std::string> paths;
  for (const std::string& folder : folders) {
    for (const std::string& desktop : dirs.desktops) {
      paths.push_back(folder + "/" + desktop + "-mimeapps.list");
    }
    paths.push_back(folder + "/mimeapps.list");
  }
  return paths;
}

std::optional<std::string> FindDesktopFile(const XdgDirs& dirs, std::string_view desktopId) {
  if (desktopId.empty() || desktopId.find('/') != std::string_view::npos)
    return std::nullopt;
  for (const std::string& folder : ApplicationDirs(dirs)) {
    if (auto found = FindInFolder(folder, desktopId))
      return found;
  }
  return std::nullopt;
}

std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path) {
  DesktopEntry entry;
  const bool read =
      ForEachKeyInGroup(path, "Desktop Entry", [&](std::string_view key, std::string_view value) {
        if (key == "Exec")
          entry.exec = UnescapeStringValue(value);
        if (key == "TryExec") {
          entry.tryExec = UnescapeStringValue(value);
        }
        if (key == "Hidden")
          entry.hidden = value == "true";
      });
  if (!read)
    return std::nullopt;
  return entry;
}

WebHandler FindWebHandler(const XdgDirs& dirs) {
  const std::vector<std::string> lists = MimeAppsListPaths(dirs);
  WebHandler handler;
  for (std::string_view mimeType : kWebPageTypes) {
    for (const std::string& list : lists) {
      for (const std::string& id : DefaultsIn(list, mimeType)) {
        const std::optional<std::string> file = FindDesktopFile(dirs, id);
        if (!file)
          continue;
        const std::optional<DesktopEntry> entry = ReadDesktopEntry(*file);
        if (!entry || entry->hidden)
          continue;
        if (entry->exec.empty()) {
          handler.status = HandlerStatus::Invalid;
          continue;
        }
        return {HandlerStatus::Found, *file, *entry};
      }
    }
  }
  return handler;
}

}  // namespace vel
