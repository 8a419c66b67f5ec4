#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

namespace vel::test {

// A folder of its own for one test, removed with everything in it.
class TempDir {
 public:
  // A new folder "velorantica-<random number>" in the system's temporary folder.
  TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
      const std::filesystem::path candidate =
          std::filesystem::temp_directory_path() / ("velorantica-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error))
        m_path = candidate.string();
    }
  }
  ~TempDir() {
    std::error_code ignored;
    if (!m_path.empty())
      std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return m_path; }
  std::string operator/(const std::string& name) const {
    return m_path + char(std::filesystem::path::preferred_separator) + name;
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
};

// The camera's name of its picture n: "CIMG0001.JPG" for 1.
inline std::string PictureName(int n) {
  return "CIMG" + std::to_string(10000 + n).substr(1) + ".JPG";
}

// The names in a folder, with "/" after those of folders.
inline std::set<std::string> Listing(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
  return names;
}

}  // namespace vel::test
