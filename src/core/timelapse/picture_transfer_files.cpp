#include "core/timelapse/picture_transfer_files.h"

#include <string_view>

namespace vel {
namespace {

// The longest file name in bytes: NAME_MAX on POSIX systems; Windows counts
// 255 UTF-16 units, which never take fewer bytes in UTF-8.
constexpr std::size_t kMaxNameBytes = 255;

// text cut to at most size bytes, never inside a UTF-8 character.
std::string_view CutUtf8(std::string_view text, std::size_t size) {
  if (text.size() <= size)
    return text;
  while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  return text.substr(0, size);
}

}  // namespace

std::string NumberedName(const std::string& name, int n) {
  if (n <= 1)
    return name;
  const std::string number = "-" + std::to_string(n);
  // A dot at the start makes a hidden name, not an extension; an extension
  // too long to keep beside the number counts as part of the stem.
  const auto dot = name.find_last_of('.');
  auto stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
  if (number.size() + name.size() - stem > kMaxNameBytes)
    stem = name.size();
  // A name that would grow too long loses the end of its stem instead.
  const std::size_t room = kMaxNameBytes - number.size() - (name.size() - stem);
  return std::string(CutUtf8(std::string_view(name).substr(0, stem), room)) + number +
         name.substr(stem);
}

}  // namespace vel
