#include "core/timelapse/external_command_quoting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vel::windows_command_line {
namespace {

// How the C runtime splits a command line into arguments (the program name
// first, which runs to its closing quote without escapes).
std::vector<std::string> SplitLikeTheCRuntime(const std::string& line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  std::string program;
  if (line[i] == '"') {
    for (++i; i < line.size() && line[i] != '"'; ++i) program += line[i];
    ++i;
  } else {
    for (; i < line.size() && line[i] != ' ' && line[i] != '\t'; ++i) program += line[i];
  }
  args.push_back(program);
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size())
      break;
    std::string arg;
    bool quoted = false;
    while (i < line.size()) {
      const char c = line[i];
      if (c == '\\') {
        // Backslashes count only before a quote: 2n+1 of them give n and a
        // literal quote, 2n give n and leave the quote to open or close.
        std::size_t n = 0;
        for (; i < line.size() && line[i] == '\\'; ++i) ++n;
        const bool beforeQuote = i < line.size() && line[i] == '"';
        arg.append(beforeQuote ? n / 2 : n, '\\');
        if (beforeQuote && n % 2 == 1) {
          arg += '"';
          ++i;
        }
        continue;
      }
      if (c == '"') {
        quoted = !quoted;
        ++i;
        continue;
      }
      if (!quoted && (c == ' ' || c == '\t'))
        break;
      arg += c;
      ++i;
    }
    args.push_back(arg);
  }
  return args;
}

TEST(WindowsQuoting, PlainWordsStayAsTheyAre) {
  EXPECT_EQ(QuoteArgument("3"), "3");
  EXPECT_EQ(QuoteArgument("14:05:09"), "14:05:09");
  EXPECT_EQ(QuoteArgument("C:\\dir\\"), "C:\\dir\\");
}

TEST(WindowsQuoting, QuotesAndBackslashesFollowTheCRuntimeRules) {
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument("ab\"c"), "\"ab\\\"c\"");
  EXPECT_EQ(QuoteArgument("a\\\"b"), "\"a\\\\\\\"b\"");
  EXPECT_EQ(QuoteArgument("my dir\\"), "\"my dir\\\\\"");
  EXPECT_EQ(QuoteArgument("a\\\\b c"), "\"a\\\\b c\"");
}

TEST(WindowsQuoting, EveryWordComesBackFromTheCommandLine) {
  const std::vector<std::string> words{"3",
                                       "10",
                                       "07.06.2003",
                                       "14:05:09",
                                       "A B;C $(x) & del *.*",
                                       "",
                                       "\\\\server\\share\\",
                                       "quote \" inside",
                                       "tab\there",
                                       "ends with quote\"",
                                       "\\\"",
                                       "trailing \\\\"};
  const std::string program = "C:\\Program Files\\Shot Tools\\after.exe";
  const std::vector<std::string> args = SplitLikeTheCRuntime(ProgramCommandLine(program, words));
  ASSERT_EQ(args.size(), words.size() + 1);
  EXPECT_EQ(args[0], program);
  for (std::size_t i = 0; i < words.size(); ++i) EXPECT_EQ(args[i + 1], words[i]) << i;
}

TEST(BatchFiles, AreKnownByTheirExtensionInAnyCase) {
  EXPECT_TRUE(IsBatchFile("C:\\x\\run.bat"));
  EXPECT_TRUE(IsBatchFile("C:\\x\\RUN.CMD"));
  EXPECT_TRUE(IsBatchFile("run.Bat"));
  EXPECT_FALSE(IsBatchFile("C:\\x\\run.bat.exe"));
  EXPECT_FALSE(IsBatchFile("bat"));
}

TEST(BatchFiles, WordsThatCmdWouldActOnAreQuotedAndPercentIsDefused) {
  EXPECT_EQ(BatchCommandLine("C:\\my dir\\run.bat",
                             {"3", "10", "07.06.2003", "14:05:09", "ABCD0003.JPG"}),
            "\"\"C:\\my dir\\run.bat\" 3 10 07.06.2003 14:05:09 ABCD0003.JPG\"");
  EXPECT_EQ(BatchCommandLine("r.cmd", {"A B;C&D|E.JPG", ""}),
            "\"\"r.cmd\" \"A B;C&D|E.JPG\" \"\"\"");
  EXPECT_EQ(BatchCommandLine("r.cmd", {"%PATH%"}), "\"\"r.cmd\" \"%%cd:~,%PATH%%cd:~,%\"\"");
}

TEST(BatchFiles, WordsThatCannotReachABatchFileIntactAreRefused) {
  EXPECT_FALSE(BatchCommandLine("r.bat", {"a\"b"}));
  EXPECT_FALSE(BatchCommandLine("r.bat", {"a\nb"}));
  EXPECT_FALSE(BatchCommandLine("r.bat", {std::string("a\0b", 3)}));
  EXPECT_FALSE(BatchCommandLine("r\"x.bat", {}));
}

}  // namespace
}  // namespace vel::windows_command_line
