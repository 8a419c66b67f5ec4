#include "gui/framework/qt/volume_watcher.h"

#include <QSocketNotifier>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

VolumeWatcher::VolumeWatcher(QObject* parent, vel::VolumeSources sources)
    : QObject(parent), m_sources(std::move(sources)) {
  m_removable = vel::RemovableMountPoints(m_sources);
#ifdef Q_OS_UNIX
  m_fd = ::open(m_sources.mountInfoPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd >= 0) {
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
      // The change flag is cleared by reading the file from the start.
      char buffer[4096];
      ::lseek(m_fd, 0, SEEK_SET);
      while (::read(m_fd, buffer, sizeof buffer) > 0) {
      }
      Recheck();
    });
  }
#endif
}

VolumeWatcher::~VolumeWatcher() {
#ifdef Q_OS_UNIX
  delete m_notifier;
  if (m_fd >= 0)
    ::close(m_fd);
#endif
}

void VolumeWatcher::Recheck() {
  std::vector<std::string> now = vel::RemovableMountPoints(m_sources);
  const bool removed = std::any_of(m_removable.begin(), m_removable.end(), [&](const auto& root) {
    return std::find(now.begin(), now.end(), root) == now.end();
  });
  m_removable = std::move(now);
  if (removed)
    emit RemovableVolumeRemoved();
}
