#include "gui/framework/qt/key_repeat_filter.h"

#include <QCoreApplication>

namespace fw::qt {

KeyRepeatFilter::KeyRepeatFilter() {
  m_releaseTimer.setSingleShot(true);
  connect(&m_releaseTimer, &QTimer::timeout, this, &KeyRepeatFilter::DeliverHeldRelease);
}

// A repeated release and press would let the button come up and go down
// again between two idle passes, and the camera would see the key repeated.
bool KeyRepeatFilter::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::KeyPress;
  if (!press && event->type() != QEvent::KeyRelease)
    return QObject::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->isAutoRepeat())
    return true;
  if (!press)
    return HoldRelease(watched, key);
  // A press of the key whose release is held back: the key never came up.
  const bool held =
      m_heldRelease && m_heldReleaseTarget == watched && m_heldRelease->key() == key->key();
  if (!held)
    DeliverHeldRelease();
  m_heldRelease.reset();
  m_releaseTimer.stop();
  return held;
}

bool KeyRepeatFilter::HoldRelease(QObject* target, QKeyEvent* release) {
  if (release == m_heldRelease.get())
    return false;  // its delivery
  DeliverHeldRelease();
  m_heldReleaseTarget = target;
  m_heldRelease.reset(static_cast<QKeyEvent*>(release->clone()));
  m_releaseTimer.start(kRepeatWindowMs);
  return true;
}

void KeyRepeatFilter::DeliverHeldRelease() {
  m_releaseTimer.stop();
  if (m_heldRelease && m_heldReleaseTarget)
    QCoreApplication::sendEvent(m_heldReleaseTarget, m_heldRelease.get());
  m_heldRelease.reset();
}

}  // namespace fw::qt
