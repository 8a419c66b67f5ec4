#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <map>

#include "gui/framework/message_box.h"
#include "gui/framework/qt/qt_window.h"

namespace fw {
namespace {

QMessageBox::Icon QtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error:
      return QMessageBox::Critical;
    case BoxIcon::Exclamation:
      return QMessageBox::Warning;
    case BoxIcon::Information:
      return QMessageBox::Information;
    case BoxIcon::Question:
      return QMessageBox::Question;
    case BoxIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QWidget* OwnerOf(const MessageBoxRequest& request) {
  return request.overActiveWindow ? QApplication::activeWindow() : qt::WidgetOf(request.owner);
}

std::map<int, QPointer<QMessageBox>>& ModelessBoxes() {
  static std::map<int, QPointer<QMessageBox>> boxes;
  return boxes;
}

}  // namespace

std::string AppName() {
  const QString path = QCoreApplication::applicationFilePath();
  return path.isEmpty() ? std::string("velorantica")
                        : qt::FromQt(QFileInfo(path).completeBaseName());
}

namespace detail {

bool ShowBox(const MessageBoxRequest& request) {
  const auto buttons = request.question ? QMessageBox::Yes | QMessageBox::No
                                        : QMessageBox::StandardButtons(QMessageBox::Ok);
  QMessageBox box(QtIcon(request.icon), qt::ToQt(request.caption), qt::ToQt(request.text), buttons,
                  OwnerOf(request));
  if (request.question) {
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  }
  return box.exec() == QMessageBox::Yes;
}

int ShowModelessBox(const MessageBoxRequest& request) {
  static int last = 0;
  auto* box = new QMessageBox(QtIcon(request.icon), qt::ToQt(request.caption),
                              qt::ToQt(request.text), QMessageBox::Ok, OwnerOf(request));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
  auto& boxes = ModelessBoxes();
  std::erase_if(boxes, [](const auto& entry) { return entry.second.isNull(); });
  boxes.emplace(++last, box);
  return last;
}

void CloseModelessBox(int number) {
  auto& boxes = ModelessBoxes();
  if (const auto found = boxes.find(number); found != boxes.end()) {
    if (found->second)
      found->second->close();
    boxes.erase(found);
  }
}

}  // namespace detail
}  // namespace fw
