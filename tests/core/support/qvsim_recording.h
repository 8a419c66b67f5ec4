#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace vel::test {

// What qvsim recorded (--record): each byte it received and when, in milliseconds.
struct Recording {
  std::vector<std::uint8_t> bytes;
  std::vector<long> times;
  long GapBefore(std::size_t index) const { return times[index] - times[index - 1]; }
};

inline Recording ReadRecording(const std::string& path) {
  std::ifstream in(path);
  Recording recording;
  long ms;
  std::string hex;
  while (in >> ms >> hex) {
    recording.times.push_back(ms);
    recording.bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
  }
  return recording;
}

// qvsim's card is an ext4 image on a loop mount, which needs root and loop devices.
inline bool CanMountCards() {
  return ::geteuid() == 0 && std::filesystem::exists("/dev/loop-control");
}

// A mount table of the test's own and its programs': only qvsim's card comes and goes there.
inline bool IsolateMounts() {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// The same for a folder of an ext4 image such as qvsim's card, read without mounting it.
inline std::set<std::string> ImageListing(const std::string& image, const std::string& folder) {
  ChildProcess debugfs("/sbin/debugfs", {"-R", "ls -p " + folder, image});
  debugfs.Wait(20000);
  std::set<std::string> names;
  std::istringstream lines(debugfs.Output());  // "/inode/mode/uid/gid/name/size/"
  for (std::string line; std::getline(lines, line);) {
    std::istringstream parts(line);
    std::vector<std::string> fields;
    for (std::string field; std::getline(parts, field, '/');) fields.push_back(field);
    if (fields.size() > 5 && fields[5] != "." && fields[5] != "..")
      names.insert(fields[5] + (fields[2].starts_with("04") ? "/" : ""));
  }
  return names;
}

}  // namespace vel::test
