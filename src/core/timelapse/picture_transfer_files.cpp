#include "core/timelapse/picture_transfer_files.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

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

constexpr std::string_view kPartPrefix = ".velorantica-";
constexpr std::string_view kPartEnding = ".part";
// How long a temporary file must have lain unwritten before it counts as
// left behind: a minute, on the file-time scale.
constexpr FileTime kStalePartAge = 60LL * 10000000;

// A number of decimal digits only, and all of text.
template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
  Number number{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return number;
}

// The process that made the temporary file called name; nothing for a name
// of any other form.
std::optional<std::uint32_t> PartFileOwner(std::string_view name) {
  if (!name.starts_with(kPartPrefix) || !name.ends_with(kPartEnding))
    return std::nullopt;
  name = name.substr(kPartPrefix.size(), name.size() - kPartPrefix.size() - kPartEnding.size());
  const auto dash = name.find('-');
  if (dash == std::string_view::npos || !ParseNumber<unsigned>(name.substr(dash + 1)))
    return std::nullopt;
  return ParseNumber<std::uint32_t>(name.substr(0, dash));
}

}  // namespace

std::string PartFileName(std::uint32_t processId, unsigned n) {
  return std::string(kPartPrefix) + std::to_string(processId) + "-" + std::to_string(n) +
         std::string(kPartEnding);
}

void RemoveStalePartFiles(const std::string& folder) {
  const ResultOf<FolderListing> entries = ListFolder(folder);
  if (!entries)
    return;
  const FileTime now = CurrentFileTime();
  for (const FolderEntry& entry : entries.Value()) {
    if (entry.kind != EntryKind::RegularFile || now - entry.lastWrite < kStalePartAge)
      continue;
    const std::optional<std::uint32_t> owner = PartFileOwner(entry.name);
    if (owner && ProcessIsGone(*owner))
      (void)RemoveFile(folder + kPathSeparator + entry.name);
  }
}

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
