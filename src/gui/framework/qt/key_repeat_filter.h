#pragma once

#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace fw::qt {

// Keeps the keyboard's auto-repeat away from the buttons of one window that
// stand for camera keys: a held space bar is one press and one release.
// Under load the window system may fail to mark a repeat, which then comes
// as a plain release and press; a key's release therefore waits
// kRepeatWindowMs for such a press before the button takes it (a release
// and press quicker than that count as the key held on).
class KeyRepeatFilter : public QObject {
 public:
  static constexpr int kRepeatWindowMs = 100;

  KeyRepeatFilter();
  void Watch(QObject* button) { button->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool HoldRelease(QObject* target, QKeyEvent* release);
  void DeliverHeldRelease();

  // The release held back, while a press of its key may still come.
  QPointer<QObject> m_heldReleaseTarget;
  std::unique_ptr<QKeyEvent> m_heldRelease;
  QTimer m_releaseTimer;
};

}  // namespace fw::qt
