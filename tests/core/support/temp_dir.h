#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace vel::test {

// A folder of its own for one test, removed with everything in it.
class TempDir {
 public:
#ifdef _WIN32
  static constexpr char kSeparator = '\\';
#else
  static constexpr char kSeparator = '/';
#endif

  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velorantica-XXXXXX").string();
    if (MakeUniqueFolder(pattern))
      m_path = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const {
    return m_path;
  }
  std::string operator/(const std::string& name) const {
    return m_path + kSeparator + name;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

 private:
  std::string m_path;

  // Replaces the trailing "XXXXXX" of pattern and creates that folder, which
  // must not exist yet.
  static bool MakeUniqueFolder(std::string& pattern) {
#ifdef _WIN32
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      for (std::size_t i = pattern.size() - 6; i < pattern.size(); ++i)
        pattern[i] = kLetters[random() % (sizeof kLetters - 1)];
      std::error_code error;
      if (std::filesystem::create_directory(pattern, error))
        return true;
    }
    return false;
#else
    return ::mkdtemp(pattern.data()) != nullptr;
#endif
  }
};

}  // namespace vel::test
