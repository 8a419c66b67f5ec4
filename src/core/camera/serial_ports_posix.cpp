#include "core/camera/serial_ports.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <utility>

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSystemDeviceRoot = "/dev";

// The entries of folder whose names begin with prefix (any name for an empty
// prefix) and are not folders, as full paths in natural order. Symbolic links
// are listed as they are, not followed: the stable by-id names are links, and
// one whose adapter has gone is still worth showing as what it was.
std::vector<std::string> EntriesWithPrefix(const std::string& folder, std::string_view prefix) {
  std::vector<std::string> paths;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error)
    return paths;
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
      continue;
    std::error_code statusError;
    if (entry.symlink_status(statusError).type() == fs::file_type::directory)
      continue;
    paths.push_back(folder + "/" + name);
  }
  std::sort(paths.begin(), paths.end(), NaturalLess);
  return paths;
}

}  // namespace

std::vector<std::string> PresentSerialDevices(const std::string& deviceRoot) {
  std::string root = deviceRoot.empty() ? std::string(kSystemDeviceRoot) : deviceRoot;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  std::vector<std::string> devices;
  for (const auto& [folder, prefix] : {std::pair<std::string, std::string_view>{root, "ttyUSB"},
                                       {root, "ttyACM"},
                                       {root + "/serial/by-id", ""}}) {
    const std::vector<std::string> found = EntriesWithPrefix(folder, prefix);
    devices.insert(devices.end(), found.begin(), found.end());
  }
  return devices;
}

}  // namespace vel
