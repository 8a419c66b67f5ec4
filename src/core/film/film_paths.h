#pragma once

#include <filesystem>
#include <string>

namespace vel {

// A path of the core's UTF-8 text for the standard library's file calls:
// taken byte for byte on POSIX, where a name may be in any encoding, and
// read as UTF-8 on Windows, whose calls take UTF-16.
inline std::filesystem::path FsPath(const std::string& utf8) {
#if defined(_WIN32)
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return std::filesystem::path(utf8);
#endif
}

// The same path back as UTF-8 text.
inline std::string Utf8Path(const std::filesystem::path& path) {
#if defined(_WIN32)
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.string();
#endif
}

}  // namespace vel
