#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "core/platform/files.h"
#include "core/platform/user_dirs.h"

namespace vel {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home)
    return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
    return pw->pw_dir;
  return "/";
}

// $name when it is an absolute path (a relative XDG path is invalid and must
// be ignored), else the fallback below the home folder.
std::string XdgFolder(const char* name, const char* fallback) {
  if (const char* folder = std::getenv(name); folder && folder[0] == '/')
    return folder;
  return HomeFolder() + fallback;
}

std::string ConfigFolder() {
  return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The value of XDG_PICTURES_DIR in user-dirs.dirs, with $HOME expanded.
std::string PicturesFromUserDirs() {
  std::string text;
  if (!ReadWholeFile(ConfigFolder() + "/user-dirs.dirs", text))
    return {};
  const std::string key = "XDG_PICTURES_DIR=";
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.rfind(key, 0) != 0)
      continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0)
      value = HomeFolder() + value.substr(5);
    return value.empty() || value.front() != '/' ? std::string() : value;
  }
  return {};
}

}  // namespace

ProfileLocation LocateProfile(const std::string& appName) {
  return {ConfigFolder() + "/" + appName + ".ini", {}, {}};
}

std::string ProfilePath(const std::string& appName) {
  return LocateProfile(appName).path;
}

std::string ProfileSource(const ProfileLocation& location) {
  struct stat st {};
  if (location.firstReadFrom.empty() || ::lstat(location.path.c_str(), &st) == 0)
    return location.path;
  return location.firstReadFrom;
}

std::string SeriesLogFolder(const std::string& appName) {
  return XdgFolder("XDG_STATE_HOME", "/.local/state") + "/" + appName;
}

std::string DefaultDestinationFolder() {
  const std::string pictures = PicturesFromUserDirs();
  if (!pictures.empty() && IsFolder(pictures))
    return pictures;
  if (IsFolder(HomeFolder() + "/Pictures"))
    return HomeFolder() + "/Pictures";
  return HomeFolder();
}

}  // namespace vel
