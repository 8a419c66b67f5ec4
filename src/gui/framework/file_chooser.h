#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fw {

class Window;

// What an Open dialog offers: its filters ("Scripts (*.sh)"), the first one
// preselected, and the extension added to a typed name that has none.
struct OpenFileRequest {
  std::vector<std::string> filters;
  std::string defaultSuffix;
};

// The program's file and folder choosers. The pages ask through this
// interface, so that a test can answer in place of the user; each answer is
// a path with the system's separators, or nothing when the user cancelled.
class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // An existing folder, starting from startFolder (empty: the system's
  // choice); the title says what the folder is for.
  virtual std::optional<std::string> ChooseFolder(const Window* owner, const std::string& title,
                                                  const std::string& startFolder) = 0;

  // An existing file.
  virtual std::optional<std::string> ChooseExistingFile(const Window* owner,
                                                        const OpenFileRequest& request) = 0;

  // A file to write, starting from startPath; an existing one is taken
  // without a question (the caller never replaces it).
  virtual std::optional<std::string> ChooseNewFile(const Window* owner,
                                                   const OpenFileRequest& request,
                                                   const std::string& startPath) = 0;
};

// The chooser in use: the one a test set, else the toolkit's own.
FileChooser& TheFileChooser();

// Replaces the chooser; null restores the toolkit's. The caller keeps
// ownership.
void SetFileChooser(FileChooser* chooser);

namespace detail {
FileChooser& ToolkitFileChooser();
}

}  // namespace fw
