#pragma once

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "core/weblink/xdg_handler.h"
#include "support/temp_dir.h"

namespace vel::test {

// A complete set of XDG folders below a temporary folder: one config home,
// one config dir, one data home and two data dirs.
class XdgTree {
 public:
  XdgTree() {
    m_dirs.configHome = m_temp / "config";
    m_dirs.configDirs = {m_temp / "etc-xdg"};
    m_dirs.dataHome = m_temp / "data";
    m_dirs.dataDirs = {m_temp / "share1", m_temp / "share2"};
  }

  const XdgDirs& Dirs() const { return m_dirs; }
  XdgDirs& Dirs() { return m_dirs; }
  std::string Path(const std::string& name) const { return m_temp / name; }

  // Writes a file, creating its folder.
  static void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    TempDir::WriteFile(path, text);
  }

  static std::string DefaultFor(const std::string& mimeType, const std::string& ids) {
    return "[Default Applications]\n" + mimeType + "=" + ids + "\n";
  }
  static std::string HttpDefault(const std::string& ids) {
    return DefaultFor("x-scheme-handler/http", ids);
  }

  // A desktop entry in the applications folder of a data folder.
  static void WriteEntry(const std::string& dataFolder, const std::string& id,
                         const std::string& body) {
    Write(dataFolder + "/applications/" + id, "[Desktop Entry]\nType=Application\n" + body);
  }

  // A shell script that records its arguments one per line in outputPath,
  // then a final "end" line, and exits with exitCode.
  std::string WriteRecorder(const std::string& name, const std::string& outputPath,
                            int exitCode = 0) const {
    const std::string path = Path(name);
    Write(path, "#!/bin/sh\n{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; echo end; } > '" +
                    outputPath + "'\nexit " + std::to_string(exitCode) + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }

  // Waits for a recorder's output to be complete; empty after ten seconds.
  static std::string AwaitRecord(const std::string& outputPath) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      const std::string text = TempDir::ReadFile(outputPath);
      if (text.size() >= 4 && text.compare(text.size() - 4, 4, "end\n") == 0) {
        return text.substr(0, text.size() - 4);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }

 private:
  TempDir m_temp;
  XdgDirs m_dirs;
};

}  // namespace vel::test
