#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals that end a program from outside (SIGTERM as at logout,
// SIGINT, SIGHUP) into a Qt signal on the user-interface thread, so that the
// program ends as its Exit button ends it instead of dying where it stands.
// While it lives it owns those signals; afterwards their default action is
// back.
class EndSignals : public QObject {
  Q_OBJECT

 public:
  explicit EndSignals(QObject* parent = nullptr);
  ~EndSignals() override;

 signals:
  void Received(int signalNumber);

 private:
  QSocketNotifier* m_notifier = nullptr;
};
