#include "gui/framework/file_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace fw {
namespace {

class QtFileChooser final : public FileChooser {
 public:
  std::optional<QString> ChooseFolder(QWidget* owner, const QString& title,
                                      const QString& startFolder) override {
    const QString folder =
        QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
      return std::nullopt;
    return QDir::toNativeSeparators(folder);
  }

  std::optional<QString> ChooseExistingFile(QWidget* owner,
                                            const OpenFileRequest& request) override {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (!request.filters.isEmpty())
      dialog.selectNameFilter(request.filters.front());
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
  }
};

FileChooser*& Override() {
  static FileChooser* chooser = nullptr;
  return chooser;
}

}  // namespace

FileChooser& TheFileChooser() {
  static QtFileChooser qtChooser;
  return Override() ? *Override() : qtChooser;
}

void SetFileChooser(FileChooser* chooser) {
  Override() = chooser;
}

}  // namespace fw
