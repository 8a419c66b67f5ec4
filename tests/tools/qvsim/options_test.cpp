#include "qvsim/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace qvsim {
namespace {

std::optional<Options> Parse(std::vector<const char*> args, std::string& error) {
  return ParseOptions(static_cast<int>(args.size()), args.data(), error);
}

TEST(Options, DefaultsToTheQv4000WithoutExtras) {
  std::string error;
  const auto options = Parse({}, error);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->model, 7);
  EXPECT_TRUE(options->link.empty() && options->record.empty() && options->cardFolder.empty());
}

TEST(Options, TakesEveryOption) {
  std::string error;
  const auto options = Parse({"--model", "9", "--link", "/tmp/cam", "--record", "r.txt", "--card",
                              "/tmp/card", "--label", "CARD", "--user", "alice"},
                             error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->model, 9);
  EXPECT_EQ(options->link, "/tmp/cam");
  EXPECT_EQ(options->record, "r.txt");
  EXPECT_EQ(options->cardFolder, "/tmp/card");
  EXPECT_EQ(options->label, "CARD");
  EXPECT_EQ(options->user, "alice");
}

TEST(Options, RejectsMistakesWithAReason) {
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"--model"}, "--model needs a value"},
      {{"--model", "seven"}, "--model takes a number, not seven"},
      {{"--link", ""}, "--link needs a value"},
      {{"--speed", "9600"}, "unknown option --speed"},
      {{"--card", "/tmp/c", "--label", "A-LABEL-LONGER-THAN-16"},
       "--label must be 1 to 16 characters without /"},
      {{"--card", "/tmp/c", "--label", "a/b"}, "--label must be 1 to 16 characters without /"},
      {{"--label", "CARD"}, "--label belongs to --card"},
  };
  for (const auto& [args, expected] : cases) {
    std::string error;
    EXPECT_FALSE(Parse(args, error)) << expected;
    EXPECT_EQ(error, expected);
  }
}

}  // namespace
}  // namespace qvsim
