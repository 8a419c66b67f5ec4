#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/direct/command_check.h"

namespace vel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Holds "Check" with one entry selected and lets go with another.
Bytes HoldCheck(std::string_view atPress, std::string_view atRelease) {
  int checkUp = kKeyUp;
  Bytes sent;
  auto sample = [&](bool pushed, std::string_view selection) {
    KeyBytes bytes = StepCommandCheck(checkUp, kCommandCheckButtonId, pushed, selection);
    sent.insert(sent.end(), bytes.begin(), bytes.end());
  };
  sample(false, atPress);
  sample(true, atPress);
  sample(true, atPress);
  sample(false, atRelease);
  sample(false, atRelease);
  return sent;
}

TEST(CommandCheck, ListHoldsEveryCharacterFromLessThanToGraveAccent) {
  auto entries = CommandCheckEntries();
  ASSERT_EQ(entries.size(), 37u);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    ASSERT_EQ(entries[i].size(), 1u) << i;
    EXPECT_EQ(entries[i][0], static_cast<char>(0x3C + i)) << i;
  }
  EXPECT_EQ(entries.front(), "<");
  EXPECT_EQ(entries[5], "A");
  EXPECT_EQ(entries.back(), "`");
}

TEST(CommandCheck, HoldingSendsTheCharacterOnceAndReleasesItPlus0x20) {
  EXPECT_EQ(HoldCheck("A", "A"), (Bytes{0x41, 0x61}));
  EXPECT_EQ(HoldCheck("M", "M"), (Bytes{0x4D, 0x6D}));
  EXPECT_EQ(HoldCheck("<", "<"), (Bytes{0x3C, 0x5C}));
  EXPECT_EQ(HoldCheck("@", "@"), (Bytes{0x40, 0x60}));
  EXPECT_EQ(HoldCheck("`", "`"), (Bytes{0x60, 0x80}));
}

TEST(CommandCheck, EveryEntryPressesItselfAndReleasesOneCaseHigher) {
  for (std::string_view entry : CommandCheckEntries()) {
    const auto c = static_cast<std::uint8_t>(entry[0]);
    EXPECT_EQ(HoldCheck(entry, entry), (Bytes{c, static_cast<std::uint8_t>(c + 0x20)})) << entry;
  }
}

TEST(CommandCheck, ReleaseTakesTheSelectionAtReleaseTime) {
  EXPECT_EQ(HoldCheck("A", "Z"), (Bytes{0x41, 0x7A}));
}

TEST(CommandCheck, OtherControlsSendNothingAndLeaveTheFlag) {
  int checkUp = kKeyUp;
  for (int id : {1002, 1040, 1042, 1043, 1069}) {
    EXPECT_TRUE(StepCommandCheck(checkUp, id, true, "A").empty()) << id;
  }
  EXPECT_EQ(checkUp, kKeyUp);
}

TEST(CommandCheck, EmptySelectionSendsNothingButTheFlagFollows) {
  int checkUp = kKeyUp;
  EXPECT_TRUE(StepCommandCheck(checkUp, kCommandCheckButtonId, true, "").empty());
  EXPECT_EQ(checkUp, kKeyDown);
  KeyBytes release = StepCommandCheck(checkUp, kCommandCheckButtonId, false, "B");
  EXPECT_EQ(Bytes(release.begin(), release.end()), (Bytes{0x62}));
  EXPECT_EQ(checkUp, kKeyUp);
}

}  // namespace
}  // namespace vel
