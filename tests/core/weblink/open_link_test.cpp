#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "core/weblink/open_link.h"

namespace vel {
namespace {

// The registered command is cut at its placeholder (a quoted one first) and gets the address;
// program, blank and address must leave room for the terminating zero.
TEST(RegisteredCommandLine, IsCutAtThePlaceholderAndGetsTheAddress) {
  const std::string address = "http://www.example.org", program(500, 'p');
  const std::tuple<std::string, std::string, std::optional<std::string>> cases[] = {
      {R"("C:\Browser\browser.exe" -nohome "%1" -extra)", address,
       R"("C:\Browser\browser.exe" -nohome  http://www.example.org)"},
      {R"(browser.exe -a%1 "%1")", address, "browser.exe -a%1  http://www.example.org"},
      {R"(C:\Browser\browser.exe %1 -extra)", address,
       R"(C:\Browser\browser.exe  http://www.example.org)"},
      {"browser.exe -nohome", address, "browser.exe -nohome http://www.example.org"},
      {program, std::string(18, 'x'), program + " " + std::string(18, 'x')},
      {program, std::string(19, 'x'), std::nullopt}};
  for (const auto& [command, to, expected] : cases)
    EXPECT_EQ(BuildRegisteredCommandLine(command, to), expected) << command.substr(0, 40) << to;
}

TEST(LinkErrorText, PutsTheReasonUnderTheHeading) {
  EXPECT_EQ(LinkErrorText("A sharing violation occurred. "),
            "Unable to open hyperlink:\n\nA sharing violation occurred. ");
}

}  // namespace
}  // namespace vel
