#include "gui/framework/qt/end_signals.h"

#include <QSocketNotifier>

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
  const int wake = m_signals.WakeDescriptor();
  if (wake < 0)
    return;
  m_notifier = new QSocketNotifier(wake, QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] {
    for (const int count = m_signals.Count(); m_seen < count; ++m_seen) emit Received();
  });
}

EndSignals::~EndSignals() {
  delete m_notifier;
}
