#include "gui/framework/file_chooser.h"

namespace fw {
namespace {

FileChooser*& Override() {
  static FileChooser* chooser = nullptr;
  return chooser;
}

}  // namespace

FileChooser& TheFileChooser() {
  return Override() ? *Override() : detail::ToolkitFileChooser();
}

void SetFileChooser(FileChooser* chooser) {
  Override() = chooser;
}

}  // namespace fw
