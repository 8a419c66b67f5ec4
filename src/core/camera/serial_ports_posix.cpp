#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "core/camera/com_port.h"
#include "core/camera/serial_ports.h"
#include "core/ui/page_templates.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSystemDeviceRoot = "/dev";
constexpr std::string_view kByIdFolder = "serial/by-id";
// The prefixes of USB serial adapters and of modem-class devices.
constexpr std::string_view kDevicePrefixes[] = {"ttyUSB", "ttyACM"};

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

std::string Root(const std::string& deviceRoot) {
  std::string root = deviceRoot.empty() ? std::string(kSystemDeviceRoot) : deviceRoot;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string BaseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// The adapters, then the modems, each group in natural order.
std::vector<std::string> Devices(const std::string& root) {
  std::vector<std::string> devices;
  for (std::string_view prefix : kDevicePrefixes) {
    const std::vector<std::string> found = EntriesWithPrefix(root, prefix);
    devices.insert(devices.end(), found.begin(), found.end());
  }
  return devices;
}

std::vector<std::string> ByIdLinks(const std::string& root) {
  return EntriesWithPrefix(root + "/" + std::string(kByIdFolder), "");
}

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

// udev names a serial device "<bus>-<vendor>_<model>[_<serial>]-if<NN>
// [-port<N>]", blanks and odd characters turned into underscores. What is
// left between the bus and the interface, with blanks again, is what the
// device says it is.
std::string DescribeSerialId(std::string name) {
  if (const std::size_t dash = name.find('-');
      dash != std::string::npos && dash > 0 &&
      std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(dash),
                  [](char c) { return std::islower(static_cast<unsigned char>(c)) != 0; }))
    name.erase(0, dash + 1);
  std::string interface;
  if (const std::size_t port = name.rfind("-port");
      port != std::string::npos && IsDigits(std::string_view(name).substr(port + 5)))
    name.erase(port);
  if (const std::size_t at = name.rfind("-if");
      at != std::string::npos && IsDigits(std::string_view(name).substr(at + 3))) {
    const int number = std::stoi(name.substr(at + 3));
    if (number != 0)
      interface = ", interface " + std::to_string(number);
    name.erase(at);
  }
  std::string words;
  for (char c : name) {
    if (c != '_')
      words += c;
    else if (!words.empty() && words.back() != ' ')
      words += ' ';
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  return words.empty() ? words : words + interface;
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// The device a link stands for, among the devices listed; -1 for none.
// (std::filesystem::equivalent refuses to compare two devices.)
std::ptrdiff_t DeviceOfLink(const std::string& link, const std::vector<std::string>& devices) {
  struct stat target {};
  if (::stat(link.c_str(), &target) != 0)
    return -1;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    struct stat device {};
    if (::stat(devices[i].c_str(), &device) == 0 && device.st_dev == target.st_dev &&
        device.st_ino == target.st_ino)
      return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

}  // namespace

std::vector<std::string> PresentSerialDevices(const std::string& deviceRoot) {
  const std::string root = Root(deviceRoot);
  std::vector<std::string> devices = Devices(root);
  const std::vector<std::string> links = ByIdLinks(root);
  devices.insert(devices.end(), links.begin(), links.end());
  return devices;
}

std::vector<SerialPortEntry> SerialPortList(const std::string& deviceRoot) {
  const std::string root = Root(deviceRoot);
  std::vector<SerialPortEntry> entries;
  for (std::string_view standard : ComPortEntries()) {
    const std::string name(standard);
    const std::string device = CComPort::DevicePath(name);
    entries.push_back({name, name, {}, device, Exists(root + "/" + BaseName(device))});
  }
  // One natural order for adapters and modems alike.
  std::vector<std::string> devices = Devices(root);
  std::sort(devices.begin(), devices.end(), [](const std::string& a, const std::string& b) {
    return NaturalLess(BaseName(a), BaseName(b));
  });
  const std::vector<std::string> links = ByIdLinks(root);
  std::vector<std::string> descriptions(devices.size());
  std::vector<SerialPortEntry> linkEntries;
  for (const std::string& link : links) {
    const std::string description = DescribeSerialId(BaseName(link));
    const std::ptrdiff_t device = DeviceOfLink(link, devices);
    std::error_code error;
    const fs::path target = fs::canonical(link, error);
    std::string text = std::string(kByIdFolder) + "/" + BaseName(link);
    if (device >= 0) {
      descriptions[static_cast<std::size_t>(device)] = description;
      text += " (" + BaseName(devices[static_cast<std::size_t>(device)]) + ")";
    }
    linkEntries.push_back({link, text, description, error ? link : target.string(), !error});
  }
  for (std::size_t i = 0; i < devices.size(); ++i) {
    const std::string& description = descriptions[i];
    const std::string base = BaseName(devices[i]);
    entries.push_back({devices[i], description.empty() ? base : base + " - " + description,
                       description, devices[i], true});
  }
  entries.insert(entries.end(), linkEntries.begin(), linkEntries.end());
  return entries;
}

}  // namespace vel
