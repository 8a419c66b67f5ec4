#pragma once

#include <QObject>
#include <memory>

#include "core/platform/end_signals.h"

class QSocketNotifier;

// The core's end signals (SIGTERM as at logout, SIGINT, SIGHUP) as a Qt
// signal on the user-interface thread, so that the program ends as its Exit
// button ends it instead of dying where it stands. While it lives it owns
// those signals; afterwards their default action is back.
class EndSignals : public QObject {
  Q_OBJECT

 public:
  explicit EndSignals(QObject* parent = nullptr);
  ~EndSignals() override;

 signals:
  void Received();

 private:
  vel::EndSignals m_signals;
  int m_seen = 0;
  QSocketNotifier* m_notifier = nullptr;
};
