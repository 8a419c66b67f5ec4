#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/weblink/open_link.h"

namespace vel {
namespace {

constexpr std::string_view kPrefix = "Unable to open hyperlink:\n\n";

TEST(OpenErrorText, SharingViolationKeepsItsTrailingBlank) {
  EXPECT_EQ(OpenErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
}

TEST(OpenErrorText, CodesWithoutReasonNameTheCode) {
  EXPECT_EQ(OpenErrorText(4), "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
  EXPECT_EQ(OpenErrorText(-7), "Unable to open hyperlink:\n\nUnknown Error (-7) occurred.");
  EXPECT_EQ(OpenErrorText(33), "Unable to open hyperlink:\n\nUnknown Error (33) occurred.");
}

TEST(OpenErrorText, EveryFailureOfTheOpenersHasItsOwnReason) {
  std::set<std::string> reasons;
  for (int code : {0, 2, 3, 5, 8, 11, 26, 27, 28, 29, 30, 31, 32}) {
    const std::string text = OpenErrorText(code);
    ASSERT_EQ(text.substr(0, kPrefix.size()), kPrefix) << code;
    EXPECT_EQ(text.find("Unknown Error"), std::string::npos) << code;
    EXPECT_TRUE(reasons.insert(text).second) << code;
  }
  EXPECT_EQ(OpenErrorText(kOpenFileNotFound),
            "Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_EQ(OpenErrorText(kOpenNoAssociation),
            "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
            "filename extension.");
}

}  // namespace
}  // namespace vel
