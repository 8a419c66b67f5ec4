#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace fw {

// What an Open dialog offers: its filters ("Scripts (*.sh)"), the first one
// preselected, and the extension added to a typed name that has none.
struct OpenFileRequest {
  QStringList filters;
  QString defaultSuffix;
};

// The program's file and folder choosers. The pages ask through this
// interface, so that a test can answer in place of the user; each answer is
// a path with the system's separators, or nothing when the user cancelled.
class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // An existing folder, starting from startFolder (empty: the system's
  // choice); the title says what the folder is for.
  virtual std::optional<QString> ChooseFolder(QWidget* owner, const QString& title,
                                              const QString& startFolder) = 0;

  // An existing file.
  virtual std::optional<QString> ChooseExistingFile(QWidget* owner,
                                                    const OpenFileRequest& request) = 0;
};

// The chooser in use: the one a test set, else the one on Qt's dialogs.
FileChooser& TheFileChooser();

// Replaces the chooser; null restores the Qt one. The caller keeps ownership.
void SetFileChooser(FileChooser* chooser);

}  // namespace fw
