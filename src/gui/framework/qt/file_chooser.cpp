#include <QDir>
#include <QFileDialog>

#include "gui/framework/file_chooser.h"
#include "gui/framework/qt/qt_window.h"

namespace fw {
namespace {

class QtFileChooser final : public FileChooser {
 public:
  std::optional<std::string> ChooseFolder(const Window* owner, const std::string& title,
                                          const std::string& startFolder) override {
    const QString folder = QFileDialog::getExistingDirectory(
        qt::WidgetOf(owner), qt::ToQt(title), qt::ToQt(startFolder), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
      return std::nullopt;
    return qt::FromQt(QDir::toNativeSeparators(folder));
  }

  std::optional<std::string> ChooseExistingFile(const Window* owner,
                                                const OpenFileRequest& request) override {
    QFileDialog dialog(qt::WidgetOf(owner));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters;
    for (const std::string& filter : request.filters) filters << qt::ToQt(filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
      dialog.selectNameFilter(filters.front());
    dialog.setDefaultSuffix(qt::ToQt(request.defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return std::nullopt;
    return qt::FromQt(QDir::toNativeSeparators(dialog.selectedFiles().front()));
  }

  std::optional<std::string> ChooseNewFile(const Window* owner, const OpenFileRequest& request,
                                           const std::string& startPath) override {
    QStringList filters;
    for (const std::string& filter : request.filters) filters << qt::ToQt(filter);
    QFileDialog dialog(qt::WidgetOf(owner));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(qt::ToQt(request.defaultSuffix));
    dialog.selectFile(qt::ToQt(startPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return std::nullopt;
    return qt::FromQt(QDir::toNativeSeparators(dialog.selectedFiles().front()));
  }
};

}  // namespace

FileChooser& detail::ToolkitFileChooser() {
  static QtFileChooser chooser;
  return chooser;
}

}  // namespace fw
