#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/result.h"
#include "core/timelapse/series_status.h"

namespace vel {

// Where the status page listens: a host (an address of this machine, or a
// name of one) and a port (0 lets the system choose one).
struct ListenAddress {
  std::string host;
  std::uint16_t port = 0;
};

// "ADDR:PORT" ("0.0.0.0:8080", "127.0.0.1:8080", "[::]:8080",
// "localhost:8080"), or why it is not one ("takes ADDR:PORT, ...", for an
// option's name to come before).
ResultOf<ListenAddress> ParseListenAddress(const std::string& text);

// The status as /status.json gives it (its fields are listed in the
// README), ageMs after it was taken: the countdown has run on meanwhile.
std::string StatusJson(const SeriesStatus& status, std::int64_t ageMs);

// The answer to one request of the status page. Only what the status names
// is ever sent: the page's own files, the status, the stored picture and
// its thumbnail. No part of the request becomes a path.
struct PageAnswer {
  int code = 404;
  std::string_view type = "text/plain; charset=utf-8";
  std::string body;
  std::string file;  // when not empty, the file to send in place of body
};

// The answer to method and path (decoded, without its query) from the
// status published last, ageMs ago.
PageAnswer AnswerPageRequest(std::string_view method, std::string_view path,
                             const SeriesStatus& status, std::int64_t ageMs);

// Sent with every answer: nothing is kept by the browser, and the page runs
// only its own script and style and reaches nothing but this server.
inline constexpr std::string_view kPageCachePolicy = "no-store";
inline constexpr std::string_view kPageSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

}  // namespace vel
