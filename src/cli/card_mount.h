#pragma once

#include <cstdint>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/result.h"

namespace cli {

// The camera's drive mounted by this program, for machines without an
// automounter: after the switch to USB mode the camera's block device comes
// up; it is mounted through udisks2 (udisksctl), or as root directly under
// /media/<user>/<name>, where the copy finds it as a removable drive, and is
// unmounted again before the switch back to REC mode.
class CardMount {
 public:
  explicit CardMount(std::string device) : m_device(std::move(device)) {}
  ~CardMount() { (void)Unmount(vel::SteadyClock()); }
  CardMount(const CardMount&) = delete;
  CardMount& operator=(const CardMount&) = delete;

  // Waits up to waitMs for the device node, then mounts it.
  vel::Result Mount(vel::Clock& clock, std::uint32_t waitMs);
  // Unmounts it, trying again every kUnmountPollMs for kUnmountRetryMs on
  // the clock while the system refuses (a file on the card still open);
  // then fails with a text saying the card is still mounted. Nothing to do
  // (and success) when it is not mounted.
  vel::Result Unmount(vel::Clock& clock);

  // The folder of a direct mount; empty when udisks2 chose it.
  const std::string& MountPoint() const { return m_mountPoint; }

  static constexpr std::uint32_t kUnmountRetryMs = 5000;
  static constexpr std::uint32_t kUnmountPollMs = 250;

 private:
  std::string m_device;
  std::string m_mountPoint;  // a folder of our own, made for a direct mount
  bool m_mounted = false;
  bool m_byUdisks = false;
};

}  // namespace cli
