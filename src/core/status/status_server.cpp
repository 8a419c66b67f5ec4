#include "core/status/status_server.h"

namespace vel {

void StatusServer::Publish(SeriesStatus status) {
  auto published = std::make_shared<const Published>(
      Published{std::move(status), std::chrono::steady_clock::now()});
  // The status replaced is freed here, outside the lock.
  std::lock_guard<std::mutex> lock(m_mutex);
  m_published.swap(published);
}

std::shared_ptr<const StatusServer::Published> StatusServer::Latest() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_published;
}

}  // namespace vel
