#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "core/timelapse/volumes.h"

class QSocketNotifier;

// Watches the mount table and tells when a removable volume went away, as
// when the camera leaves USB mode. The kernel flags the mount table file as
// changed; only then is it read again, so nothing runs while nothing changes.
class VolumeWatcher : public QObject {
  Q_OBJECT
 public:
  explicit VolumeWatcher(QObject* parent, vel::VolumeSources sources = {});
  ~VolumeWatcher() override;

  // Reads the mount table again and reports removals; the notifier calls it.
  void Recheck();

 signals:
  void RemovableVolumeRemoved();

 private:
  vel::VolumeSources m_sources;
  std::vector<std::string> m_removable;
  int m_fd = -1;
  QSocketNotifier* m_notifier = nullptr;
};
