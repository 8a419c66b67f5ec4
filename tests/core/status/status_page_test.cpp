// What the status page answers, and the address it is told to listen at.
#include "core/status/status_page.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vel {
namespace {

TEST(StatusPage, ListenAddresses) {
  const std::tuple<const char*, const char*, int> good[] = {
      {"0.0.0.0:8080", "0.0.0.0", 8080},
      {"127.0.0.1:0", "127.0.0.1", 0},
      {"[::1]:65535", "::1", 65535},
      {"localhost:80", "localhost", 80},
  };
  for (const auto& [text, host, port] : good) {
    const ResultOf<ListenAddress> address = ParseListenAddress(text);
    ASSERT_TRUE(address) << text;
    EXPECT_EQ(address.Value().host, host);
    EXPECT_EQ(address.Value().port, port);
  }
  for (const char* bad : {"8080", ":8080", "host:", "host:65536", "host:80x", "host:-1", "[::1:80",
                          "a b:80", "/tmp/x:80"}) {
    const ResultOf<ListenAddress> address = ParseListenAddress(bad);
    ASSERT_FALSE(address) << bad;
    EXPECT_NE(address.Text().find(std::string("not \"") + bad + "\""), std::string::npos);
  }
}

// Only the page's own files, the status and the two pictures it names are
// answered; no part of a path is ever a file's name.
TEST(StatusPage, OnlyWhatTheStatusNamesIsAnswered) {
  SeriesStatus status;
  status.picturePath = "/pictures/CIMG0003.JPG";
  const std::tuple<const char*, const char*, int, std::string_view, std::string> cases[] = {
      {"GET", "/", 200, "text/html; charset=utf-8", ""},
      {"HEAD", "/index.html", 200, "text/html; charset=utf-8", ""},
      {"GET", "/page.js", 200, "text/javascript; charset=utf-8", ""},
      {"GET", "/page.css", 200, "text/css; charset=utf-8", ""},
      {"GET", "/status.json", 200, "application/json", ""},
      {"GET", "/last.jpg", 200, "image/jpeg", "/pictures/CIMG0003.JPG"},
      {"GET", "/last-thumb.jpg", 404, "text/plain; charset=utf-8", ""},  // none stored
      {"GET", "/CIMG0003.JPG", 404, "text/plain; charset=utf-8", ""},
      {"GET", "/pictures/CIMG0003.JPG", 404, "text/plain; charset=utf-8", ""},
      {"GET", "/../etc/passwd", 404, "text/plain; charset=utf-8", ""},
      {"GET", "/last.jpg/../../etc/passwd", 404, "text/plain; charset=utf-8", ""},
      {"GET", "/page.js/", 404, "text/plain; charset=utf-8", ""},
      {"POST", "/status.json", 405, "text/plain; charset=utf-8", ""},
  };
  for (const auto& [method, path, code, type, file] : cases) {
    SCOPED_TRACE(std::string(method) + " " + path);
    const PageAnswer answer = AnswerPageRequest(method, path, status, 0);
    EXPECT_EQ(answer.code, code);
    EXPECT_EQ(answer.type, type);
    EXPECT_EQ(answer.file, file);
    EXPECT_EQ(answer.body.empty(), !file.empty());
  }
}

// The countdown runs on from the moment the status was taken; texts from
// outside (names, a program's output) stay valid JSON.
TEST(StatusPage, StatusJson) {
  SeriesStatus status;
  status.model = "QV-4000";
  status.phase = SeriesPhase::Running;
  status.shot = 3;
  status.count = 10;
  status.missedFrames = 1;
  status.nextShotInMs = 7000;
  status.nextShotTime = "07.06.2003 14:32:10";
  status.thumbnailPath = "/pictures/PREVIEW/CIMG0003.JPG";
  status.pictureShot = 3;
  status.logLines = {"a \"quoted\" \\ line\twith a tab", std::string("bad \xC3\x28 \xE2\x82\xAC")};
  const std::string json = StatusJson(status, 2500);
  for (const char* field :
       {"\"model\": \"QV-4000\",", "\"state\": \"running\",", "\"shot\": 3,", "\"count\": 10,",
        "\"missedFrames\": 1,", "\"nextShotAt\": \"07.06.2003 14:32:10\",",
        "\"nextShotInMs\": 4500,", "\"plannedEnd\": null,", "\"nextWindow\": null,",
        "\"lastPicture\": {\"name\": \"CIMG0003.JPG\", \"shot\": 3, \"full\": false, "
        "\"thumbnail\": "
        "true},",
        "\"a \\\"quoted\\\" \\\\ line\\u0009with a tab\"", "\"bad \\ufffd( \xE2\x82\xAC\""})
    EXPECT_NE(json.find(field), std::string::npos) << field << "\n" << json;
  status.phase = SeriesPhase::Ended;
  status.count = 0;
  status.nextShotInMs = 1000;
  const std::string ended = StatusJson(status, 2500);
  for (const char* field : {"\"state\": \"ended\",", "\"count\": null,", "\"nextShotInMs\": 0,"})
    EXPECT_NE(ended.find(field), std::string::npos) << field << "\n" << ended;
}

}  // namespace
}  // namespace vel
