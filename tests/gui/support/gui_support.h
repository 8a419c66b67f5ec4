#pragma once

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QPalette>
#include <QTimer>
#include <vector>

#include "gui/framework/message_box.h"

namespace vel::test {

// A short loop of its own that goes idle, as between user inputs, so the sheet's idle pass runs.
inline void IdleOnce(int ms = 5) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// A dark desktop theme: Qt derives the other roles from button and window.
inline QPalette DarkPalette() {
  QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
  dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
  dark.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
  dark.setColor(QPalette::LinkVisited, QColor(0xc5, 0x8a, 0xf9));
  return dark;
}

// A camera's picture in one colour, 4:3; false when it cannot be written.
inline bool SavePicture(const QString& path, int width, QColor colour) {
  QImage image(width, width * 3 / 4, QImage::Format_RGB32);
  image.fill(colour);
  return QDir().mkpath(QFileInfo(path).path()) && image.save(path);
}

// A message box as the user would have seen it.
struct RecordedBox {
  QString text;
  QString caption;
  fw::BoxIcon icon;
};

// Records every message box instead of showing it, and answers questions as told.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    fw::SetMessageBoxHook([this](const fw::MessageBoxRequest& request) {
      m_boxes.push_back({QString::fromStdString(request.text),
                         QString::fromStdString(request.caption), request.icon});
      return m_answer;
    });
  }
  ~MessageBoxRecorder() { fw::SetMessageBoxHook({}); }
  const std::vector<RecordedBox>& Boxes() const { return m_boxes; }
  void AnswerQuestions(bool yes) { m_answer = yes; }

 private:
  std::vector<RecordedBox> m_boxes;
  bool m_answer = false;
};

}  // namespace vel::test
