#include "gui/framework/message_box.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace fw {
namespace {

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

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

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
  Hook() = std::move(hook);
}

QString AppName() {
  const QString path = QCoreApplication::applicationFilePath();
  return path.isEmpty() ? QStringLiteral("velorantica") : QFileInfo(path).completeBaseName();
}

void MessageBox(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon) {
  if (Hook()) {
    Hook()({owner, text, caption, icon});
    return;
  }
  QMessageBox box(QtIcon(icon), caption, text, QMessageBox::Ok, owner);
  box.exec();
}

QMessageBox* ShowMessageBoxModeless(QWidget* owner, const QString& text, const QString& caption,
                                    BoxIcon icon) {
  if (Hook()) {
    Hook()({owner, text, caption, icon});
    return nullptr;
  }
  auto* box = new QMessageBox(QtIcon(icon), caption, text, QMessageBox::Ok, owner);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
  return box;
}

bool AskYesNo(QWidget* owner, const QString& text, const QString& caption) {
  if (Hook())
    return Hook()({owner, text, caption, BoxIcon::Question, true});
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void AfxMessageBox(const QString& text, BoxIcon icon) {
  MessageBox(QApplication::activeWindow(), text, AppName(), icon);
}

}  // namespace fw
