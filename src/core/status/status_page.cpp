#include "core/status/status_page.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace vel {

namespace page_files {
// The page's own files, compiled in from status/page/.
extern const std::string_view kIndexHtml;
extern const std::string_view kPageCss;
extern const std::string_view kPageJs;
}  // namespace page_files

namespace {

constexpr std::string_view kAddressForm =
    "takes ADDR:PORT, for example 0.0.0.0:8080 (the local network) or 127.0.0.1:8080 (this "
    "machine only)";

struct PageFile {
  std::string_view path;
  std::string_view type;
  const std::string_view& body;
};

const PageFile kPageFiles[] = {
    {"/", "text/html; charset=utf-8", page_files::kIndexHtml},
    {"/index.html", "text/html; charset=utf-8", page_files::kIndexHtml},
    {"/page.css", "text/css; charset=utf-8", page_files::kPageCss},
    {"/page.js", "text/javascript; charset=utf-8", page_files::kPageJs},
};

const char* PhaseName(SeriesPhase phase) {
  switch (phase) {
    case SeriesPhase::Running:
      return "running";
    case SeriesPhase::Ended:
      return "ended";
    default:
      return "idle";
  }
}

// The length of the UTF-8 sequence at text[at], 0 when it is not a valid
// one (overlong, a surrogate, past U+10FFFF, cut short).
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
  if (length == 0 || at + length > text.size())
    return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(i) & 0xC0) != 0x80)
      return 0;
  // The second byte's range rules out overlong forms, surrogates and
  // code points past U+10FFFF.
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F) ||
      (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F))
    return 0;
  return length;
}

// A JSON string of text, which may hold any bytes (file names, a program's
// output): invalid UTF-8 becomes U+FFFD.
std::string Quoted(std::string_view text) {
  std::string json = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    const std::size_t length = Utf8Length(text, at);
    if (length == 0) {
      json += "\\ufffd";
      ++at;
      continue;
    }
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
      json += escaped;
    } else {
      json.append(text.substr(at, length));
    }
    at += length;
  }
  return json + '"';
}

std::string TextOrNull(const std::string& text) {
  return text.empty() ? "null" : Quoted(text);
}

std::string BaseName(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1);
}

std::string PictureJson(const SeriesStatus& status) {
  if (status.picturePath.empty() && status.thumbnailPath.empty())
    return "null";
  const std::string& named = status.picturePath.empty() ? status.thumbnailPath : status.picturePath;
  return "{\"name\": " + Quoted(BaseName(named)) +
         ", \"shot\": " + std::to_string(status.pictureShot) +
         ", \"full\": " + (status.picturePath.empty() ? "false" : "true") +
         ", \"thumbnail\": " + (status.thumbnailPath.empty() ? "false" : "true") + "}";
}

}  // namespace

ResultOf<ListenAddress> ParseListenAddress(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  ListenAddress address;
  if (colon != std::string::npos)
    address.host = text.substr(0, colon);
  // An IPv6 address comes in brackets: "[::1]:8080".
  if (address.host.size() >= 2 && address.host.front() == '[' && address.host.back() == ']')
    address.host = address.host.substr(1, address.host.size() - 2);
  const std::string port = colon == std::string::npos ? std::string() : text.substr(colon + 1);
  unsigned number = 0;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
  const bool goodHost =
      !address.host.empty() && address.host.find_first_of("[] /") == std::string::npos;
  if (!goodHost || port.empty() || error != std::errc() || end != port.data() + port.size() ||
      number > 65535)
    return Result::Failure(std::string(kAddressForm) + ", not \"" + text + "\"");
  address.port = static_cast<std::uint16_t>(number);
  return address;
}

std::string StatusJson(const SeriesStatus& status, std::int64_t ageMs) {
  const auto number = [](std::uint32_t n) { return std::to_string(n); };
  std::string json = "{\n";
  const auto field = [&json](std::string_view name, const std::string& value) {
    json += "  \"" + std::string(name) + "\": " + value + ",\n";
  };
  field("model", Quoted(status.model));
  field("state", Quoted(PhaseName(status.phase)));
  field("status", Quoted(status.statusText));
  field("shot", number(status.shot));
  field("count", status.count == 0 ? "null" : number(status.count));
  field("failedShots", number(status.failedShots));
  field("failedCopies", number(status.failedCopies));
  field("missedFrames", number(status.missedFrames));
  field("nextShotAt", TextOrNull(status.nextShotTime));
  field("nextShotInMs", status.nextShotInMs ? std::to_string(std::max<std::int64_t>(
                                                  0, *status.nextShotInMs - ageMs))
                                            : "null");
  field("backToBack", status.backToBack ? "true" : "false");
  field("plannedEnd", TextOrNull(status.plannedEnd));
  field("nextWindow", TextOrNull(status.nextWindow));
  field("lastPicture", PictureJson(status));
  json += "  \"log\": [";
  for (std::size_t i = 0; i < status.logLines.size(); ++i)
    json += (i ? ",\n    " : "\n    ") + Quoted(status.logLines[i]);
  return json + (status.logLines.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

PageAnswer AnswerPageRequest(std::string_view method, std::string_view path,
                             const SeriesStatus& status, std::int64_t ageMs) {
  PageAnswer answer;
  if (method != "GET" && method != "HEAD") {
    answer.code = 405;
    answer.body = "Only GET and HEAD are answered here.\n";
    return answer;
  }
  for (const PageFile& file : kPageFiles) {
    if (file.path == path) {
      answer.code = 200;
      answer.type = file.type;
      answer.body = file.body;
      return answer;
    }
  }
  if (path == "/status.json") {
    answer.code = 200;
    answer.type = "application/json";
    answer.body = StatusJson(status, ageMs);
    return answer;
  }
  const std::string* picture = path == "/last.jpg"         ? &status.picturePath
                               : path == "/last-thumb.jpg" ? &status.thumbnailPath
                                                           : nullptr;
  if (picture && !picture->empty()) {
    answer.code = 200;
    answer.type = "image/jpeg";
    answer.file = *picture;
    return answer;
  }
  answer.body = "Not found.\n";
  return answer;
}

}  // namespace vel
