#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "core/weblink/open_link.h"

namespace vel {
namespace {

struct CommandCase {
  const char* name;
  std::string command;
  std::string address;
  std::optional<std::string> expected;
};

// Test names show the case by its name, not its bytes.
void PrintTo(const CommandCase& c, std::ostream* out) {
  *out << c.name;
}

class RegisteredCommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(RegisteredCommandLine, IsCutAtThePlaceholderAndGetsTheAddress) {
  const CommandCase& c = GetParam();
  EXPECT_EQ(BuildRegisteredCommandLine(c.command, c.address), c.expected);
}

const std::string kAddress = "http://www.example.org";
// Program, blank and address must leave room for the terminating zero.
const std::string kLongProgram(500, 'p');

INSTANTIATE_TEST_SUITE_P(
    Commands, RegisteredCommandLine,
    ::testing::Values(CommandCase{"QuotedPlaceholderDropsWhatFollows",
                                  R"("C:\Browser\browser.exe" -nohome "%1" -extra)", kAddress,
                                  R"("C:\Browser\browser.exe" -nohome  http://www.example.org)"},
                      CommandCase{"QuotedPlaceholderWinsOverAnEarlierBareOne",
                                  R"(browser.exe -a%1 "%1")", kAddress,
                                  "browser.exe -a%1  http://www.example.org"},
                      CommandCase{"BarePlaceholder", R"(C:\Browser\browser.exe %1 -extra)",
                                  kAddress, R"(C:\Browser\browser.exe  http://www.example.org)"},
                      CommandCase{"NoPlaceholder", "browser.exe -nohome", kAddress,
                                  "browser.exe -nohome http://www.example.org"},
                      CommandCase{"JustFitsTheBuffer", kLongProgram, std::string(18, 'x'),
                                  kLongProgram + " " + std::string(18, 'x')},
                      CommandCase{"OneTooLong", kLongProgram, std::string(19, 'x'), std::nullopt}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

TEST(LinkErrorText, PutsTheReasonUnderTheHeading) {
  EXPECT_EQ(LinkErrorText("A sharing violation occurred. "),
            "Unable to open hyperlink:\n\nA sharing violation occurred. ");
}

}  // namespace
}  // namespace vel
