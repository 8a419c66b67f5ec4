#include "core/timelapse/picture_transfer_files.h"

namespace vel {

std::string NumberedName(const std::string& name, int n) {
  if (n <= 1)
    return name;
  // A dot at the start makes a hidden name, not an extension.
  const auto dot = name.find_last_of('.');
  const auto stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
  return name.substr(0, stem) + "-" + std::to_string(n) + name.substr(stem);
}

}  // namespace vel
