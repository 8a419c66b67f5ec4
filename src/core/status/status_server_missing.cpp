// The status server of a build without libmicrohttpd: it never starts.
#include "core/status/status_server.h"

namespace vel {

class StatusServer::Listener {};

StatusServer::StatusServer() {
  Publish({});
}

StatusServer::~StatusServer() = default;

Result StatusServer::Start(const std::string& address, const Limits&) {
  return Result::Failure("Cannot serve the status page on " + address +
                         ": this build of the program has no HTTP server (libmicrohttpd).");
}

void StatusServer::Stop() {}

std::vector<std::string> StatusServer::Urls() const {
  return {};
}

}  // namespace vel
