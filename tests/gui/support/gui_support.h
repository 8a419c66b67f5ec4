#pragma once

#include <QEventLoop>
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

// Records every message box instead of showing it, and answers questions as told.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    fw::SetMessageBoxHook([this](const fw::MessageBoxRequest& request) {
      m_boxes.push_back(request);
      return m_answer;
    });
  }
  ~MessageBoxRecorder() { fw::SetMessageBoxHook({}); }
  const std::vector<fw::MessageBoxRequest>& Boxes() const { return m_boxes; }
  void AnswerQuestions(bool yes) { m_answer = yes; }

 private:
  std::vector<fw::MessageBoxRequest> m_boxes;
  bool m_answer = false;
};

}  // namespace vel::test
