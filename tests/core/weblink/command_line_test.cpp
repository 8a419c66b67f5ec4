#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/weblink/open_link.h"

namespace vel {
namespace {

using Args = std::vector<std::string>;

constexpr std::string_view kAddress = "http://www.example.org";

TEST(RegisteredCommandLine, CutBeforeTheQuotedPlaceholderDroppingWhatFollows) {
  EXPECT_EQ(BuildRegisteredCommandLine(R"("C:\Browser\browser.exe" -nohome "%1" -extra)", kAddress),
            R"("C:\Browser\browser.exe" -nohome  http://www.example.org)");
}

TEST(RegisteredCommandLine, BarePlaceholderWhenNoQuotedOne) {
  EXPECT_EQ(BuildRegisteredCommandLine(R"(C:\Browser\browser.exe %1 -extra)", kAddress),
            R"(C:\Browser\browser.exe  http://www.example.org)");
}

TEST(RegisteredCommandLine, QuotedPlaceholderWinsOverAnEarlierBareOne) {
  // The quoted form is looked for first, wherever it stands.
  EXPECT_EQ(BuildRegisteredCommandLine(R"(browser.exe -a%1 "%1")", kAddress),
            "browser.exe -a%1  http://www.example.org");
}

TEST(RegisteredCommandLine, WithoutPlaceholderTheAddressIsAppended) {
  EXPECT_EQ(BuildRegisteredCommandLine(R"("C:\Browser\browser.exe" -nohome)", kAddress),
            R"("C:\Browser\browser.exe" -nohome http://www.example.org)");
}

TEST(RegisteredCommandLine, RefusesWhatDoesNotFitTheBuffer) {
  const std::string program(500, 'p');
  // Program, blank and address must leave room for the terminating zero.
  EXPECT_TRUE(BuildRegisteredCommandLine(program, std::string(18, 'x')).has_value());
  EXPECT_FALSE(BuildRegisteredCommandLine(program, std::string(19, 'x')).has_value());
  const std::string longAddress = "http://www.example.org/" + std::string(600, 'a');
  EXPECT_FALSE(BuildRegisteredCommandLine("browser.exe \"%1\"", longAddress).has_value());
}

TEST(ExecCommandLine, CutBeforeTheQuotedPlaceholderDroppingWhatFollows) {
  const std::string exec = R"(/usr/bin/browser --new-window "%u" --private)";
  EXPECT_EQ(BuildExecCommandLine(exec, kAddress),
            "/usr/bin/browser --new-window  http://www.example.org");
  EXPECT_EQ(ExecArguments(exec, kAddress),
            (Args{"/usr/bin/browser", "--new-window", "http://www.example.org"}));
}

TEST(ExecCommandLine, EveryAddressCodeBareOrQuotedIsAPlaceholder) {
  for (std::string_view exec : {"browser -x %u -y", "browser -x %U -y", "browser -x %f -y",
                                "browser -x %F -y", "browser -x '%u' -y", "browser -x \"%F\" -y"}) {
    EXPECT_EQ(BuildExecCommandLine(exec, kAddress), "browser -x  http://www.example.org") << exec;
    EXPECT_EQ(ExecArguments(exec, kAddress), (Args{"browser", "-x", "http://www.example.org"}))
        << exec;
  }
}

TEST(ExecCommandLine, WithoutPlaceholderTheAddressIsAppended) {
  EXPECT_EQ(BuildExecCommandLine("browser --new-tab", kAddress),
            "browser --new-tab http://www.example.org");
  EXPECT_EQ(ExecArguments("browser --new-tab", kAddress),
            (Args{"browser", "--new-tab", "http://www.example.org"}));
}

TEST(ExecCommandLine, PercentPercentIsALiteralPercentNotAPlaceholder) {
  EXPECT_EQ(BuildExecCommandLine("browser --ratio=50%%u %u", kAddress),
            "browser --ratio=50%%u  http://www.example.org");
  EXPECT_EQ(ExecArguments("browser --ratio=50%%u %u", kAddress),
            (Args{"browser", "--ratio=50%u", "http://www.example.org"}));
}

TEST(ExecCommandLine, OtherFieldCodesAreDropped) {
  EXPECT_EQ(ExecArguments("browser %i --name=%c %k -x %u", kAddress),
            (Args{"browser", "--name=", "-x", "http://www.example.org"}));
}

TEST(ExecCommandLine, QuotedArgumentsKeepBlanksAndEscapes) {
  EXPECT_EQ(ExecArguments(R"("/opt/My Browser/run" --title "a \"b\" \\c \$d" %U)", kAddress),
            (Args{"/opt/My Browser/run", "--title", R"(a "b" \c $d)", "http://www.example.org"}));
  EXPECT_EQ(ExecArguments(R"(browser "" -x)", kAddress),
            (Args{"browser", "", "-x", "http://www.example.org"}))
      << "empty quotes are an empty argument";
}

TEST(ExecCommandLine, TheAddressStaysOneArgumentWhateverItHolds) {
  const std::string address = R"(http://www.example.org/a b?x="1"&y=$HOME;`z`\)";
  EXPECT_EQ(ExecArguments("browser %u", address), (Args{"browser", address}));
}

TEST(ExecCommandLine, APlaceholderInsideALongerQuotedArgumentKeepsItsStart) {
  EXPECT_EQ(ExecArguments(R"(browser "--url=%u" -x)", kAddress),
            (Args{"browser", "--url=", "http://www.example.org"}));
}

TEST(ExecCommandLine, MalformedLinesGiveNoArguments) {
  EXPECT_FALSE(ExecArguments(R"(browser "--unterminated %i)", kAddress).has_value());
  EXPECT_FALSE(ExecArguments("", kAddress).has_value());
  EXPECT_FALSE(ExecArguments("%u", kAddress).has_value());
  EXPECT_FALSE(ExecArguments(R"("" %u)", kAddress).has_value());
}

}  // namespace
}  // namespace vel
